// Text becomes its own bytes (CONVERT style 1 reads "0x..." text, style 2 hex without
// the prefix) and is cut on the right; an integer becomes its bytes, cut on the left,
// as the server pads and cuts numbers. To text, style 0 gives the bytes as characters,
// 1 the "0x..." form and 2 the hex digits alone.
#include "tsql/runtime/binary_conversion.h"

#include "tsql/runtime/sql_args.h"

namespace tsql::runtime {

namespace {

constexpr const char* kHex = "0123456789ABCDEF";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Hex digits (an even count) as bytes; 8114 otherwise.
std::string bytesOfHex(std::string_view hex, const char* from) {
  if (hex.size() % 2) throw RuntimeError(errors::Error::ConvertDataType, {from, "varbinary"});
  std::string out;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    int hi = hexValue(hex[i]), lo = hexValue(hex[i + 1]);
    if (hi < 0 || lo < 0) throw RuntimeError(errors::Error::ConvertDataType, {from, "varbinary"});
    out += static_cast<char>(hi * 16 + lo);
  }
  return out;
}

// The bytes CAST / CONVERT(varbinary(n), x, style) makes of x.
std::string bytesFor(SqlArgs& a, int width, int style) {
  if (width > 0) return bytesOfBinary(integerBinary(a.integer(0), width));
  std::string_view text = a.text(0);
  if (style == 1) return bytesOfBinary(text);
  if (style == 2) return bytesOfHex(text, "varchar");
  return std::string(text);
}

void toBinary(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  int width = static_cast<int>(a.integer(1));
  std::string bytes = bytesFor(a, width, static_cast<int>(a.integer(2)));
  auto n = static_cast<std::size_t>(a.integer(3));
  if (n > 0 && bytes.size() > n) bytes = width > 0 ? bytes.substr(bytes.size() - n) : bytes.substr(0, n);
  a.set(binaryText(bytes));
}

void binaryToText(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  std::string_view text = a.text(0);
  switch (a.integer(1)) {
    case 1: return a.set(binaryText(bytesOfBinary(text)));
    case 2: return a.set(binaryText(bytesOfBinary(text)).substr(2));
    default: return a.set(bytesOfBinary(text));
  }
}

void binaryToInteger(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  a.set(binaryInteger(bytesOfBinary(a.text(0)), static_cast<int>(a.integer(1))));
}

void cutBinary(SqlArgs& a) {
  if (a.isNull(0)) return a.setNull();
  std::string bytes = bytesOfBinary(a.text(0));
  auto n = static_cast<std::size_t>(a.integer(1));
  a.set(binaryText(n > 0 && bytes.size() > n ? bytes.substr(0, n) : bytes));
}

}  // namespace

std::string binaryText(std::string_view bytes) {
  std::string out = "0x";
  for (char c : bytes) {
    auto b = static_cast<unsigned char>(c);
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

std::string bytesOfBinary(std::string_view text) {
  if (text.size() < 2 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
    throw RuntimeError(errors::Error::ConvertDataType, {"varchar", "varbinary"});
  return bytesOfHex(text.substr(2), "varchar");
}

std::string integerBinary(std::int64_t v, int width) {
  std::string bytes(static_cast<std::size_t>(width), '\0');
  auto u = static_cast<std::uint64_t>(v);
  for (int i = width - 1; i >= 0; --i, u >>= 8) bytes[static_cast<std::size_t>(i)] = static_cast<char>(u & 0xFF);
  return binaryText(bytes);
}

std::int64_t binaryInteger(std::string_view bytes, int width) {
  if (bytes.size() > static_cast<std::size_t>(width)) bytes = bytes.substr(bytes.size() - static_cast<std::size_t>(width));
  std::uint64_t u = 0;
  for (char c : bytes) u = (u << 8) | static_cast<unsigned char>(c);
  if (width < 8 && !bytes.empty() && bytes.size() == static_cast<std::size_t>(width) && (static_cast<unsigned char>(bytes[0]) & 0x80))
    u |= ~std::uint64_t{0} << (8 * width);  // the sign bit of a full-width value
  return static_cast<std::int64_t>(u);
}

int installBinaryConversions(sqlite3* db) {
  return firstFailure({defineFunction<toBinary>(db, "tsql_to_binary", 4),
                       defineFunction<binaryToText>(db, "tsql_binary_text", 2),
                       defineFunction<binaryToInteger>(db, "tsql_binary_int", 2),
                       defineFunction<cutBinary>(db, "tsql_binary_cut", 2)});
}

}  // namespace tsql::runtime
