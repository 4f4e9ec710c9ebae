// The T-SQL runtime functions called straight through SQLite, one table per rule:
// typed `+` and division, conversions, dates, strings, exact money aggregates.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <regex>
#include <string>

#include "core/date_time.h"
#include "tsql/runtime/runtime.h"

namespace {

// An in-memory database with the runtime installed; eval() renders the first column
// of the first row as text, "NULL", or "ERROR: <message>".
class RuntimeDb {
 public:
  RuntimeDb() {
    sqlite3_open(":memory:", &db_);
    tsql::runtime::Runtime::install(db_);
  }
  ~RuntimeDb() { sqlite3_close(db_); }
  sqlite3* db() const { return db_; }

  std::string eval(const std::string& expr) { return query("select " + expr); }

  std::string query(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
      return std::string("PREPARE: ") + sqlite3_errmsg(db_);
    }
    std::string out;
    int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
      auto* t = sqlite3_column_text(st, 0);
      out = sqlite3_column_type(st, 0) == SQLITE_NULL ? "NULL" : reinterpret_cast<const char*>(t);
    } else if (rc != SQLITE_DONE) {
      out = std::string("ERROR: ") + sqlite3_errmsg(db_);
    }
    sqlite3_finalize(st);
    return out;
  }

  void exec(const std::string& sql) {
    char* err = nullptr;
    ASSERT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << err;
  }

 private:
  sqlite3* db_ = nullptr;
};

struct Case {
  const char* expr;
  const char* expected;
};

void expectAll(RuntimeDb& db, std::initializer_list<Case> cases) {
  for (const auto& c : cases) EXPECT_EQ(db.eval(c.expr), c.expected) << c.expr;
}

TEST(RuntimeArithmetic, PlusFollowsTypePrecedence) {
  RuntimeDb db;
  expectAll(db, {
      {"tsql_add('1', 1)", "2"}, {"tsql_add(1, '1')", "2"}, {"tsql_add('ab', 'c')", "abc"},
      {"tsql_add('1', '1')", "11"}, {"tsql_add('1.5', 1.0)", "2.5"},
      {"tsql_add(null, 'x')", "NULL"}, {"tsql_add('x', null)", "NULL"},
      {"tsql_add('abc', 1)",
       "ERROR: Conversion failed when converting the varchar value 'abc' to data type int."},
      {"tsql_add('1.5', 1)",
       "ERROR: Conversion failed when converting the varchar value '1.5' to data type int."},
      {"tsql_add('abc', 1.5)", "ERROR: Error converting data type varchar to float."},
      {"tsql_sub('5', 2)", "3"},
      {"tsql_sub('5', '3')", "ERROR: Operand data type varchar is invalid for subtract operator."},
      {"tsql_mul('3', 2.5)", "7.5"}, {"tsql_neg('4')", "-4"},
      {"tsql_add(9223372036854775807, 1)",
       "ERROR: Arithmetic overflow error converting expression to data type bigint."},
  });
}

TEST(RuntimeArithmetic, DivisionTruncatesAndRefusesZero) {
  RuntimeDb db;
  expectAll(db, {
      {"tsql_div(7, 2)", "3"}, {"tsql_div(-7, 2)", "-3"}, {"tsql_div(7.0, 2)", "3.5"},
      {"tsql_div('9', 2)", "4"}, {"tsql_mod(7, 3)", "1"}, {"tsql_mod(-7, 3)", "-1"},
      {"tsql_div(1, 0)", "ERROR: Divide by zero error encountered."},
      {"tsql_div(1.5, 0.0)", "ERROR: Divide by zero error encountered."},
      {"tsql_mod(1, 0)", "ERROR: Divide by zero error encountered."}, {"tsql_div(null, 0)", "NULL"},
  });
}

