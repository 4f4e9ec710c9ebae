// The current host and its checked accessors.
#include "host/host.h"

#include <stdexcept>

#include "host/ui.h"

namespace host {

namespace {
Host* current = nullptr;
}

db::Connection& Host::db() const {
  if (connection == nullptr) throw std::logic_error("the host has no database connection");
  return *connection;
}

Ui& Host::screen() const {
  if (ui == nullptr) throw std::logic_error("the host has no user interface");
  return *ui;
}

BillOptions Host::billOptionsOf(std::string_view code) const {
  auto it = billOptions.find(std::string(code));
  return it == billOptions.end() ? BillOptions{} : it->second;
}

Host& currentHost() {
  if (current == nullptr) throw std::logic_error("no host is current: create a HostScope first");
  return *current;
}

bool hasCurrentHost() { return current != nullptr; }

HostScope::HostScope(Host& host)
    : previous_(current), log_([&host](std::string_view text, std::string_view tag) {
        // A host without a Ui (a bare test host) has nobody to show the log to.
        if (host.ui != nullptr) host.ui->log(tag, text);
      }) {
  current = &host;
}

HostScope::~HostScope() { current = previous_; }

}  // namespace host
