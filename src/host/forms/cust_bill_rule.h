// TCustBillRule: the user's own rules for the fields of a plug's line grid — a caption
// and visibility of his choosing, decimal places, a display format and a type name
// ("金额", "日期", "整数", "小数", "文件") that decides the cell editor. The host keeps
// them per plug code (Host::custBillRules); a form reads them once when it is created.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace host {

//! One field's rule.
struct CustFieldRule {
  std::string caption;   //!< column caption ("" = keep the configured one)
  bool visible = true;   //!< column shown
  int decimals = 0;      //!< decimal places of number editors
  std::string format;    //!< display format ("" = none)
  std::string typeName;  //!< "金额", "日期", "整数", "小数", "文件" or ""
};

class TCustBillRule {
 public:
  //! Reads the rules the current host keeps for `plugCode`. Throws
  //! std::invalid_argument naming the plug when the stored text is not a JSON object
  //! of field objects.
  explicit TCustBillRule(std::string_view plugCode);

  //! The rule of a field (exact name), or nullptr when the user set none.
  const CustFieldRule* rule(std::string_view fieldName) const;
  //! Number of fields with a rule.
  std::size_t size() const { return rules_.size(); }

  //! Parses a rules text: {"je": {"caption": "金额", "visible": "true", "decimal": "2",
  //! "format": "0.00", "type": "金额"}, ...}; "" gives no rules.
  static std::map<std::string, CustFieldRule, std::less<>> parse(std::string_view json);

 private:
  std::map<std::string, CustFieldRule, std::less<>> rules_;
};

}  // namespace host
