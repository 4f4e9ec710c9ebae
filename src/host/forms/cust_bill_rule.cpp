// TCustBillRule: reading the user's field rules out of the text the host keeps. Like
// the configuration document, values may be written as text or as JSON scalars.
#include "host/forms/cust_bill_rule.h"

#include <stdexcept>

#include "core/json.h"
#include "core/strings.h"
#include "host/host.h"

namespace host {

namespace {

CustFieldRule readRule(const core::JsonNode& node) {
  CustFieldRule r;
  r.caption = node["caption"].asText();
  const std::string visible = core::lowerCase(node["visible"].asText());
  r.visible = !(visible == "false" || visible == "0");
  // A decimal count the user left empty or wrote as free text counts as none.
  r.decimals = static_cast<int>(core::Value(node["decimal"].asText()).asInteger());
  r.format = node["format"].asText();
  r.typeName = node["type"].asText();
  return r;
}

}  // namespace

TCustBillRule::TCustBillRule(std::string_view plugCode) {
  const auto& stored = currentHost().custBillRules;
  auto it = stored.find(std::string(plugCode));
  if (it == stored.end()) return;
  try {
    rules_ = parse(it->second);
  } catch (const std::invalid_argument& e) {
    throw std::invalid_argument("plug " + std::string(plugCode) + ": " + e.what());
  }
}

const CustFieldRule* TCustBillRule::rule(std::string_view fieldName) const {
  auto it = rules_.find(fieldName);
  return it == rules_.end() ? nullptr : &it->second;
}

std::map<std::string, CustFieldRule, std::less<>> TCustBillRule::parse(std::string_view json) {
  std::map<std::string, CustFieldRule, std::less<>> rules;
  if (json.find_first_not_of(" \t\r\n") == std::string_view::npos) return rules;
  core::JsonNode doc;
  try {
    doc = core::JsonNode::parse(json);
  } catch (const core::JsonError& e) {
    throw std::invalid_argument(std::string("the field rules are not valid JSON: ") + e.what());
  }
  if (!doc.isObject()) throw std::invalid_argument("the field rules must be a JSON object");
  for (const std::string& field : doc.keys()) {
    const core::JsonNode node = doc[field];
    if (!node.isObject())
      throw std::invalid_argument("the field rule of \"" + field + "\" must be an object");
    rules.emplace(field, readRule(node));
  }
  return rules;
}

}  // namespace host
