// Money, float and datetime values as the bytes CAST to binary gives them, and binary(n)
// padding. Registered as SQL functions; see binary_values.cpp for the layouts.
#pragma once

#include <sqlite3.h>

#include <string>

namespace tsql::runtime {

//! A "0x..." text padded with zero bytes to `bytes` bytes, before the first byte when
//! `onTheLeft` (a number) and after the last otherwise (text and binary).
std::string paddedBinary(std::string text, int bytes, bool onTheLeft);

//! Registers tsql_money_raw(m), tsql_raw_money(i), tsql_float_bits(f, width),
//! tsql_datetime_bits(d, width), tsql_bits_datetime(i, width), tsql_binary_pad(x, n, left),
//! tsql_decimal_binary(x, p, s) and tsql_binary_decimal(b) (the decimal's exact text).
int installBinaryValueFunctions(sqlite3* db);

}  // namespace tsql::runtime
