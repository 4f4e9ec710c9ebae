// Login record, message dialog, cash drawer, MD5 and debug log of the current host.
#include "host/services/sys_services.h"

#include <cstdlib>

#include "host/host.h"

namespace host {

const SysAuth& sysAuth() { return currentHost().login; }

int MessageMyDlg(std::string_view text, std::string_view caption, int type, MsgButtons buttons,
                 bool /*modal: every message box of this system is modal*/) {
  return currentHost().screen().messageBox(text, caption, type, buttons == 0 ? mbOK : buttons);
}

void openMoneyBox() {
  Host& host = currentHost();
  if (!host.moneyBoxCommand.empty()) {
    int rc = std::system(host.moneyBoxCommand.c_str());
    if (rc != 0) {
      // The sale is already recorded; the clerk only needs to open the drawer by hand.
      std::string why =
          "钱箱打开失败（命令返回 " + std::to_string(rc) + "）：" + host.moneyBoxCommand;
      LogMsgWithTag(why, "钱箱");
      host.screen().messageBox(why, "提示", mtError, mbOK);
      return;
    }
  }
  LogMsgWithTag("钱箱已打开", "钱箱");
  host.screen().drawerOpened();
}

}  // namespace host
