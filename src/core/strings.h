// Text helpers the forms use on SQL and field texts: trimming, replacing every
// occurrence (the bill-number placeholder becomes @billno), ASCII case-insensitive
// comparison ("True"/"true" settings), splitting and joining, HTML escaping.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace core {

//! Removes blanks (space, tab, CR, LF) at both ends.
std::string trim(std::string_view text);
//! Replaces every occurrence of `from` (not empty) by `to`, left to right, no rescans.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);
//! Equal ignoring ASCII letter case ("TRUE" == "true"; other bytes compare exactly).
bool sameText(std::string_view a, std::string_view b);
//! ASCII lower / upper case; other bytes (Chinese text) unchanged.
std::string lowerCase(std::string_view text);
std::string upperCase(std::string_view text);
//! Splits at every `separator`; "" gives one empty part, "a,,b" three parts.
std::vector<std::string> split(std::string_view text, std::string_view separator);
//! Joins parts with `separator` between them.
std::string join(const std::vector<std::string>& parts, std::string_view separator);
//! Text safe inside HTML content and quoted attributes: & < > " ' as entities.
std::string escapeHtml(std::string_view text);

}  // namespace core
