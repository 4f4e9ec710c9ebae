// The case files under tests/tsql/scripts/, DuckDB style: each case is one batch with
// the expected outcome written next to it (format in exec_script_test.cpp). Shared by
// the embedded engine's runner and the server's (tests/db).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tsql/batch_result.h"

namespace scriptcases {

struct Case {
  int line = 0;
  std::string kind;   // "statement" or "query"
  std::string error;  // expected error text ("" = none expected)
  bool expectError = false;
  std::string sql;
  std::vector<std::string> rows;
};

inline bool startsWith(const std::string& s, const char* p) { return s.rfind(p, 0) == 0; }

inline std::string trimRight(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
  return s;
}

inline std::vector<Case> loadCases(const std::filesystem::path& file) {
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

inline std::string render(const core::Value& v) {
  switch (v.type()) {
    case core::ValueType::Null: return "NULL";
    case core::ValueType::Boolean: return v.asBool() ? "1" : "0";
    default: return v.asText();
  }
}

inline std::string describe(const tsql::BatchResult& r) {
  std::string out;
  for (const auto& e : r.errors) out += "\n  error " + std::to_string(e.number) + ": " + e.message;
  return out;
}

//! Checks one case's outcome (errors and, for a query, the last result set's rows).
inline void check(const Case& c, const tsql::BatchResult& r) {
  if (c.expectError) {
    bool found = false;
    for (const auto& e : r.errors) found = found || e.message.find(c.error) != std::string::npos;
    EXPECT_TRUE(found) << "expected error containing '" << c.error << "'" << describe(r);
  } else {
    EXPECT_TRUE(r.ok()) << describe(r);
  }
  if (c.kind != "query") return;
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

inline std::filesystem::path scriptFolder() {
  return std::filesystem::path(COREAPP_SOURCE_DIR) / "tests/tsql/scripts";
}

//! The case files' names, sorted.
inline std::vector<std::string> scriptNames() {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(scriptFolder()))
    if (e.path().extension() == ".test") names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

//! A script's name as a test name ("update_from.test" -> "update_from").
inline std::string testName(const std::string& file) {
  std::string n = file.substr(0, file.find('.'));
  for (char& c : n)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return n;
}

}  // namespace scriptcases
