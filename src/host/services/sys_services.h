// The host's system services: the login record, message dialog, cash drawer, MD5 and
// the debug log. They act on the current host (host/host.h).
#pragma once

#include <string>
#include <string_view>

#include "core/log.h"
#include "core/md5.h"
#include "host/sys_auth.h"
#include "host/ui.h"

namespace host {

//! The signed-in user of the current host.
const SysAuth& sysAuth();
//! Shows a message box through the Ui (type 1 error, 2 information, 3 confirmation);
//! returns the modal result (mrOK = 1). `modal` is always true in this system.
int MessageMyDlg(std::string_view text, std::string_view caption, int type,
                 MsgButtons buttons = mbOK, bool modal = true);
//! Opens the cash drawer: runs the host's moneyBoxCommand (when set), logs it and
//! tells the Ui. A failing command is logged and reported as an error box.
void openMoneyBox();
// MD5 of the text in the system code page, and the debug log: core's, named here as
// the forms call them. While a host is current the log reaches its Ui (HostScope).
using core::LogMsg;
using core::LogMsgWithTag;
using core::MD5S;

}  // namespace host
