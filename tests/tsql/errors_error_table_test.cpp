// The error table: every message made from it is read back to its own number (the
// path a runtime error takes out of SQLite), and templates take their arguments.
#include <gtest/gtest.h>

#include "tsql/errors/error_table.h"
#include "tsql/runtime/runtime.h"

namespace {

using tsql::errors::Error;

TEST(ErrorTable, EveryMessageReadsBackToItsNumber) {
  int previous = 0;
  for (const auto& e : tsql::errors::errorTable()) {
    int n = tsql::errors::number(e.error);
    EXPECT_LT(previous, n) << "kept in number order";
    previous = n;
    std::string text = tsql::errors::message(e.error, {"varchar", "x'y", "int"});
    EXPECT_EQ(text.find('%'), std::string::npos) << text;
    EXPECT_TRUE(e.severity >= 11 && e.severity <= 16) << n;
    if (e.text == "%1") continue;  // a raised or parser message: any text at all
    EXPECT_EQ(tsql::runtime::Runtime::errorNumber(text), n) << text;
  }
}

TEST(ErrorTable, FillsArgumentsInOrder) {
  EXPECT_EQ(tsql::errors::message(Error::ArithmeticOverflow, {"expression", "smallmoney"}),
            "Arithmetic overflow error converting expression to data type smallmoney.");
  EXPECT_EQ(tsql::errors::message(Error::ConversionFailed, {"varchar", "abc", "int"}),
            "Conversion failed when converting the varchar value 'abc' to data type int.");
  EXPECT_EQ(tsql::runtime::Runtime::errorNumber("no such message"), 0);
  // A message sharing only a template's first words is not made from it.
  EXPECT_EQ(tsql::errors::numberOfMessage("The datediff function resulted in an overflow."), 0);
  EXPECT_EQ(tsql::errors::numberOfMessage("Arithmetic overflow error converting x to data type int"), 0);
}

// Messages that share their words: the exact text wins over a template, and the texts
// the runtime raises read back to their own numbers.
TEST(ErrorTable, ReadsBackTheNumberOfTheMessagesTheRuntimeRaises) {
  using tsql::errors::number;
  EXPECT_EQ(tsql::errors::numberOfMessage("Invalid length parameter passed to the substring function."),
            number(Error::InvalidSubstringLength));
  EXPECT_EQ(tsql::errors::numberOfMessage("Invalid length parameter passed to the left function."),
            number(Error::InvalidLength));
  EXPECT_EQ(tsql::errors::numberOfMessage("Adding a value to a 'datetime' column caused an overflow."),
            number(Error::DateAddOverflow));
  EXPECT_EQ(tsql::errors::numberOfMessage("'fortnight' is not a recognized datepart option."),
            number(Error::UnknownDatepart));
  EXPECT_EQ(tsql::errors::numberOfMessage("Something a batch raised itself."), 0);
}

}  // namespace
