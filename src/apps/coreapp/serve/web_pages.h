// The HTML of the phone view: the sign-in page and the one page shell every report tab
// shares (tabs he may open, his stores, the date pickers); the data comes afterwards from
// the page's one JSON request. No inline script or style: the pages keep to a strict
// Content-Security-Policy that allows only the server's own assets.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "apps/coreapp/serve/web_reports.h"

namespace serve {

//! The sign-in form; `message` (may be empty) is shown above it.
std::string signInPage(const std::string& shop, const std::string& message);
//! The page of `page` for `user`, with the tabs he may open and his stores.
std::string reportPage(const std::string& shop, const WebUser& user, const WebPage& page,
                       const std::vector<std::pair<std::int64_t, std::string>>& stores);
//! A short page for a refusal or a missing page.
std::string messagePage(const std::string& title, const std::string& message);

}  // namespace serve
