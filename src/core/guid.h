// newid: a new unique text key for line rows, in the form the database's NEWID()
// gives: 36 upper-case hex digits and dashes (a random version-4 GUID).
#pragma once

#include <string>

namespace core {

//! A fresh random GUID text such as "3F2504E0-4F89-41D3-9A0C-0305E82C3301".
std::string newid();

}  // namespace core
