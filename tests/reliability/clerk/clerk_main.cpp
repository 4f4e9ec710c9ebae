// reliability_clerk: one clerk at the counter, as a process of its own. It saves bills
// on a shared database file (a project order, then a purchase, in turn) by playing the
// order.json and purchase.json beside this file, and reports every save the user would
// have seen fail. The reliability tests start several at once, or kill one mid-save.
//
//   reliability_clerk DBFILE SAVES     SAVES bills (0 = until killed)
// Exit 0 when every save went through, 1 when one failed (each is named on stderr).
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "db/embedded_connection.h"
#include "host/forms/sample/demo_bill_form.h"
#include "host/lookup/host_plugs.h"
#include "host/player/player.h"
#include "plugs/coreapp/package.h"

namespace {

// A save failed when the transcript holds an error event or a message of failure.
std::string failureIn(const std::string& transcript) {
  std::istringstream lines(transcript);
  for (std::string line; std::getline(lines, line);) {
    if (line.find("\"event\":\"error\"") != std::string::npos || line.find("失败") != std::string::npos ||
        line.find("busy") != std::string::npos || line.find("locked") != std::string::npos)
      return line;
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: reliability_clerk DBFILE SAVES\n";
    return 2;
  }
  const std::string dir = std::string(COREAPP_SOURCE_DIR) + "/tests/reliability/clerk/";
  const host::Scenario bills[] = {host::Scenario::load(dir + "order.json"), host::Scenario::load(dir + "purchase.json")};
  host::registerHostPlugs();
  plugs::coreapp::initializePackage();
  db::EmbeddedConnection::Options options;
  options.create = false;
  db::EmbeddedConnection conn(argv[1], options);
  const long saves = std::atol(argv[2]);
  int failed = 0;
  for (long i = 0; saves == 0 || i < saves; ++i) {
    std::ostringstream transcript;
    host::Player player(conn, transcript, false);
    player.useRandomIds();
    player.run(bills[i % 2]);
    const std::string failure = failureIn(transcript.str());
    if (!failure.empty()) {
      std::cerr << "save " << i << " failed: " << failure << '\n';
      ++failed;
    }
  }
  return failed == 0 ? 0 : 1;
}
