// libFuzzer target for the T-SQL lexer and parser: any input must either parse or
// throw SyntaxError — never crash, hang or throw anything else. Built on demand
// (-DCOREAPP_FUZZ=ON with clang), not in CI.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tsql/parser/parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    tsql::Parser::parse(text);
  } catch (const tsql::SyntaxError&) {
    // Rejecting malformed text is the expected outcome for most inputs.
  }
  return 0;
}
