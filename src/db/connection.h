// Connection: the only way the system reaches its database. A batch is T-SQL text
// with `:name` parameters; the connection runs it as SQL Server would and reports
// result sets and errors. Not thread safe: one connection per thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

//! The error number of a batch its progress callback stopped; its message is kCancelled.
constexpr int kCancelledNumber = 3980;
//! What a stopped batch says.
constexpr const char* kCancelled = "已取消";

class Connection {
 public:
  //! Asked now and then while a batch runs; false stops the batch.
  using Progress = std::function<bool()>;

  virtual ~Connection() = default;
  //! Runs one batch. Never throws for SQL errors: they come back in the result.
  virtual BatchResult execBatch(std::string_view sql, const Params& params = {}) = 0;
  //! Runs the batches in turn, stopping after the first that fails: what each gave, as
  //! execBatch gives it. A connection may run batches that only read through one
  //! procedure (a look-up per line of a bill) together, in one statement.
  virtual std::vector<BatchResult> execEach(const std::vector<std::string>& texts, const Params& params = {}) {
    return execOneByOne(texts, params);
  }

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

  //! What the coming batches ask while they run (empty: nothing). When it answers false
  //! the running statement is interrupted, the rest of the batch fails at once, and the
  //! batch comes back with the one error kCancelledNumber, its open transaction rolled
  //! back and no result sets. A connection that cannot interrupt never asks.
  void setProgress(Progress progress) { progress_ = std::move(progress); }
  bool hasProgress() const { return static_cast<bool>(progress_); }

 protected:
  std::vector<BatchResult> execOneByOne(const std::vector<std::string>& texts, const Params& params) {
    std::vector<BatchResult> results;
    for (const std::string& text : texts) {
      results.push_back(execBatch(text, params));
      if (!results.back().ok()) break;
    }
    return results;
  }
  //! The result of a batch its progress callback stopped.
  static BatchResult cancelledResult() {
    BatchResult r;
    r.errors.push_back({kCancelledNumber, 16, 1, 0, kCancelled});
    return r;
  }

  Progress progress_;
};

//! Sets a connection's progress callback for one scope.
class ProgressScope {
 public:
  ProgressScope(Connection& conn, Connection::Progress progress) : conn_(conn) {
    conn_.setProgress(std::move(progress));
  }
  ~ProgressScope() { conn_.setProgress({}); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  Connection& conn_;
};

}  // namespace db
