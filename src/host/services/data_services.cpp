// Data services over the current host's connection. Texts the forms build are run as
// they are; the only rewriting here is ":orgid" (sqlTemplate), whose store id is
// written as a quoted literal so that no store id can change a statement.
#include "host/services/data_services.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <nlohmann/json.hpp>
#include <optional>

#include "core/abort.h"
#include "core/format.h"
#include "core/guid.h"
#include "dataset/client_data_set.h"
#include "host/host.h"
#include "host/services/sys_services.h"
#include "host/services/unit_of_work.h"
#include "host/services/version_guard.h"
#include "tsql/storage_fault.h"

namespace host {

namespace {

bool isIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// True when `text` at `pos` holds the marker `marker` as a whole word.
bool markerAt(std::string_view text, std::size_t pos, std::string_view marker) {
  if (text.compare(pos, marker.size(), marker) != 0) return false;
  std::size_t end = pos + marker.size();
  return end >= text.size() || !isIdentChar(text[end]);
}

bool hasMarker(std::string_view sql, std::string_view marker) {
  for (std::size_t pos = sql.find(marker); pos != std::string_view::npos;
       pos = sql.find(marker, pos + 1))
    if (markerAt(sql, pos, marker)) return true;
  return false;
}

std::string quoted(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

std::string replaceOrgid(std::string_view sql, std::string_view orgid) {
  const std::string literal = quoted(orgid);
  std::string out;
  std::size_t from = 0;
  for (std::size_t pos = sql.find(":orgid"); pos != std::string_view::npos;
       pos = sql.find(":orgid", pos + 1)) {
    if (!markerAt(sql, pos, ":orgid")) continue;
    out.append(sql.substr(from, pos - from)).append(literal);
    from = pos + 6;
  }
  out.append(sql.substr(from));
  return out;
}

// The text a configuration document holds under "sqltemplates".<key> or the dotted
// path <key>; nothing when the key names no text.
std::optional<std::string> templateText(std::string_view key, std::string_view plugCode) {
  if (key.empty() || key.find_first_of(" \t\r\n") != std::string_view::npos) return std::nullopt;
  std::string doc = getplugInfo(plugCode);
  if (doc.empty()) return std::nullopt;
  auto json = nlohmann::json::parse(doc, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded() || !json.is_object()) return std::nullopt;
  auto templates = json.find("sqltemplates");
  if (templates != json.end() && templates->is_object()) {
    auto it = templates->find(std::string(key));
    if (it != templates->end() && it->is_string()) return it->get<std::string>();
  }
  const nlohmann::json* node = &json;
  std::size_t from = 0;
  while (from <= key.size()) {
    std::size_t dot = key.find('.', from);
    std::string part(
        key.substr(from, dot == std::string_view::npos ? key.size() - from : dot - from));
    if (!node->is_object() || !node->contains(part)) return std::nullopt;
    node = &(*node)[part];
    if (dot == std::string_view::npos) break;
    from = dot + 1;
  }
  if (!node->is_string()) return std::nullopt;
  return node->get<std::string>();
}

// The parameters with "orgid" bound to the store id when the text asks for it.
db::Params withOrgid(std::string_view sql, const db::Params& params) {
  db::Params out = params;
  if (!hasMarker(sql, ":orgid")) return out;
  for (const auto& [name, value] : params)
    if (name == "orgid") return out;
  out.emplace_back("orgid", core::Value(currentHost().login.orgid));
  return out;
}

// Table and column names are formatted into the text, so only plain names pass.
void requireName(std::string_view name, std::string_view what) {
  bool ok = !name.empty();
  for (char c : name) ok = ok && (isIdentChar(c) || c == '.' || c == '[' || c == ']');
  if (!ok) throw HostError("不是有效的" + std::string(what) + "名称：" + std::string(name));
}

db::BatchResult runQuery(std::string_view sql, const db::Params& params) {
  return currentHost().db().execBatch(sql, withOrgid(sql, params));
}

std::string lastError;

// The batch's own text, word for word, with the cause the connection adds when the
// disk or the file gave way under it (the clerk must know that retrying will not help).
std::string failureText(const db::BatchResult& result) {
  for (std::size_t i = 1; i < result.errors.size(); ++i)
    if (tsql::isStorageFaultNumber(result.errors[i].number))
      return result.errorMessage() + "：" + result.errors[i].message;
  return result.errorMessage();
}

}  // namespace

std::string sqlTemplate(std::string_view sqlOrKey, std::string_view plugCode) {
  std::string sql(sqlOrKey);
  if (!plugCode.empty())
    if (auto text = templateText(sqlOrKey, plugCode)) sql = *text;
  return replaceOrgid(sql, currentHost().login.orgid);
}

void openDataToCDS(dataset::ClientDataSet& ds, std::string_view sql, const db::Params& params) {
  db::BatchResult result = runQuery(sql, params);
  if (!result.ok()) throw HostError(failureText(result));
  // The dataset keeps the fields it has (a form's designed fields) and takes the
  // columns' own types otherwise.
  ds.loadFrom(result.resultSets.empty() ? db::ResultSet{} : std::move(result.resultSets.back()));
}

void openEachToCDS(dataset::ClientDataSet& ds, const std::vector<std::string>& texts,
                   const std::function<void(std::size_t)>& loaded) {
  if (texts.empty()) return;
  db::Params params;
  for (const std::string& text : texts)
    if (params.empty()) params = withOrgid(text, {});
  std::vector<db::BatchResult> results = currentHost().db().execEach(texts, params);
  for (std::size_t i = 0; i < results.size(); ++i) {
    if (!results[i].ok()) throw HostError(failureText(results[i]));
    ds.loadFrom(results[i].resultSets.empty() ? db::ResultSet{} : std::move(results[i].resultSets.back()));
    loaded(i);
  }
}

void openDataToCDSWithProgress(dataset::ClientDataSet& ds, std::string_view caption,
                               std::string_view sql, const db::Params& params) {
  // The screen is asked at most every tenth of a second however often the connection
  // asks, the first time at once.
  constexpr auto kEvery = std::chrono::milliseconds(100);
  Ui& ui = currentHost().screen();
  db::BatchResult result;
  {
    db::ProgressScope watch(
        currentHost().db(), [&, last = std::chrono::steady_clock::time_point{}]() mutable {
          const auto now = std::chrono::steady_clock::now();
          if (last != std::chrono::steady_clock::time_point{} && now - last < kEvery) return true;
          last = now;
          return ui.progress(caption);
        });
    result = runQuery(sql, params);
  }
  ui.progressDone();
  if (!result.ok() && result.errors.front().number == db::kCancelledNumber) {
    if (ds.active()) ds.emptyDataSet();
    MessageMyDlg(db::kCancelled, "提示", mtInformation);
    throw core::Abort();
  }
  if (!result.ok()) throw HostError(failureText(result));
  ds.loadFrom(result.resultSets.empty() ? db::ResultSet{} : std::move(result.resultSets.back()));
}

bool execSQLWhole(std::string_view sql, std::string_view failureMessage) {
  const std::string whole =
      "begin tran\r\nbegin try\r\n" + std::string(sql) +
      "\r\nend try\r\nbegin catch\r\nif @@trancount>0 rollback tran\r\nraiserror(" +
      core::QuotedStr(failureMessage) + ", 16, 1)\r\nend catch\r\nif @@trancount>0 commit tran";
  return execSQL(whole);
}

std::string openDataJson(std::string_view sql, const db::Params& params) {
  db::BatchResult result = runQuery(sql, params);
  if (!result.ok()) throw HostError(failureText(result));
  if (result.resultSets.empty()) return "[]";
  return resultSetToJson(result.resultSets.back());
}

bool execSQL(std::string_view sql, const db::Params& params) {
  if (!UnitOfWork::mayRunBatch()) {
    lastError = kUnitEndedMessage;
    return false;
  }
  db::BatchResult result = runQuery(VersionGuard::guarded(sql), params);
  VersionGuard::finished(result.ok(), result.ok() ? std::string() : result.errorMessage());
  if (result.ok()) {
    lastError.clear();
    return true;
  }
  lastError = failureText(result);
  LogMsgWithTag(lastError, "执行失败");
  return false;
}

const std::string& lastExecSQLError() { return lastError; }

bool checkBillVersion(std::string_view table, std::int64_t id, std::int64_t version) {
  requireName(table, "表");
  std::string sql = "select version from " + std::string(table) + " where id = :id";
  db::BatchResult result = runQuery(sql, {{"id", core::Value(id)}});
  if (!result.ok()) throw HostError(failureText(result));
  if (result.resultSets.empty() || result.resultSets.back().rows.empty()) return false;
  const core::Value& v = result.resultSets.back().rows.front().front();
  return !v.isNull() && v.asInteger() == version;
}

std::string newid() {
  const Host& host = currentHost();
  return host.idSource ? host.idSource() : core::newid();
}

std::string getplugInfo(std::string_view plugCode) {
  const Host& host = currentHost();
  auto it = host.plugInfo.find(std::string(plugCode));
  if (it != host.plugInfo.end()) return it->second;
  return host.defaultPlugInfo ? host.defaultPlugInfo(plugCode) : std::string();
}

std::string getDataById(std::string_view table, std::int64_t id, std::string_view keyColumn) {
  requireName(table, "表");
  requireName(keyColumn, "列");
  std::string sql =
      "select * from " + std::string(table) + " where " + std::string(keyColumn) + " = :id";
  return openDataJson(sql, {{"id", core::Value(id)}});
}

std::string jsonText(const core::Value& v) { return v.asText(); }

std::string resultSetToJson(const db::ResultSet& rs) {
  // Keys keep the column order; a repeated column name gets "_1", "_2" as the
  // toolkit names the second field of one name.
  std::vector<std::string> names;
  for (const auto& col : rs.columns) {
    std::string name = col.name;
    for (int n = 1; std::find(names.begin(), names.end(), name) != names.end(); ++n)
      name = col.name + "_" + std::to_string(n);
    names.push_back(name);
  }
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (const auto& row : rs.rows) {
    nlohmann::ordered_json obj = nlohmann::ordered_json::object();
    for (std::size_t i = 0; i < names.size() && i < row.size(); ++i)
      obj[names[i]] = jsonText(row[i]);
    rows.push_back(std::move(obj));
  }
  return rows.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace host
