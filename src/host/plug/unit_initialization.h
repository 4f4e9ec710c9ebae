// UnitInitialization: a form unit's use-counted start-up. The first initialize()
// runs the unit's registration routine; later ones only count. finalize() only
// counts down: registered items stay in the pool.
#pragma once

namespace host {

class UnitInitialization {
 public:
  //! `registration` is the unit's registration routine (no arguments).
  explicit UnitInitialization(void (*registration)()) : registration_(registration) {}

  //! Counts up; the first call registers the unit.
  void initialize() {
    if (useCount_++ == 0 && registration_ != nullptr) registration_();
  }
  //! Counts down; nothing is unregistered.
  void finalize() {
    if (useCount_ > 0) --useCount_;
  }
  //! How many times the unit is in use.
  int useCount() const { return useCount_; }

 private:
  void (*registration_)();
  int useCount_ = 0;
};

}  // namespace host
