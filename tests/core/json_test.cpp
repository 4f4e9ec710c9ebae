// Selection texts: every value read as text with its exact spelling and key order;
// shapes that are not an array of objects refused with a message naming why.
#include "core/json.h"

#include <gtest/gtest.h>

namespace core {
namespace {

TEST(JsonTest, SelectionValuesAreReadAsText) {
  const auto rows = parseSelection(
      R"([{"id":5,"price":12.50,"name":"喷绘","n":null,"b":true,"f":false,"big":-1e3,)"
      R"("sub":{"a":[1,2.0,{"x":null}],"c":"d"}},{"id":"6"}])");
  ASSERT_EQ(rows.size(), 2u);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"id", "5"}, {"price", "12.50"}, {"name", "喷绘"}, {"n", ""}, {"b", "true"}, {"f", "false"},
      {"big", "-1e3"}, {"sub", R"({"a":[1,2.0,{"x":null}],"c":"d"})"}};
  EXPECT_EQ(rows[0].fields(), expected);
  EXPECT_EQ(rows[1].get("id"), "6");
  EXPECT_EQ(rows[1].get("missing", "dflt"), "dflt");
  EXPECT_FALSE(rows[1].has("price"));
  EXPECT_EQ(rows[0].value("price").asCurrency().raw(), 125000);
  EXPECT_TRUE(rows[0].value("missing").isNull());
  EXPECT_TRUE(parseSelection(" [ ] ").empty());
}

TEST(JsonTest, SelectionThatIsNotAnArrayOfObjectsIsRefused) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"id":1})", "is a JSON object, not an array"}, {"5", "single value, not an array"},
      {R"("text")", "single value, not an array"}, {"[1]", "element 0 is not an object"},
      {R"([{"a":1},2])", "element 1 is not an object"},
      {R"([{"a":1},[]])", "element 1 is not an object"}, {"[{", "malformed JSON"},
      {"not json", "malformed JSON"}, {"[] x", "malformed JSON"}, {"", "empty"}};
  for (const auto& [text, why] : cases) {
    try {
      parseSelection(text);
      ADD_FAILURE() << "accepted: " << text;
    } catch (const JsonError& e) {
      EXPECT_NE(std::string(e.what()).find(why), std::string::npos) << e.what();
    }
  }
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(JsonTest, BuiltArraysReadBackUnchangedAndTypedRowsKeepTheirTypes) {
  const std::vector<JsonRow> rows = {
      JsonRow(Pairs{{"code", "A'1"}, {"name", "引号\"与\\反斜杠"}, {"memo", "两行\n文本"}}),
      JsonRow(Pairs{{"code", ""}}),
  };
  const std::string text = buildJsonArray(rows);
  EXPECT_EQ(parseSelection(text), rows);
  EXPECT_EQ(buildJsonArray(std::vector<JsonRow>{}), "[]");
  const std::vector<JsonValueRow> typed = {
      {{"id", Value(5)}, {"je", Value(Currency::fromRaw(125000))}, {"dj", Value(Currency::fromRaw(1))},
       {"name", Value("x")}, {"n", Value()}, {"flag", Value(true)},
       {"d", Value(DateTime::fromParts(2024, 2, 29, 8))}}};
  EXPECT_EQ(buildJsonArray(typed),
            R"([{"id":5,"je":12.5,"dj":0.0001,"name":"x","n":null,"flag":true,)"
            R"("d":"2024-02-29 08:00:00"}])");
  JsonRow row({{"a", "1"}, {"b", "2"}});  // set replaces in place, appends what is new
  row.set("a", "9");
  row.set("c", "3");
  EXPECT_EQ(row.fields(), (Pairs{{"a", "9"}, {"b", "2"}, {"c", "3"}}));
}

TEST(JsonTest, DocumentNodesFollowPaths) {
  const JsonNode doc = JsonNode::parse(
      R"({"data":{"detail":{"columns":[{"fieldname":"sl","width":"100","footer":true},)"
      R"({"fieldname":"je","decimal":4,"k":1.5}]}},"z":1,"a":2})");
  EXPECT_EQ(doc.at("data.detail.columns").size(), 2u);
  EXPECT_EQ(doc.at("data.detail.columns.0.fieldname").asText(), "sl");
  EXPECT_EQ(doc.at("data.detail.columns.1.decimal").toValue(), Value(std::int64_t{4}));
  EXPECT_EQ(doc.at("data.detail.columns.1.k").toValue(), Value(1.5));
  EXPECT_EQ(doc.at("data.detail.columns.0.footer").toValue(), Value(true));
  EXPECT_EQ(doc.at("data.detail.columns.0.width").toValue().asInteger(), 100);
  EXPECT_TRUE(doc.at("data.missing.x").isNull());
  EXPECT_TRUE(doc.at("data.detail.columns.7").isNull());
  EXPECT_EQ(doc.at("data.detail.columns.0.missing").asText(), "");
  EXPECT_TRUE(doc["data"].has("detail"));
  EXPECT_EQ(doc.keys(), (std::vector<std::string>{"data", "z", "a"}));
  EXPECT_EQ(doc.at("data.detail.columns.1").dump(), R"({"fieldname":"je","decimal":4,"k":1.5})");
  EXPECT_EQ(JsonNode().dump(), "null");
  EXPECT_THROW(JsonNode::parse("{\"a\":"), JsonError);
}

}  // namespace
}  // namespace core
