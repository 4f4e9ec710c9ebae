// libFuzzer target for the JSON selections lookups and selectors hand back: any input
// must parse into rows or throw JsonError, and parsed rows must survive being built
// into JSON again and parsed back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<core::JsonRow> rows;
  try {
    rows = core::parseSelection(text);
  } catch (const core::JsonError&) {
    return 0;
  }
  const std::string again = core::buildJsonArray(rows);
  if (core::parseSelection(again) != rows) std::abort();  // a round trip must not change a row
  return 0;
}
