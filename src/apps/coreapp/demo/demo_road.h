// DemoRoad: the road of one order, played through the real forms with nobody at the
// screen. The counter clerk opens a new project order for the member customer 蓝天教育,
// adds two priced service lines with their production staff, saves and completes it,
// settles it in the settlement window (part in cash, part by member card) and prints
// it; each step is told to the reader as one line. The database must hold the
// schema and the demo data; the caller makes no host current (the road brings its own).
// Errors: a step that a form refuses, or that leaves the order otherwise than it should,
// throws DemoStepFailed with the form's message; what earlier steps saved stays saved.
#pragma once

#include <ostream>
#include <stdexcept>
#include <string>

namespace db {
class Connection;
}

namespace app::demo {

//! A step of the road did not come through; the message says which and why.
class DemoStepFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

//! What the road leaves behind.
struct DemoResult {
  std::string billno;     //!< the order's issued number
  std::string printFile;  //!< the printed order (HTML)
};

//! Plays the road on `connection`, telling each step on `out`. Printed documents go to
//! `printFolder`. Throws DemoStepFailed when a step fails.
DemoResult playDemoRoad(db::Connection& connection, std::ostream& out,
                        const std::string& printFolder);

}  // namespace app::demo
