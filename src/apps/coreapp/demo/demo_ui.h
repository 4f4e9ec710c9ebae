// DemoUi: the scripted Ui of `coreapp demo`. It answers like ScriptedUi (confirmations
// OK, lookups from the queue) and also keeps what the demo reports to the reader: the
// last message a form showed (the reason a step was refused), the printed document and
// whether the cash drawer opened.
#pragma once

#include <string>

#include "host/scripted_ui.h"

namespace app::demo {

class DemoUi : public host::ScriptedUi {
 public:
  int messageBox(std::string_view text, std::string_view caption, int type,
                 host::MsgButtons buttons) override {
    lastMessage = std::string(text);
    messages += 1;
    return ScriptedUi::messageBox(text, caption, type, buttons);
  }
  void printed(const host::PrintJob& job) override {
    printedFile = job.file;
    ScriptedUi::printed(job);
  }
  void drawerOpened() override {
    drawerOpens += 1;
    ScriptedUi::drawerOpened();
  }

  std::string lastMessage;  //!< text of the last message box ("" = none yet)
  int messages = 0;         //!< message boxes shown so far
  std::string printedFile;  //!< the document of the last print
  int drawerOpens = 0;      //!< times the cash drawer was opened
};

}  // namespace app::demo
