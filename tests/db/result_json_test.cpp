// Result sets as JSON lines and command-line parameters, as `coreapp sql` prints and
// reads them.
#include <gtest/gtest.h>

#include "db/param_text.h"
#include "db/result_csv.h"
#include "db/result_json.h"

namespace {

using core::Value;
using core::ValueType;

TEST(ResultJson, ValuesFollowTheOutputContract) {
  struct Case {
    Value value;
    ValueType column;
    const char* json;
  } cases[] = {
      {Value(), ValueType::Text, "null"}, {Value(std::int64_t{42}), ValueType::Integer, "42"},
      {Value(true), ValueType::Boolean, "1"}, {Value(false), ValueType::Boolean, "0"},
      {Value(12.5), ValueType::Float, "12.5"}, {Value(0.1), ValueType::Float, "0.1"},
      {Value(core::Currency::fromRaw(125000)), ValueType::Currency, "12.5"},
      {Value(core::Currency::fromRaw(-1)), ValueType::Currency, "-0.0001"},
      {Value(99.99999999999986), ValueType::Currency, "100"},  // a drifted money double
      {Value(1.23456), ValueType::Currency, "1.2346"},
      {Value("中文 \"q\"\n"), ValueType::Text, "\"中文 \\\"q\\\"\\n\""},
      {Value(core::DateTime::fromParts(2024, 1, 5, 8, 30, 0)), ValueType::DateTime,
       "\"2024-01-05 08:30:00\""},
      {Value(core::DateTime::fromParts(2024, 1, 5, 8, 30, 0, 7)), ValueType::DateTime,
       "\"2024-01-05 08:30:00.007\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(db::ResultJson::value(c.value, c.column), c.json);
  }
}

TEST(ResultJson, LineHasColumnsThenRows) {
  tsql::ResultSet rs;
  rs.columns = {{"id", ValueType::Integer}, {"dj", ValueType::Currency}};
  rs.rows = {{Value(std::int64_t{1}), Value(core::Currency::fromRaw(125000))},
             {Value(std::int64_t{2}), Value()}};
  EXPECT_EQ(db::ResultJson::line(rs), R"({"columns":["id","dj"],"rows":[[1,12.5],[2,null]]})");
  tsql::ResultSet empty;
  empty.columns = {{"a", ValueType::Text}};
  EXPECT_EQ(db::ResultJson::line(empty), R"({"columns":["a"],"rows":[]})");
}

TEST(ParamText, TypedAndTextParameters) {
  using db::ParamText;
  EXPECT_EQ(ParamText::parse("billno=XM001"), std::make_pair(std::string("billno"), Value("XM001")));
  EXPECT_EQ(ParamText::parse(":orgid=0001").first, "orgid");
  EXPECT_EQ(ParamText::parse("orgid=0001").second, Value("0001"));  // text stays text
  EXPECT_EQ(ParamText::parse("s=a=b").second, Value("a=b"));
  EXPECT_EQ(ParamText::parse("kh_id:int=7").second, Value(std::int64_t{7}));
  EXPECT_EQ(ParamText::parse("x:float=2.5").second, Value(2.5));
  EXPECT_EQ(ParamText::parse("je:money=0.00015").second, Value(core::Currency::fromRaw(2)));
  EXPECT_EQ(ParamText::parse("dt:datetime=2024-01-05 08:30").second,
            Value(core::DateTime::fromParts(2024, 1, 5, 8, 30)));
  EXPECT_EQ(ParamText::parse("b:bit=true").second, Value(true));
  EXPECT_EQ(ParamText::parse("n:int=").second, Value());
}

TEST(ParamText, MistakesNameTheParameter) {
  for (const char* text : {"noequals", "=5", "n:int=4.5", "n:int=abc", "x:float=1e",
                           "je:money=12,3.x", "dt:datetime=yesterday", "b:bit=2", "n:long=1"}) {
    try {
      db::ParamText::parse(text);
      ADD_FAILURE() << text << " was accepted";
    } catch (const db::ParamTextError& e) {
      EXPECT_FALSE(std::string(e.what()).empty());
    }
  }
}

// CSV for spreadsheets: a field is quoted only when it must be, its quotes doubled; the
// text opens with a byte order mark and every line ends in CRLF.
TEST(ResultCsv, QuotesWhatNeedsItAndWritesValuesAsJsonDoes) {
  struct Case {
    const char *text, *csv;
  } cases[] = {
      {"plain 文本", "plain 文本"},     {"a,b", "\"a,b\""},   {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\nlines", "\"two\nlines\""}, {"cr\r", "\"cr\r\""}, {"", ""}};
  for (const Case& c : cases) EXPECT_EQ(db::ResultCsv::field(c.text), c.csv) << c.text;
  tsql::ResultSet rs;
  rs.columns = {{"id", core::ValueType::Integer},
                {"je", core::ValueType::Currency},
                {"rq", core::ValueType::DateTime}};
  rs.rows = {{core::Value(1), core::Value(*core::Currency::parse("12.5")),
              core::Value(*core::DateTime::parse("2026-11-05"))},
             {core::Value(2), core::Value(), core::Value()}};
  EXPECT_EQ(db::ResultCsv::text(rs),
            "\xEF\xBB\xBFid,je,rq\r\n1,12.5,2026-11-05 00:00:00\r\n2,,\r\n");
}

}  // namespace
