// Loading from engine result sets (fields made from columns, or columns matched to
// fields by name), the assignment conversions of fields, and footer aggregates.
#include <gtest/gtest.h>

#include "dataset/data_set_error.h"
#include "dataset_test_util.h"

namespace dataset {
namespace {

using core::Currency;
using core::Value;
using core::ValueType;
using testing::describe;
using testing::resultSet;

std::string fieldList(const ClientDataSet& ds) {
  std::string out;
  for (int f = 0; f < ds.fieldCount(); ++f)
    out += (f ? " " : "") + ds.field(f).name() + ":" + fieldTypeName(ds.field(f).type());
  return out;
}

// 1. Fields from columns: declared types kept, unknown types taken from the first
//    value (text when every value is null), a repeated name numbered.
TEST(Loading, FieldsFromColumns) {
  ClientDataSet ds("cdsMain");
  ds.loadFrom(resultSet({{"selected", ValueType::Boolean, 0},
                         {"je", ValueType::Currency, 0}, {"code", ValueType::Text, 10},
                         {"n", ValueType::Null, 0}, {"memo", ValueType::Null, 0},
                         {"code", ValueType::Text, 10}},
                        {{false, Currency::fromInt(1), "a", Value(), Value(), "x"},
                         {true, Currency::fromInt(2), "b", 2.5, Value(), "y"}}));
  EXPECT_EQ(fieldList(ds), "selected:boolean je:currency code:text n:float memo:text code_1:text");
  EXPECT_EQ(ds.fieldByName("code").size(), 10);
  EXPECT_EQ(describe(ds), "browse 1/2 changes=0 [False,1,a,~,~,x|True,2,b,2.5,~,y]");
  // Another query into the same dataset brings its own fields.
  ds.loadFrom(resultSet({{"id", ValueType::Integer, 0}}, {{5}}));
  EXPECT_EQ(fieldList(ds), "id:integer");
  EXPECT_EQ(describe(ds), "browse 1/1 changes=0 [5]");
  // The same columns again bring their rows; a field changed since (its caption) is
  // made afresh, and an untyped column is typed by its new values.
  ds.loadFrom(resultSet({{"id", ValueType::Integer, 0}}, {{7}, {8}}));
  EXPECT_EQ(describe(ds), "browse 1/2 changes=0 [7|8]");
  ds.fieldByName("id").setDisplayLabel("number");
  ds.loadFrom(resultSet({{"id", ValueType::Integer, 0}}, {{6}}));
  EXPECT_EQ(ds.fieldByName("id").displayLabel(), "id");
  EXPECT_EQ(describe(ds), "browse 1/1 changes=0 [6]");
  ds.loadFrom(resultSet({{"id", ValueType::Null, 0}}, {{"x"}}));
  EXPECT_EQ(fieldList(ds), "id:text");
}

// 2. Columns matched to defined fields by name (any case) and converted; a field
//    without a column stays null; other columns are ignored. Zero rows keep the
//    structure.
TEST(Loading, ColumnsMatchedToDefinedFields) {
  ClientDataSet ds("cdsDetail");
  ds.addField({"je", FieldType::Currency});
  ds.addField({"sl", FieldType::Float});
  ds.addField({"work", FieldType::Boolean});
  ds.loadFrom(resultSet(
      {{"SL", ValueType::Text, 0}, {"extra", ValueType::Integer, 0}, {"je", ValueType::Integer, 0}},
      {{"12.5", 1, 7}}));
  EXPECT_EQ(fieldList(ds), "je:currency sl:float work:boolean");
  EXPECT_EQ(describe(ds), "browse 1/1 changes=0 [7,12.5,~]");
  EXPECT_EQ(ds.fieldByName("je").value().type(), ValueType::Currency);
  ds.loadFrom(resultSet({{"je", ValueType::Currency, 0}}, {}));
  EXPECT_EQ(describe(ds), "browse 0/0 changes=0 []");
  EXPECT_THROW(ds.loadFrom(resultSet({{"sl", ValueType::Text, 0}}, {{"abc"}})), DataSetError);
}

// 2b. A field is found by what its name says, whatever buffer held it: a buffer that
//     named one field and now names another, fields made afresh in another order, a
//     spelling in another case, a name no longer there.
TEST(Loading, FieldLookupByNameText) {
  ClientDataSet ds("cdsDetail");
  ds.addField({"pdsl", FieldType::Float});
  ds.addField({"kcsl", FieldType::Float});
  std::string name = "pdsl";
  EXPECT_EQ(ds.fieldByName(name).index(), 0);
  EXPECT_EQ(ds.fieldByName(name).index(), 0);
  name = "kcsl";  // the same buffer, another field
  EXPECT_EQ(ds.fieldByName(name).index(), 1);
  EXPECT_EQ(ds.fieldByName("KCSL").index(), 1);
  ds.clearFields();
  ds.addField({"kcsl", FieldType::Float});
  ds.addField({"yksl", FieldType::Float});
  EXPECT_EQ(ds.fieldByName(name).index(), 0);
  name = "pdsl";
  EXPECT_EQ(ds.findField(name), nullptr);
  EXPECT_THROW(ds.fieldByName(name), DataSetError);
}

// 3. What a field accepts: strict text parsing, numbers between numeric types
//    (integers round half to even), empty text as null; refusals name the field.
TEST(Loading, AssignmentConversions) {
  struct Case {
    FieldType type;
    Value in;
    const char* out;  // asText of the stored value, "~" for null, "!" for a refusal
  };
  const std::vector<Case> cases = {
      {FieldType::Integer, Value(" 42 "), "42"}, {FieldType::Integer, Value("+7"), "7"},
      {FieldType::Integer, Value("1.5"), "!"}, {FieldType::Integer, Value(2.5), "2"},
      {FieldType::Integer, Value(3.5), "4"},
      {FieldType::Integer, Value(*Currency::parse("-1.5")), "-2"},
      {FieldType::Integer, Value(true), "1"}, {FieldType::Integer, Value(""), "~"},
      {FieldType::Float, Value("1e3"), "1000"}, {FieldType::Float, Value("x1"), "!"},
      {FieldType::Float, Value(*Currency::parse("0.1")), "0.1"},
      {FieldType::Currency, Value(0.12345), "0.1234"},
      {FieldType::Currency, Value(0.12355), "0.1236"},
      {FieldType::Currency, Value("1,234.5"), "1234.5"}, {FieldType::Currency, Value(3), "3"},
      {FieldType::Text, Value(12), "12"}, {FieldType::Text, Value(true), "True"},
      {FieldType::Boolean, Value("TRUE"), "True"}, {FieldType::Boolean, Value("0"), "False"},
      {FieldType::Boolean, Value("maybe"), "!"}, {FieldType::Boolean, Value(2), "True"},
      {FieldType::DateTime, Value("2024-02-29 13:45"), "2024-02-29 13:45:00"},
      {FieldType::DateTime, Value("2024-02-30"), "!"}, {FieldType::DateTime, Value(5), "!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(fieldTypeName(c.type)) + " <- " + c.in.asText());
    try {
      Value v = convertForField(c.type, c.in, "f");
      EXPECT_EQ(v.isNull() ? "~" : v.asText(), c.out);
      if (!v.isNull()) {
        EXPECT_EQ(v.type(), valueTypeOf(c.type));
      }
    } catch (const DataSetError& e) {
      EXPECT_STREQ(c.out, "!");
      // the clerk reads what he typed and what to type instead
      const std::string text = e.what();
      EXPECT_NE(text.find("“" + c.in.asText() + "”不是有效的"), std::string::npos) << text;
      EXPECT_NE(text.find("请"), std::string::npos) << text;
    }
  }
}

// 4. Footer sums and counts over the visible rows; currency sums are exact.
TEST(Loading, AggregatesOverVisibleRows) {
  ClientDataSet ds("cdszzry");
  ds.loadFrom(resultSet({{"mx_uid", ValueType::Text, 0},
                         {"perc", ValueType::Float, 0}, {"jxje", ValueType::Currency, 0},
                         {"yg_id", ValueType::Integer, 0}},
                        {{"L1", 33.3333, *Currency::parse("0.1"), 1},
                         {"L1", 33.3333, *Currency::parse("0.1"), 2},
                         {"L1", 33.3333, *Currency::parse("0.1"), Value()},
                         {"L2", 50.0, *Currency::parse("99.9999"), 4}}));
  ds.setFilter("mx_uid='L1'");
  ds.setFiltered(true);
  EXPECT_EQ(ds.sum("jxje").asCurrency().raw(), 3000);  // 0.3 exactly
  EXPECT_NEAR(ds.sum("perc").asFloat(), 99.9999, 1e-9);
  EXPECT_EQ(ds.sum("yg_id").asInteger(), 3);
  EXPECT_EQ(ds.count("yg_id"), 2);
  EXPECT_THROW(ds.sum("mx_uid"), DataSetError);
  ds.setFiltered(false);
  EXPECT_EQ(ds.sum("jxje").asText(), "100.2999");
}

}  // namespace
}  // namespace dataset
