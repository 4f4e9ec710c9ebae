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
    EXPECT_EQ(tsql::runtime::Runtime::errorNumber(text), n) << text;
    EXPECT_EQ(text.find('%'), std::string::npos) << text;
    EXPECT_EQ(e.severity, 16);
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

}  // namespace
