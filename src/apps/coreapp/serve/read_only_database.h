// ReadOnlyDatabase: the shop's database as `coreapp serve` reaches it — a file opened read
// only, or a server session whose every transaction is read only — so that nothing a
// phone asks can change a row. Connections are not thread safe: each request takes one
// from a small pool (opening another when all are busy) and gives it back.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "db/connection.h"

namespace serve {

class ReadOnlyDatabase {
 public:
  //! Opens `spec` (a file or a postgresql:// address) once to check it can be read.
  //! Throws db::ConnectionError naming the problem.
  explicit ReadOnlyDatabase(std::string spec);
  ~ReadOnlyDatabase();
  ReadOnlyDatabase(const ReadOnlyDatabase&) = delete;
  ReadOnlyDatabase& operator=(const ReadOnlyDatabase&) = delete;

  //! Runs one batch on a free connection. SQL errors come back in the result; a
  //! connection that cannot be opened throws db::ConnectionError.
  db::BatchResult run(std::string_view sql, const db::Params& params = {});
  //! The first result set of a batch that must succeed; throws std::runtime_error.
  db::ResultSet query(std::string_view sql, const db::Params& params = {});

 private:
  std::unique_ptr<db::Connection> openOne() const;

  std::string spec_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<db::Connection>> idle_;
};

}  // namespace serve
