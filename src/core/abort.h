// Abort: the silent abort of a running action. A handler that has already told the
// user why (a message box) throws it; whoever runs the action catches it and stops
// without a further message.
#pragma once

#include <exception>

namespace core {

class Abort : public std::exception {
 public:
  //! Fixed text for logs; never shown to the user.
  const char* what() const noexcept override { return "operation aborted"; }
};

}  // namespace core
