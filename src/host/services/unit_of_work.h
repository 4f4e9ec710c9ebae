// UnitOfWork: an action made of several batches (completing an order: the common audit
// and then the order's own state batch) takes effect whole or not at all. While a unit
// lives, every batch runs inside one transaction the host holds on the connection; the
// batches keep their own texts, whose BEGIN TRAN / COMMIT nest inside it. It sits
// beside VersionGuard, which guards the one batch of a save: a guarded batch inside a
// unit is still one batch, and the unit adds the batches after it.
#pragma once

#include <string>

namespace host {

class UnitOfWork {
 public:
  //! Begins the unit on the current host's connection; inside another unit it joins
  //! that one (the outer unit ends it). Throws HostError when the database is busy.
  UnitOfWork();
  //! Rolls back whatever the unit still holds unless it was committed.
  ~UnitOfWork();
  UnitOfWork(const UnitOfWork&) = delete;
  UnitOfWork& operator=(const UnitOfWork&) = delete;

  //! Commits every batch of the unit. False (and everything rolled back) when a batch
  //! already ended the unit by rolling back, or the commit failed: error() then says
  //! why. A joined unit only reports whether the outer one is still open.
  bool commit();
  const std::string& error() const { return error_; }
  //! True while the unit's transaction is open (a batch's ROLLBACK ends it).
  bool open() const;
  //! False when a unit is active on this thread and a batch has ended it: a further
  //! batch would run on its own, outside the unit, so execSQL refuses it.
  static bool mayRunBatch();

 private:
  bool joined_ = false;
  bool ended_ = false;
  std::string error_;
  UnitOfWork* outer_ = nullptr;
};

//! What execSQL reports for a batch refused after its unit was rolled back.
inline constexpr const char* kUnitEndedMessage = "操作未能完成，所做修改已全部撤销。";

}  // namespace host
