// Connection: the only way the system reaches its database. A batch is T-SQL text
// with `:name` parameters; the connection runs it as SQL Server would and reports
// result sets and errors. Not thread safe: one connection per thread.
#pragma once

#include <string>
#include <string_view>

#include "tsql/batch_result.h"

namespace db {

//! How the last batch met a server connection that went away: not at all, before its
//! work became durable (nothing of it stays: the server rolls an orphaned transaction
//! back), or at the commit (sent, never answered), when only reading the work back
//! after reconnecting can tell.
enum class Loss { None, NotDone, InDoubt };

//! What a batch cut off by a lost server connection reports instead of the client
//! library's words (10054: the transport's "connection reset").
inline constexpr int kConnectionLostNumber = 10054;
inline constexpr const char* kConnectionLostMessage =
    "与数据库服务器的连接已断开，本次操作没有完成。";
inline constexpr const char* kCommitInDoubtMessage =
    "与数据库服务器的连接在提交时断开，尚不能确定本次操作是否已经完成。";

using tsql::BatchResult;
using tsql::Column;
using tsql::Params;
using tsql::ResultSet;
using tsql::SqlError;

class Connection {
 public:
  virtual ~Connection() = default;
  //! Runs one batch. Never throws for SQL errors: they come back in the result.
  virtual BatchResult execBatch(std::string_view sql, const Params& params = {}) = 0;

  //! The host's unit of work: one transaction kept open across the batches run until
  //! it is ended, so that an action of several batches takes effect whole or not at
  //! all. A batch's own BEGIN TRAN / COMMIT nest inside it; a batch's ROLLBACK takes
  //! back the whole unit and ends it (unitOpen() turns false). Throws std::runtime_error
  //! when the database refuses to begin (busy).
  virtual void beginUnit() = 0;
  //! "" when committed; else why not, with everything rolled back.
  virtual std::string commitUnit() = 0;
  //! Rolls back whatever the unit holds; nothing when none is open.
  virtual void rollbackUnit() = 0;
  virtual bool unitOpen() const = 0;

  //! False once a server connection has gone away (a file is always there).
  virtual bool connected() const { return true; }
  //! How the last batch (or unit commit) met a lost connection; a loss in doubt stays
  //! while later batches are refused for want of a connection, so an action that ran
  //! more batches after its cut-off commit still learns it must read its work back.
  virtual Loss lastLoss() const { return Loss::None; }
  //! One attempt to connect again after the connection went away; true when connected.
  //! Whatever the old session was doing is finished (committed or rolled back) by then,
  //! so work cut off at its commit can be read back.
  virtual bool reconnect() { return connected(); }
};

}  // namespace db