TEST(RuntimeConversion, CastToNumbersAndBit) {
  RuntimeDb db;
  expectAll(db, {
      {"tsql_int('  42 ')", "42"}, {"tsql_int('-7')", "-7"}, {"tsql_int('')", "0"},
      {"tsql_int(4.9)", "4"}, {"tsql_int(-4.9)", "-4"},
      {"tsql_int('4.2')",
       "ERROR: Conversion failed when converting the varchar value '4.2' to data type int."},
      {"tsql_int('3000000000')",
       "ERROR: The conversion of the varchar value '3000000000' overflowed an int column."},
      {"tsql_bigint('3000000000')", "3000000000"}, {"tsql_float('1e3')", "1000.0"},
      {"tsql_float('x')", "ERROR: Error converting data type varchar to float."},
      {"tsql_bit('true')", "1"}, {"tsql_bit(' False ')", "0"}, {"tsql_bit('0')", "0"},
      {"tsql_bit(5)", "1"}, {"tsql_bit(0.0)", "0"},
      {"tsql_bit('yes')",
       "ERROR: Conversion failed when converting the varchar value 'yes' to data type bit."},
      {"tsql_decimal('2.345', 18, 2)", "2.35"},
      {"tsql_decimal('x', 18, 2)", "ERROR: Error converting data type varchar to numeric."},
  });
}

TEST(RuntimeConversion, MoneyRoundsHalfToEvenAtFourDecimals) {
  RuntimeDb db;
  expectAll(db, {
      {"tsql_money(1.23456)", "1.2346"}, {"tsql_money('0.00015')", "0.0002"},
      {"tsql_money('0.00025')", "0.0002"}, {"tsql_money('-0.00025')", "-0.0002"},
      {"tsql_money(7)", "7.0"},
      {"tsql_money('abc')",
       "ERROR: Cannot convert a char value to money. The char value has incorrect syntax."},
      {"tsql_money_text(12.345)", "12.35"}, {"tsql_money_text(1234567.5, 1)", "1,234,567.50"},
      {"tsql_money_text(-0.5, 2)", "-0.5000"},
  });
}

TEST(RuntimeConversion, TextOfValues) {
  RuntimeDb db;
  expectAll(db, {
      {"tsql_varchar(12.5)", "12.5"}, {"tsql_varchar(0.1)", "0.1"}, {"tsql_varchar(42)", "42"},
      {"tsql_varchar('abcdef', 3)", "abc"}, {"tsql_varchar('中文字', 2)", "中文"},
      {"tsql_varchar(12345, 3)", "*"}, {"tsql_float_text(1234567.0)", "1.23457e+006"},
      {"tsql_float_text(0.5)", "0.5"}, {"tsql_float_text(123456.0)", "123456"},
  });
}

TEST(RuntimeDates, ConversionAcceptsTheUsualLiterals) {
  RuntimeDb db;
  expectAll(db, {
      {"tsql_datetime('2024-01-05')", "2024-01-05 00:00:00.000"},
      {"tsql_datetime('20240105')", "2024-01-05 00:00:00.000"},
      {"tsql_datetime('2024/1/5 8:30')", "2024-01-05 08:30:00.000"},
      {"tsql_datetime('2024-01-05T08:30:15.5')", "2024-01-05 08:30:15.500"},
      {"tsql_datetime('2024-01-05 08:30:15.123')", "2024-01-05 08:30:15.123"},
      {"tsql_datetime('1753-01-01 00:00:00.003')", "1753-01-01 00:00:00.003"},
      {"tsql_datetime('9999-12-31 23:59:59.997')", "9999-12-31 23:59:59.997"},
      {"tsql_datetime('2024-01-05 2:30 PM')", "2024-01-05 14:30:00.000"},
      {"tsql_datetime('')", "1900-01-01 00:00:00.000"},
      {"tsql_datetime(1)", "1900-01-02 00:00:00.000"},
      {"tsql_datetime('2024-02-30')",
       "ERROR: Conversion failed when converting date and/or time from character string."},
      {"tsql_datetime('hello')",
       "ERROR: Conversion failed when converting date and/or time from character string."},
      {"tsql_datetime_text('2024-01-05 08:30:15.5', 120)", "2024-01-05 08:30:15"},
      {"tsql_datetime_text('2024-01-05 08:30:15', 23)", "2024-01-05"},
      {"tsql_datetime_text('2024-01-05', 112)", "20240105"},
  });
  // getdate() is the local clock
  core::DateTime::setClock([] { return core::DateTime::fromParts(2024, 5, 6, 7, 8, 9, 10); });
  EXPECT_EQ(db.eval("getdate()"), "2024-05-06 07:08:09.010");
  core::DateTime::setClock({});
}

