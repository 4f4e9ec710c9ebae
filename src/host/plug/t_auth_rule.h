// TauthRule: one authorisation rule of a plug item — its code (the rights code the
// user must hold), the parent rule's code, the caption shown in the rights editor,
// two integers and a trailing text that only the host interprets.
#pragma once

#include <string>
#include <utility>

namespace host {

struct TauthRule {
  //! The six values in the host's order.
  TauthRule(std::string code, std::string parent, std::string caption, int value1 = 1,
            int value2 = 1, std::string extra = {})
      : code(std::move(code)),
        parent(std::move(parent)),
        caption(std::move(caption)),
        value1(value1),
        value2(value2),
        extra(std::move(extra)) {}

  std::string code;     //!< "1100_01"
  std::string parent;   //!< "1100" ("" for the root rule)
  std::string caption;  //!< "添加"
  int value1;           //!< host's own (1 throughout the package)
  int value2;           //!< host's own (1 throughout the package)
  std::string extra;    //!< host's own ("" throughout the package)
};

}  // namespace host
