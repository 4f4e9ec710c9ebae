// A demo shop database for the phone view's tests: made once per test binary run in the
// test temp folder and copied for each test that needs its own, with operator 002 (李强,
// store 人民路总店) narrowed to the day sheet and the work in progress.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

#include "db/embedded_connection.h"
#include "schema/schema_script.h"

namespace servetest {

inline std::string demoCopy(const std::string& stem) {
  static const std::string made = [] {
    const auto path = std::filesystem::path(::testing::TempDir()) /
                      ("serve_demo_" + std::to_string(::getpid()) + ".db");
    std::filesystem::remove(path);
    db::EmbeddedConnection c(path.string());
    schema::createDatabase(c, true);
    const auto r = c.execBatch(
        "insert into vt_sys_user_rights(orgid, czy_id, rightcode) select '0001', e.id, r.code "
        "from vt_b_ygbmk e cross join (select '1130' as code union all select '1135') r "
        "where e.code = '002'");
    if (!r.ok()) throw std::runtime_error(r.errorMessage());
    return path.string();
  }();
  static int counter = 0;
  const auto copy =
      std::filesystem::path(::testing::TempDir()) /
      (stem + "_" + std::to_string(::getpid()) + "_" + std::to_string(++counter) + ".db");
  std::filesystem::remove(copy);
  std::filesystem::copy_file(made, copy);
  return copy.string();
}

}  // namespace servetest
