// The host's data services as the forms call them: SQL templating, opening datasets
// and JSON from queries, running batches, the bill version check, ids and rows by id.
// All of them act on the current host (host/host.h): its connection and login.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "dataset/up_data_sql_list.h"
#include "db/connection.h"

namespace dataset {
class ClientDataSet;
}

namespace host {

//! Raised when a query the form relies on fails (the server's message).
class HostError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

//! Replaces every ":orgid" by the login's store id as a quoted literal, keeping other
//! markers. When `plugCode` is given and `sqlOrKey` names a text in that plug's
//! configuration document (a key under "sqltemplates", or a dotted path such as
//! "data.master.sql"), that text is templated instead.
std::string sqlTemplate(std::string_view sqlOrKey, std::string_view plugCode = {});

//! Runs the query and reopens `ds` with its rows (the last result set). Binds
//! "orgid" to the store id when the text has ":orgid" and no such parameter is given.
//! Throws HostError with the server's message when the query fails.
void openDataToCDS(dataset::ClientDataSet& ds, std::string_view sql, const db::Params& params = {});
//! openDataToCDS for each of `texts` in turn, `loaded(i)` called once the i-th result
//! is in `ds`: a look-up per line of a bill. The connection may run the texts together.
//! Throws HostError for the first that fails, after those before it were loaded.
void openEachToCDS(dataset::ClientDataSet& ds, const std::vector<std::string>& texts,
                   const std::function<void(std::size_t)>& loaded);
//! openDataToCDS for a query that may take a while (a report over years): the Ui shows
//! its progress under `caption` and the user may stop it. A stopped query leaves `ds`
//! empty, says "已取消" and aborts the action silently (core::Abort).
void openDataToCDSWithProgress(dataset::ClientDataSet& ds, std::string_view caption,
                               std::string_view sql, const db::Params& params = {});
//! Runs the query; its rows as a JSON array text (keys = columns, values as text).
//! Throws HostError when the query fails.
std::string openDataJson(std::string_view sql, const db::Params& params = {});
//! Runs one batch; true when done, false when the server raised (the message is
//! logged and kept: lastExecSQLError()). Inside a VersionGuard the batch runs guarded;
//! inside a UnitOfWork a batch's ROLLBACK ends the unit, and later batches are refused.
bool execSQL(std::string_view sql, const db::Params& params = {});
//! Runs a text that has no transaction of its own (a bill's delete) inside one, so
//! it takes effect whole or not at all; a failure raises `failureMessage` instead of
//! the server's words. Returns and records errors as execSQL does.
bool execSQLWhole(std::string_view sql, std::string_view failureMessage);
//! The message the server raised in the last failed execSQL ("" after a success).
const std::string& lastExecSQLError();
//! True while the row `id` of `table` still has `version`; false when it changed
//! or is gone. Throws HostError when `table` is not a plain table name.
bool checkBillVersion(std::string_view table, std::int64_t id, std::int64_t version);
//! A new unique text key (a GUID, or the host's idSource).
std::string newid();
//! The configuration document (JSON text) of the plug with this code; "" when none.
std::string getplugInfo(std::string_view plugCode);
//! The rows of `table` whose `keyColumn` equals `id`, as a JSON array text.
std::string getDataById(std::string_view table, std::int64_t id, std::string_view keyColumn);

//! SQL statements from a dataset's pending changes (dataset/up_data_sql_list.h).
using dataset::GetUpDataSQLList;
//! As above with the host's trailing flag (0 everywhere in this system).
inline void GetUpDataSQLList(std::string_view table, std::string_view keyField,
                             const std::vector<std::string>& skipFields,
                             const dataset::ClientDataSet& ds, std::vector<std::string>& list,
                             int /*flag*/) {
  dataset::GetUpDataSQLList(table, keyField, skipFields, ds, list);
}

//! The value as lookups and ClientDataSetToJSON give it: text of the value.
std::string jsonText(const core::Value& v);
//! Rows of a result set as a JSON array text, every value as text.
std::string resultSetToJson(const db::ResultSet& rs);

}  // namespace host