TEST(RuntimeDates, SmalldatetimeRoundsToTheMinute) {
  RuntimeDb db;
  expectAll(db, {
      {"tsql_smalldatetime('2024-01-01 10:00:29.998')", "2024-01-01 10:00:00.000"},
      {"tsql_smalldatetime('2024-01-01 10:00:29.999')", "2024-01-01 10:01:00.000"},
      {"tsql_smalldatetime('2024-12-31 23:59:59')", "2025-01-01 00:00:00.000"},
      {"tsql_smalldatetime('2024-01-01 10:00:45')", "2024-01-01 10:01:00.000"},
  });
}

TEST(RuntimeDates, DatediffCountsBoundariesCrossed) {
  RuntimeDb db;
  expectAll(db, {
      {"datediff('day', '2024-01-01 23:59', '2024-01-02 00:01')", "1"},
      {"datediff('day', '2024-01-02 00:01', '2024-01-02 23:59')", "0"},
      {"datediff('day', '2024-03-01', '2024-02-28')", "-2"},
      {"datediff('dd', '2023-12-31', '2024-12-31')", "366"},
      {"datediff('month', '2024-01-31', '2024-02-01')", "1"},
      {"datediff('year', '2023-12-31 23:59:59', '2024-01-01')", "1"},
      {"datediff('hour', '2024-01-01 10:59:59', '2024-01-01 11:00:00')", "1"},
      {"datediff('minute', '2024-01-01 10:00:59', '2024-01-01 10:01:00')", "1"},
      {"datediff('second', '2024-01-01 10:00:00.999', '2024-01-01 10:00:01')", "1"},
      {"datediff('week', '2024-01-06', '2024-01-07')", "1"},
      {"datediff('day', null, '2024-01-01')", "NULL"},
      {"datediff('fortnight', '2024-01-01', '2024-01-02')",
       "ERROR: 'fortnight' is not a recognized datepart option."},
  });
}

TEST(RuntimeDates, DateaddClampsMonthEnds) {
  RuntimeDb db;
  expectAll(db, {
      {"dateadd('month', 1, '2024-01-31')", "2024-02-29 00:00:00.000"},
      {"dateadd('year', 1, '2024-02-29')", "2025-02-28 00:00:00.000"},
      {"dateadd('day', -1, '2024-03-01')", "2024-02-29 00:00:00.000"},
      {"dateadd('hour', 25, '2024-01-01')", "2024-01-02 01:00:00.000"},
      {"dateadd('minute', 90, '2024-01-01 23:00')", "2024-01-02 00:30:00.000"},
      {"dateadd('second', -1, '2024-01-01')", "2023-12-31 23:59:59.000"},
      {"dateadd('month', -6, '2024-08-31 10:20:30.400')", "2024-02-29 10:20:30.400"},
      {"datepart('weekday', '2024-01-07')", "1"}, {"year('2024-05-06')", "2024"},
      {"month('2024-05-06')", "5"}, {"day('2024-05-06')", "6"},
  });
}

TEST(RuntimeText, StringFunctionsCountCharacters) {
  RuntimeDb db;
  expectAll(db, {
      {"len('abc  ')", "3"}, {"len('  abc')", "5"}, {"len('中文 ')", "2"}, {"len('')", "0"},
      {"len(null)", "NULL"}, {"len(12345)", "5"}, {"ltrim('  a ')", "a "}, {"rtrim(' a  ')", " a"},
      {"replace('ABCabc', 'b', 'x')", "AxCaxc"}, {"replace('abc', '', 'x')", "abc"},
      {"replace('中文中', '中', '大')", "大文大"}, {"replace('a', 'a', null)", "NULL"},
      {"substring('abcdef', 2, 3)", "bcd"}, {"substring('abcdef', 0, 3)", "ab"},
      {"substring('abc', -1, 2)", ""}, {"substring('abc', 2, 100)", "bc"},
      {"substring('中文字', 2, 1)", "文"},
      {"substring('abc', 1, -1)", "ERROR: Invalid length parameter passed to the substring function."},
      {"tsql_left('abc', 2)", "ab"}, {"\"left\"('abc', 2)", "ab"}, {"tsql_right('abc', 2)", "bc"},
      {"tsql_right('abc', 5)", "abc"}, {"charindex('B', 'abcb')", "2"},
      {"charindex('b', 'abcb', 3)", "4"}, {"charindex('z', 'abc')", "0"},
      {"charindex('文', '中文')", "2"}, {"upper('abcé')", "ABCÉ"}, {"lower('ÀBΣ')", "àbσ"},
      {"upper('中a')", "中A"},
  });
}

