// Splitting script files at GO lines, mapping a refused batch back to its file line,
// and the shape rules SQL Server imposes on the embedded files.
#include "schema/schema_script.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string>

namespace {

using schema::SchemaScript;
using schema::ScriptBatch;
using schema::ScriptFile;

std::vector<std::string> texts(const std::vector<ScriptBatch>& batches) {
  std::vector<std::string> out;
  for (const auto& b : batches) out.emplace_back(b.text);
  return out;
}

TEST(SchemaScriptSplit, SeparatesAtGoLinesOnly) {
  struct Case {
    const char* text;
    std::vector<std::string> batches;
    std::vector<int> lines;
  };
  const Case cases[] = {
      {"select 1\n", {"select 1\n"}, {1}},
      {"select 1\nGO\nselect 2\n", {"select 1\n", "select 2\n"}, {1, 3}},
      {"a\n  go  \r\nb\nGo\nc", {"a\n", "b\n", "c"}, {1, 3, 5}},
      // GO inside a line, or a word starting with GO, is not a separator.
      {"select 'GO'\ngoto x\nGOTO\n", {"select 'GO'\ngoto x\nGOTO\n"}, {1}},
      // Empty batches (leading, doubled or trailing GO) are left out.
      {"GO\n\nGO\nselect 1\nGO\n\n", {"select 1\n"}, {4}},
      {"", {}, {}},
  };
  for (const auto& c : cases) {
    auto batches = SchemaScript::split({"f.sql", c.text});
    EXPECT_EQ(texts(batches), c.batches) << c.text;
    std::vector<int> lines;
    for (const auto& b : batches) lines.push_back(b.firstLine);
    EXPECT_EQ(lines, c.lines) << c.text;
  }
}

// A connection that refuses the batch containing a marker, at a given batch line.
class RefusingConnection : public db::Connection {
 public:
  std::vector<std::string> seen;
  db::BatchResult execBatch(std::string_view sql, const db::Params&) override {
    seen.emplace_back(sql);
    db::BatchResult r;
    if (sql.find("bad") != std::string_view::npos) {
      db::SqlError e;
      e.line = 2;
      e.message = "Invalid column name 'bad'.";
      r.errors.push_back(e);
    }
    return r;
  }
  void beginUnit() override { throw std::logic_error("schema scripts run no unit of work"); }
  std::string commitUnit() override { return "no unit"; }
  void rollbackUnit() override {}
  bool unitOpen() const override { return false; }
};

TEST(SchemaScriptRun, StopsAtTheFirstErrorNamingFileAndLine) {
  RefusingConnection conn;
  SchemaScript script(
      {{"a.sql", "select 1\n"}, {"b.sql", "select 2\nGO\n-- x\nselect bad\nGO\nselect 3\n"}});
  try {
    script.run(conn);
    FAIL() << "no error thrown";
  } catch (const schema::SchemaError& e) {
    // The refused batch starts on line 3 of b.sql and failed on its own line 2.
    EXPECT_STREQ(e.what(), "b.sql line 4: Invalid column name 'bad'.");
  }
  EXPECT_EQ(conn.seen.size(), 3u);  // nothing after the refused batch ran
}

std::string lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return out;
}

// The batch text without comments and leading blanks, in lower case.
std::string code(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    if (text.compare(i, 2, "--") == 0) {
      i = text.find('\n', i);
      if (i == std::string_view::npos) break;
    } else {
      out += text[i++];
    }
  }
  auto first = out.find_first_not_of(" \t\r\n");
  return first == std::string::npos ? "" : lower(out.substr(first));
}

int count(const std::string& hay, const std::string& needle) {
  int n = 0;
  for (auto p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++n;
  return n;
}

TEST(EmbeddedFiles, AreInFileNameOrderAndViewsAndProceduresStartTheirBatch) {
  for (const auto* files : {&schema::schemaFiles(), &schema::demoFiles()}) {
    ASSERT_FALSE(files->empty());
    EXPECT_TRUE(
        std::is_sorted(files->begin(), files->end(),
                       [](const ScriptFile& a, const ScriptFile& b) { return a.name < b.name; }));
  }
  int views = 0, procedures = 0;
  for (const auto& batch : SchemaScript(schema::schemaFiles()).batches()) {
    std::string c = code(batch.text);
    int v = count(c, "create view"), p = count(c, "create procedure");
    views += v;
    procedures += p;
    if (v + p == 0) continue;
    EXPECT_EQ(v + p, 1) << batch.file << " line " << batch.firstLine;
    EXPECT_TRUE(c.rfind("create view", 0) == 0 || c.rfind("create procedure", 0) == 0)
        << batch.file << " line " << batch.firstLine << " does not start with its CREATE";
  }
  EXPECT_EQ(views, 6);
  EXPECT_EQ(procedures, 17);
}

}  // namespace
