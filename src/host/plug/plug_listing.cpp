// JSON line of a plug item, keys in the order the command-line contract shows them.
#include "host/plug/plug_listing.h"

#include <nlohmann/json.hpp>

namespace host {

std::string plugItemJson(const TPlugItem& item) {
  using Json = nlohmann::ordered_json;
  Json rules = Json::array();
  for (const TauthRule& rule : item.rules())
    rules.push_back({{"code", rule.code}, {"parent", rule.parent}, {"caption", rule.caption}});
  Json line = {{"code", item.code},
               {"caption", item.caption},
               {"class", item.formClass.name},
               {"guid", item.GUID},
               {"rules", rules}};
  return line.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace host
