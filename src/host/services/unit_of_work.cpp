// UnitOfWork over the connection's host-held transaction. The unit that began the
// transaction is the one that ends it, so a helper running its own unit inside an
// action's (a form reloading itself) never commits half of the action.
#include "host/services/unit_of_work.h"

#include <stdexcept>

#include "host/host.h"
#include "host/services/data_services.h"

namespace host {

namespace {

thread_local UnitOfWork* active = nullptr;

}  // namespace

UnitOfWork::UnitOfWork() : outer_(active) {
  db::Connection& c = currentHost().db();
  joined_ = outer_ != nullptr;
  if (!joined_) {
    try {
      c.beginUnit();
    } catch (const std::runtime_error& e) {
      throw HostError(e.what());
    }
  }
  active = this;
}

UnitOfWork::~UnitOfWork() {
  active = outer_;
  if (!joined_ && !ended_) currentHost().db().rollbackUnit();
}

bool UnitOfWork::open() const { return currentHost().db().unitOpen(); }

bool UnitOfWork::commit() {
  if (joined_) return open();
  const bool stillOpen = open();
  ended_ = true;
  const std::string why = currentHost().db().commitUnit();
  if (why.empty()) return true;
  error_ = stillOpen ? why : std::string(kUnitEndedMessage);
  return false;
}

bool UnitOfWork::mayRunBatch() { return active == nullptr || active->open(); }

}  // namespace host
