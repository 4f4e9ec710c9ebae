// The checks a master-data row must pass before it is written, as messages for the user
// (empty = fine): the page refuses with them one row at a time, the spreadsheet import
// lists them for every row of a file.
#pragma once

#include <cstdint>
#include <string>

#include "plugs/coreapp/jczl/master_data_spec.h"

namespace plugs::coreapp::jczl {

//! A text empty though required, or longer than `length` characters (0 = any length).
std::string textProblem(const std::string& caption, const std::string& text, int length,
                        bool required);
//! A choice that is not one of the field's items.
std::string choiceProblem(const MasterField& field, const std::string& text);
//! A customer priced by member level (`priceType` 会员等级) without a level.
std::string memberLevelProblem(const std::string& priceType, std::int64_t vipId);

}  // namespace plugs::coreapp::jczl
