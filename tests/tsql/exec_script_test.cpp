// Runs the SQL scripts under tests/tsql/scripts/ through the engine, DuckDB style:
// each case is one batch with the expected outcome written next to it.
//
//   statement ok              the batch runs without error
//   statement error <text>    the batch reports an error whose message contains <text>
//   query [error <text>]      the last result set must equal the rows after ----
//                             (columns separated by |, NULL for null); with `error`,
//                             the batch must also report that error
//
// Every script gets a fresh in-memory database; cases in a file run in order.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tsql/engine.h"

namespace {

struct Case {
  int line = 0;
  std::string kind;   // "statement" or "query"
  std::string error;  // expected error text ("" = none expected)
  bool expectError = false;
  std::string sql;
  std::vector<std::string> rows;
};

bool startsWith(const std::string& s, const char* p) { return s.rfind(p, 0) == 0; }

std::string trimRight(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
  return s;
}

std::vector<Case> loadCases(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::vector<Case> cases;
  std::string line;
  int lineNo = 0;
  enum { None, Sql, Rows } state = None;
  while (std::getline(in, line)) {
    ++lineNo;
    line = trimRight(line);
    if (startsWith(line, "statement ") || line == "query" || startsWith(line, "query ")) {
      Case c;
      c.line = lineNo;
      std::istringstream words(line);
      std::string word;
      words >> c.kind >> word;
      if (word == "error") {
        c.expectError = true;
        std::getline(words, c.error);
        if (!c.error.empty() && c.error[0] == ' ') c.error.erase(0, 1);
      }
      cases.push_back(std::move(c));
      state = Sql;
      continue;
    }
    if (state == None || startsWith(line, "#")) continue;
    if (state == Sql && line == "----") {
      state = Rows;
    } else if (state == Sql) {
      cases.back().sql += line + "\r\n";  // CR LF, as the forms send batches
    } else if (!line.empty()) {
      cases.back().rows.push_back(line);
    }
  }
  return cases;
}

std::string render(const core::Value& v) {
  switch (v.type()) {
    case core::ValueType::Null: return "NULL";
    case core::ValueType::Boolean: return v.asBool() ? "1" : "0";
    default: return v.asText();
  }
}

std::string describe(const tsql::BatchResult& r) {
  std::string out;
  for (const auto& e : r.errors) out += "\n  error " + std::to_string(e.number) + ": " + e.message;
  return out;
}

class ScriptTest : public testing::TestWithParam<std::string> {};

TEST_P(ScriptTest, RunsAsExpected) {
  std::filesystem::path file = std::filesystem::path(COREAPP_SOURCE_DIR) / "tests/tsql/scripts" / GetParam();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  {
    tsql::Engine engine(db);
    std::vector<Case> cases = loadCases(file);
    ASSERT_FALSE(cases.empty()) << file;
    for (const Case& c : cases) {
      SCOPED_TRACE(GetParam() + ":" + std::to_string(c.line));
      tsql::BatchResult r = engine.run(c.sql);
      if (c.expectError) {
        bool found = false;
        for (const auto& e : r.errors) found = found || e.message.find(c.error) != std::string::npos;
        EXPECT_TRUE(found) << "expected error containing '" << c.error << "'" << describe(r);
      } else {
        EXPECT_TRUE(r.ok()) << describe(r);
      }
      if (c.kind != "query") continue;
      std::vector<std::string> rows;
      if (!r.resultSets.empty()) {
        for (const auto& row : r.resultSets.back().rows) {
          std::string text;
          for (std::size_t i = 0; i < row.size(); ++i) text += (i ? "|" : "") + render(row[i]);
          rows.push_back(text);
        }
      }
      EXPECT_EQ(rows, c.rows) << describe(r);
    }
  }
  sqlite3_close(db);
}

std::vector<std::string> scriptNames() {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(COREAPP_SOURCE_DIR) / "tests/tsql/scripts"))
    if (e.path().extension() == ".test") names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptTest, testing::ValuesIn(scriptNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string n = info.param.substr(0, info.param.find('.'));
                           for (char& c : n)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

}  // namespace
