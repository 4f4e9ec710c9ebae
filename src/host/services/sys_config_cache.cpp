// Host settings read through the current host.
#include "host/services/sys_config_cache.h"

#include <algorithm>
#include <cctype>

#include "host/host.h"

namespace host {

std::string TSysConfigCache::get(std::string_view key) const {
  const auto& settings = currentHost().settings;
  auto it = settings.find(std::string(key));
  return it == settings.end() ? std::string() : it->second;
}

bool TSysConfigCache::isTrue(std::string_view key) const {
  std::string v = get(key);
  std::transform(v.begin(), v.end(), v.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return v == "1" || v == "true" || v == "yes" || v == "y" || v == "是";
}

TSysConfigCache SysConfigCache() { return TSysConfigCache{}; }

}  // namespace host