TEST(RuntimeNumbers, AbsRoundIsnullNewid) {
  RuntimeDb db;
  expectAll(db, {
      {"abs(-3)", "3"}, {"abs(-2.5)", "2.5"}, {"round(2.675, 2)", "2.68"},
      {"round(1.005, 2)", "1.01"}, {"round(-0.285, 2)", "-0.29"}, {"round(0.284, 2)", "0.28"},
      {"round(-2.679, 2, 1)", "-2.67"}, {"round(1234567.8949, 3)", "1234567.895"},
      {"round(-2.5, 0)", "-3.0"}, {"round(2.679, 2, 1)", "2.67"}, {"round(1234, -2)", "1200"},
      {"round(1250, -2)", "1300"}, {"round(-1250, -2)", "-1300"}, {"tsql_isnull(null, 5)", "5"},
      {"tsql_isnull(3, 5)", "3"}, {"\"isnull\"(null, null)", "NULL"},
  });
  std::regex guid("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
  std::string a = db.eval("newid()"), b = db.eval("newid()");
  EXPECT_TRUE(std::regex_match(a, guid)) << a;
  EXPECT_NE(a, b);
}

TEST(RuntimeMoney, ThousandTenthsSumToExactlyOneHundredAndEmptyAggregatesAreNull) {
  RuntimeDb db;
  db.exec("create table t(je money)");
  db.exec("with recursive n(i) as (select 1 union all select i + 1 from n where i < 1000) "
          "insert into t select tsql_money(0.1) from n");
  EXPECT_EQ(db.query("select money_sum(je) = 100 from t"), "1");
  EXPECT_EQ(db.query("select money_sum(je) from t"), "100.0");
  // The plain double sum drifts, which is why money needs its own aggregate.
  EXPECT_EQ(db.query("select sum(je) = 100 from t"), "0");
  EXPECT_EQ(db.query("select money_avg(je) from t"), "0.1");
  // aggregates of nothing are NULL; a text that is not money is refused
  db.exec("create table u(je money, n int)");
  EXPECT_EQ(db.query("select money_sum(je) from u"), "NULL");
  db.exec("insert into u values (null, null), (1, 1), (1, 2), (2, 2)");
  EXPECT_EQ(db.query("select money_avg(je) from u"), "1.3333");
  EXPECT_EQ(db.query("select tsql_avg_int(n) from u"), "1");
  EXPECT_EQ(db.query("select money_sum(je) from u where n is null"), "NULL");
  db.exec("insert into u values ('x', 3)");
  EXPECT_EQ(db.query("select money_sum(je) from u"),
            "ERROR: Cannot convert a char value to money. The char value has incorrect syntax.");
}

TEST(RuntimeErrors, MessagesMapToSqlServerNumbers) {
  const std::pair<const char*, int> cases[] = {
      {"Conversion failed when converting the varchar value 'a' to data type int.", 245},
      {"Divide by zero error encountered.", 8134},
      {"Conversion failed when converting date and/or time from character string.", 241},
      {"Invalid length parameter passed to the substring function.", 537},
      {"Error converting data type varchar to float.", 8114}, {"no such table: x", 0},
  };
  for (const auto& [message, number] : cases) EXPECT_EQ(tsql::runtime::Runtime::errorNumber(message), number) << message;
}

}  // namespace
