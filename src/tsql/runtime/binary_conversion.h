// varbinary values travel and are stored as their constant's text: "0x" and two
// upper-case hex digits a byte ("0x41" is the one byte 'A'). These are the conversions
// CAST and CONVERT need between that form, text and integers.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace tsql::runtime {

//! "0x" and the hex digits of `bytes`.
std::string binaryText(std::string_view bytes);
//! The bytes a "0x..." text holds; 8114 when it is not such a text.
std::string bytesOfBinary(std::string_view text);
//! `v` as `width` bytes, most significant first (two's complement), as binary text.
std::string integerBinary(std::int64_t v, int width);
//! The last `width` bytes of `bytes` (zeros before when shorter) as a signed integer.
std::int64_t binaryInteger(std::string_view bytes, int width);

//! Registers tsql_to_binary(x, width, style, n), tsql_binary_text(x, style),
//! tsql_binary_int(x, width) and tsql_binary_cut(x, n).
int installBinaryConversions(sqlite3* db);

}  // namespace tsql::runtime
