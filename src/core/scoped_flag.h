// ScopedFlag: sets a guard flag for one piece of work and puts back what it was,
// however the work ends (work nested in another keeps the outer one's guard set).
// The line arithmetic of the bills uses it for its pricing guards.
#pragma once

namespace core {

class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag), before_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = before_; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
  bool before_;
};

}  // namespace core
