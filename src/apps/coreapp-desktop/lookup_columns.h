// What a lookup window shows of its candidate rows: Chinese captions for the master
// data columns a clerk chooses by, nothing else (no ids, keys, marks, costs or secrets).
// The form still receives every column of the chosen row.
#pragma once

#include <string>

namespace desktop {

//! The caption of a lookup column, "" for a column the window does not show.
std::string lookupCaption(const std::string& column);

}  // namespace desktop
