// The row checks shared by the page and the import; lengths count characters, not bytes.
#include "plugs/coreapp/jczl/master_data_checks.h"

#include <algorithm>

namespace plugs::coreapp::jczl {

namespace {

std::size_t characters(const std::string& text) {
  std::size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80;
  return n;
}

}  // namespace

std::string textProblem(const std::string& caption, const std::string& text, int length,
                        bool required) {
  if (required && text.find_first_not_of(' ') == std::string::npos) return caption + "不能为空";
  if (length > 0 && characters(text) > static_cast<std::size_t>(length))
    return caption + "不能超过" + std::to_string(length) + "个字";
  return {};
}

std::string choiceProblem(const MasterField& field, const std::string& text) {
  if (std::find(field.items.begin(), field.items.end(), text) != field.items.end()) return {};
  return field.caption + "只能是：" + field.items.front() + " 或 " + field.items.back();
}

std::string memberLevelProblem(const std::string& priceType, std::int64_t vipId) {
  if (priceType == "会员等级" && vipId == 0) return "价格类型为会员等级时请选择会员等级";
  return {};
}

}  // namespace plugs::coreapp::jczl
