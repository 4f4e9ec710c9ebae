// The windows of the host's own dialogs (host/services/host_dialogs.h), the least each
// needs: the reason dialog, the default-customer picker, the bill options, the file
// dialog and the customer / supplier entry. A dialog class without a window of its
// own gets a plain window that lists its arguments and asks OK or Cancel.
#pragma once

#include <QString>
#include <string_view>

#include "host/ui.h"

class QWidget;

namespace desktop {

//! Runs the dialog of `className` modally over `parent`; returns how it closed.
host::DialogReply runHostDialog(std::string_view className, const host::DialogArgs& args,
                                QWidget* parent);

//! A file-dialog filter from the host's "说明|*.ext|说明|*.*" form ("说明 (*.ext);;...").
QString fileFilter(std::string_view hostFilter);

}  // namespace desktop
