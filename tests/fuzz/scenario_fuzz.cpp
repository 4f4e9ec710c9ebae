// libFuzzer target for scenario files: any input must parse or throw
// MalformedScenario naming the step or key; nothing else may escape.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/player/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    host::Scenario::parse(text);
  } catch (const host::MalformedScenario&) {
  }
  return 0;
}
