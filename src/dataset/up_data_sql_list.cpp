// Statements from pending changes. The literal writer is the only place where values
// become SQL text, so the quoting rule (double every single quote) covers every text
// a user can type; nothing else of a value reaches the statement unquoted.
#include "dataset/up_data_sql_list.h"

#include <cctype>
#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "dataset/client_data_set.h"
#include "dataset/data_set_error.h"

namespace dataset {

namespace {

// Fewest digits that read back to the same double, in plain decimal notation while
// that stays within the 38 digits a numeric literal may have.
std::string floatLiteral(double d) {
  if (!std::isfinite(d))
    throw DataSetError("A float value that is not a finite number cannot be written to SQL");
  if (d == 0) return "0";
  char buf[512];
  auto fixed = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed);
  std::string s(buf, fixed.ptr);
  size_t digits = 0;
  for (char c : s) digits += std::isdigit(static_cast<unsigned char>(c)) ? 1 : 0;
  if (fixed.ec == std::errc() && digits <= 38) return s;
  auto sci = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific);
  return std::string(buf, sci.ptr);
}

std::string currencyLiteral(core::Currency c) {
  std::int64_t raw = c.raw();
  // Work on the magnitude as unsigned so the most negative value does not overflow.
  std::uint64_t mag =
      raw < 0 ? 0 - static_cast<std::uint64_t>(raw) : static_cast<std::uint64_t>(raw);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%" PRIu64 ".%04" PRIu64, raw < 0 ? "-" : "", mag / 10000,
                mag % 10000);
  return buf;
}

bool skipped(const std::vector<std::string>& skip, std::string_view name) {
  for (const std::string& s : skip) {
    if (s.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < s.size() && same; ++i)
      same = std::tolower(static_cast<unsigned char>(s[i])) ==
             std::tolower(static_cast<unsigned char>(name[i]));
    if (same) return true;
  }
  return false;
}

// A key value is always quoted, whatever its type.
std::string keyLiteral(const core::Value& v) {
  if (v.type() == core::ValueType::Text || v.type() == core::ValueType::DateTime || v.isNull())
    return sqlLiteral(v);
  return quotedSqlText(sqlLiteral(v));
}

struct Writer {
  std::string_view table;
  const ClientDataSet& ds;
  int keyIndex;
  std::vector<bool> skip;  // per field

  std::string literal(int field, const core::Value& v) const {
    return field == keyIndex ? keyLiteral(v) : sqlLiteral(v);
  }

  std::string keyCondition(const std::vector<core::Value>& original) const {
    const core::Value& key = original[static_cast<size_t>(keyIndex)];
    if (key.isNull())
      throw DataSetError("Cannot write a change of " + std::string(table) +
                         ": the row has no value in its key field " + ds.field(keyIndex).name());
    return " where " + ds.field(keyIndex).name() + "=" + keyLiteral(key);
  }

  std::string insertStatement(const std::vector<core::Value>& values) const {
    std::string names, literals;
    for (int f = 0; f < ds.fieldCount(); ++f) {
      const core::Value& v = values[static_cast<size_t>(f)];
      if (skip[static_cast<size_t>(f)] || v.isNull()) continue;
      names += (names.empty() ? "" : ",") + ds.field(f).name();
      literals += (literals.empty() ? "" : ",") + literal(f, v);
    }
    if (names.empty()) return {};
    return "insert into " + std::string(table) + " (" + names + ") values (" + literals + ")";
  }

  std::string updateStatement(const std::vector<core::Value>& values,
                              const std::vector<core::Value>& original) const {
    std::string sets;
    for (int f = 0; f < ds.fieldCount(); ++f) {
      size_t i = static_cast<size_t>(f);
      if (skip[i] || values[i] == original[i]) continue;
      sets += (sets.empty() ? "" : ",") + ds.field(f).name() + "=" + literal(f, values[i]);
    }
    if (sets.empty()) return {};  // changed and changed back: nothing to write
    return "update " + std::string(table) + " set " + sets + keyCondition(original);
  }

  std::string deleteStatement(const std::vector<core::Value>& original) const {
    return "delete from " + std::string(table) + keyCondition(original);
  }
};

}  // namespace

std::string quotedSqlText(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

std::string sqlLiteral(const core::Value& v) {
  switch (v.type()) {
    case core::ValueType::Null:
      return "NULL";
    case core::ValueType::Integer:
      return std::to_string(v.asInteger());
    case core::ValueType::Float:
      return floatLiteral(v.asFloat());
    case core::ValueType::Currency:
      return currencyLiteral(v.asCurrency());
    case core::ValueType::Boolean:
      return v.asBool() ? "1" : "0";
    case core::ValueType::DateTime:
      return "'" + v.asDateTime().toSqlString() + "'";
    case core::ValueType::Text:
      return quotedSqlText(v.asText());
  }
  return "NULL";
}

void GetUpDataSQLList(std::string_view table, std::string_view keyField,
                      const std::vector<std::string>& skipFields, const ClientDataSet& ds,
                      std::vector<std::string>& list) {
  Writer w{table, ds, ds.fieldByName(keyField).index(), {}};
  for (int f = 0; f < ds.fieldCount(); ++f)
    w.skip.push_back(skipped(skipFields, ds.field(f).name()));
  for (const PendingChange& c : ds.pendingChanges()) {
    std::string sql;
    switch (c.status) {
      case UpdateStatus::Inserted:
        sql = w.insertStatement(*c.values);
        break;
      case UpdateStatus::Modified:
        sql = w.updateStatement(*c.values, *c.original);
        break;
      case UpdateStatus::Deleted:
        sql = w.deleteStatement(*c.original);
        break;
      case UpdateStatus::Unmodified:
        break;
    }
    if (!sql.empty()) list.push_back(std::move(sql));
  }
}

}  // namespace dataset
