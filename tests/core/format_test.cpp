// Format and QuotedStr: the directives the SQL texts and messages are written with,
// including indexed arguments used more than once and fixed precision.
#include "core/format.h"

#include <gtest/gtest.h>

#include <climits>

namespace core {
namespace {

Currency money(const char* text) { return Currency::parse(text).value(); }

struct FormatCase {
  const char* format;
  std::vector<Value> args;
  const char* expected;
};

TEST(FormatTest, FillsDirectives) {
  const FormatCase cases[] = {
      {"%s", {"abc"}, "abc"}, {"%d", {42}, "42"}, {"%d", {-7}, "-7"}, {"%d", {"12"}, "12"},
      {"%d", {" -12 "}, "-12"}, {"%d", {3.0}, "3"}, {"%d", {Currency::fromInt(4)}, "4"},
      {"where billno = '%s' and hc.orgid='%s'",
       {"XM001", "0001"},
       "where billno = 'XM001' and hc.orgid='0001'"},
      {"%0:s-%1:s-%0:s", {"a", "b"}, "a-b-a"},
      {"%1:s %s", {"a", "b", "c"}, "b c"},  // a plain directive follows the indexed one
      {"billno='%0:s' and x='%0:s'", {"SK9"}, "billno='SK9' and x='SK9'"},
      {"%0.8f", {money("12.5")}, "12.50000000"}, {"%0.8f", {money("-0.5")}, "-0.50000000"},
      {"%0.8f", {1.5}, "1.50000000"},
      {"%.2f", {money("1.005")}, "1.00"},  // half even, like the money type
      {"%.2f", {money("1.015")}, "1.02"},
      {"%f", {2}, "2.00"}, {"%.0f", {money("2.5")}, "2"}, {"%n", {money("1234567.5")}, "1,234,567.50"},
      {"%%%d%%", {5}, "%5%"}, {"%5d|%-5d|", {42, 42}, "   42|42   |"}, {"%.3d", {7}, "007"},
      {"%x", {255}, "FF"}, {"%s|%s|%s", {Value(), 12.5, true}, "|12.5|True"},
      {"%.2s", {"中文字"}, "中文"}, {"%4s|", {"中"}, "   中|"},
      {"values(:orgid,%d,%d,%0.8f,%s)",
       {3, 9, money("0.0001"), QuotedStr("a'b")},
       "values(:orgid,3,9,0.00010000,'a''b')"},
      {"no directives", {}, "no directives"},
  };
  for (const FormatCase& c : cases) EXPECT_EQ(Format(c.format, c.args), c.expected) << c.format;
  // arguments written in place; whole numbers at the ends of the range
  EXPECT_EQ(Format("exec p @a=%d,@b=%d,@c=%s", {INT64_MIN, INT64_MAX, "x"}),
            "exec p @a=-9223372036854775808,@b=9223372036854775807,@c=x");
  EXPECT_EQ(Format("%0d|%3d|%.2d", {0, -5, -5}), "0| -5|-05");
}

TEST(FormatTest, BadFormatsAndMissingArgumentsThrow) {
  const FormatCase cases[] = {
      {"%s %s", {"a"}, "argument 1 is missing"}, {"%2:s", {"a", "b"}, "argument 2 is missing"},
      {"%q", {"a"}, "unknown directive type 'q'"}, {"50%", {}, "has no type"},
      {"%.f", {1.0}, "precision expected"}, {"%d", {"abc"}, "argument 0 is not an integer"},
      {"%d", {1.5}, "argument 0 is not an integer"}, {"%d", {"1-2"}, "argument 0 is not an integer"},
      {"%d", {"-"}, "argument 0 is not an integer"}, {"%d", {Value()}, "argument 0 is not an integer"},
      {"%f", {"x"}, "argument 0 is not a number"},
  };
  for (const FormatCase& c : cases) {
    try {
      Format(c.format, c.args);
      ADD_FAILURE() << "no error for " << c.format;
    } catch (const FormatError& e) {
      EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
    }
  }
}

TEST(FormatTest, QuotedStrDoublesEmbeddedQuotes) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "''"},       {"a", "'a'"},          {"O'Brien", "'O''Brien'"},
      {"''", "''''''"}, {"中'文", "'中''文'"}, {"a\"b", "'a\"b'"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(QuotedStr(in), out) << in;
}

}  // namespace
}  // namespace core
