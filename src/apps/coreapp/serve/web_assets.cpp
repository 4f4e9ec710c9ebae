// Looks an embedded file up by its exact name: a request path is never joined to a folder,
// so no "../" can reach a file outside the few compiled in.
#include "apps/coreapp/serve/web_assets.h"

namespace serve {

const WebAsset* findAsset(std::string_view name) {
  for (const WebAsset& a : webAssets())
    if (a.name == name) return &a;
  return nullptr;
}

std::string_view assetType(std::string_view name) {
  if (name.ends_with(".js")) return "text/javascript; charset=utf-8";
  if (name.ends_with(".css")) return "text/css; charset=utf-8";
  return "application/octet-stream";
}

}  // namespace serve
