// Dataset to JSON selection text (the current row, or every row the filter shows)
// and back.
#include "dataset/data_set_json.h"

#include <gtest/gtest.h>

#include "dataset_test_util.h"

namespace dataset {
namespace {

using core::Currency;
using core::Value;
using core::ValueType;
using testing::describe;
using testing::resultSet;

void loadOrderLines(ClientDataSet& ds) {
  ds.loadFrom(resultSet({{"selected", ValueType::Boolean, 0},
                         {"xm_id", ValueType::Integer, 0}, {"name", ValueType::Text, 0},
                         {"x", ValueType::Float, 0},
                         {"je", ValueType::Currency, 0}},
                        {{false, 11, "喷绘 \"A\"", 1.5, *Currency::parse("12.50")},
                         {false, 12, "it's", Value(), Currency::fromInt(3)},
                         {false, 13, "c", 0.25, Value()}}));
}

TEST(DataSetJson, CurrentRowAndFilteredRows) {
  ClientDataSet ds("cdsMain");
  loadOrderLines(ds);
  ds.next();
  EXPECT_EQ(ClientDataSetToJSON(ds, true),
            R"([{"selected":"False","xm_id":"12","name":"it's","x":"","je":"3"}])");
  // Tick the first and the last line, then keep only the ticked ones.
  for (int recNo : {1, 3}) {
    ds.setRecNo(recNo);
    testing::editField(ds, "selected", true);
  }
  ds.setFilter("selected=true");
  ds.setFiltered(true);
  EXPECT_EQ(ClientDataSetToJSON(ds, false),
            R"([{"selected":"True","xm_id":"11","name":"喷绘 \"A\"","x":"1.5","je":"12.5"},)"
            R"({"selected":"True","xm_id":"13","name":"c","x":"0.25","je":""}])");
  ds.setFilter("xm_id > 100");
  EXPECT_EQ(ClientDataSetToJSON(ds, true), "[]");
  EXPECT_EQ(ClientDataSetToJSON(ds, false), "[]");
}

TEST(DataSetJson, SelectionTextBackIntoADataSet) {
  ClientDataSet source("cdsMain"), typed("lines"), plain("rows");
  loadOrderLines(source);
  std::string json = ClientDataSetToJSON(source, false);
  typed.addField({"xm_id", FieldType::Integer});
  typed.addField({"je", FieldType::Currency});
  loadFromJson(typed, json);
  EXPECT_EQ(describe(typed), "browse 1/3 changes=0 [11,12.5|12,3|13,~]");
  loadFromJson(plain, R"([{"a":"1"},{"b":"x","a":"2"}])");
  EXPECT_EQ(describe(plain), "browse 1/2 changes=0 [1,~|2,x]");
  EXPECT_EQ(plain.fieldByName("a").type(), FieldType::Text);
}

}  // namespace
}  // namespace dataset
