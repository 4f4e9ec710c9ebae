// ReadOnlyDatabase: the shop's database as `coreapp serve` reaches it — a file opened read
// only, or a server session whose every batch runs in a transaction that is rolled back —
// so that nothing the server runs can change a row. Connections are not thread safe: each request
// takes one from a small pool (opening another when all are busy) and gives it back.
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
  db::BatchResult runOn(db::Connection& conn, std::string_view sql, const db::Params& params) const;

  std::string spec_;
  bool server_ = false;
  std::mutex mutex_;
  std::vector<std::unique_ptr<db::Connection>> idle_;
};

}  // namespace serve
