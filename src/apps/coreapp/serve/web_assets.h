// The phone view's static files (its script and style sheet), compiled into the program
// from serve/assets/ so that the server needs no files beside it and no outside host.
#pragma once

#include <string_view>
#include <vector>

namespace serve {

struct WebAsset {
  std::string_view name;  //!< "app.js", served as /assets/app.js
  std::string_view body;
};

//! Every embedded file (generated at build time from serve/assets/).
const std::vector<WebAsset>& webAssets();
//! The file named `name`, or null.
const WebAsset* findAsset(std::string_view name);
//! Its Content-Type by extension ("text/javascript; charset=utf-8", ...).
std::string_view assetType(std::string_view name);

}  // namespace serve
