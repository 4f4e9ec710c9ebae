// Filters and navigation over the visible rows: the filter language against a table
// of expressions, its error messages, the per-line filter of staff rows driven by the
// line dataset's scrolling, bookmarks and locate.
#include <gtest/gtest.h>

#include "dataset/data_set_error.h"
#include "dataset_test_util.h"

namespace dataset {
namespace {

using core::Currency;
using core::DateTime;
using core::Value;
using core::ValueType;
using testing::describe;
using testing::resultSet;

void loadSample(ClientDataSet& ds) {
  ds.loadFrom(resultSet(
      {{"id", ValueType::Integer, 0},
       {"name", ValueType::Text, 20}, {"sl", ValueType::Float, 0}, {"je", ValueType::Currency, 0},
       {"selected", ValueType::Boolean, 0}, {"d", ValueType::DateTime, 0},
       {"mx_uid", ValueType::Text, 36}},
      {{1, "Ann", 1.5, Currency::fromInt(10), true, DateTime::fromParts(2024, 1, 1), "L1"},
       {2, "bob", 0.0, *Currency::parse("2.5"), false, DateTime::fromParts(2024, 2, 1), "L2"},
       {3, "O'Neil", Value(), Value(), Value(), Value(), "L1"},
       {4, Value(), 3.0, Currency::fromInt(10), true, DateTime::fromParts(2024, 3, 15, 10),
        "L2"}}));
}

std::string visibleIds(ClientDataSet& ds) {
  std::string out;
  for (ds.first(); !ds.eof(); ds.next())
    out += (out.empty() ? "" : ",") + ds.fieldByName("id").asString();
  return out;
}

// 1. Expressions and the rows they keep (rows: 1 Ann 1.5 10 true L1 / 2 bob 0 2.5 false
//    L2 / 3 O'Neil with nulls L1 / 4 null-name 3 10 true L2).
TEST(Filter, ExpressionsKeepTheRightRows) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"mx_uid='L1'", "1,3"}, {"selected=true", "1,4"}, {"selected=false", "2"},
      {"selected", "1,4"}, {"not selected", "2,3"}, {"name='O''Neil'", "3"}, {"sl > 1", "1,4"},
      {"sl >= 0 and sl < 2", "1,2"}, {"sl <= 1.5", "1,2"}, {"sl <> 0", "1,4"}, {"je = 10", "1,4"},
      {"je = 10.0000", "1,4"}, {"je < 5.5", "2"}, {"id = 1 or id = 4", "1,4"},
      {"not (id = 1 or id = 4)", "2,3"}, {"id > 1 and (name = 'bob' or name is null)", "2,4"},
      {"name = null", "4"}, {"name <> null", "1,2,3"}, {"sl is not null", "1,2,4"}, {"ID=2", "2"},
      {"MX_UID = 'L2' AND Selected = TRUE", "4"}, {"d >= '2024-02-01'", "2,4"}, {"name < 'B'", "1"},
      {"id = -1", ""}, {"", "1,2,3,4"}, {"[name] = 'Ann'", "1"}, {"1 = 1", "1,2,3,4"},
      {"1 = 2", ""}, {"id != 3", "1,2,4"},
  };
  ClientDataSet ds("sample");
  loadSample(ds);
  ds.setFiltered(true);
  for (const auto& [text, ids] : cases) {
    SCOPED_TRACE(text);
    ds.setFilter(text);
    EXPECT_EQ(visibleIds(ds), ids);
    EXPECT_EQ(ds.recordCount(), ids[0] ? static_cast<int>(std::string(ids).size() + 1) / 2 : 0);
  }
  ds.setFiltered(false);
  EXPECT_EQ(visibleIds(ds), "1,2,3,4");
}

// 2. A text that does not compile names the fault and its position, and the filter
//    in force stays in force.
TEST(Filter, ErrorsNameTheFaultAndKeepTheFilterInForce) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"mx_uid = 'L1", "unterminated text at position 10"},
      {"nosuch = 1", "field 'nosuch' not found at position 1"},
      {"id = ", "unexpected end at position 6"}, {"id = 1 and", "unexpected end at position 11"},
      {"(id = 1", "expected ')' at position 8"},
      {"id = 'abc'", "'abc' cannot be compared with the integer field 'id' at position 6"},
      {"id", "expected a condition at position 1"},
      {"sl < null", "null can only be compared with = or <> at position 4"},
      {"id = 1 id = 2", "unexpected 'id' at position 8"},
      {"id # 1", "unexpected '#' at position 4"}, {"id ! 1", "unexpected '!' at position 4"},
      {"[name = 'x'", "missing ']' at position 1"},
  };
  ClientDataSet ds("sample");
  loadSample(ds);
  ds.setFilter("mx_uid='L2'");
  ds.setFiltered(true);
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    try {
      ds.setFilter(text);
      ADD_FAILURE() << "accepted";
    } catch (const DataSetError& e) {
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
    }
    EXPECT_EQ(ds.filter(), "mx_uid='L2'");
    EXPECT_EQ(visibleIds(ds), "2,4");
  }
  // nesting past any real filter is refused, not a stack overflow (found by fuzzing)
  for (const std::string& deep : {std::string(5000, '(') + "id = 1" + std::string(5000, ')'),
                                  [] {
                                    std::string nots;
                                    for (int i = 0; i < 5000; ++i) nots += "not ";
                                    return nots + "id = 1";
                                  }()}) {
    EXPECT_THROW(ds.setFilter(deep), DataSetError);
    EXPECT_EQ(visibleIds(ds), "2,4");
  }
}

// 3. The staff rows follow the current line: the line's afterScroll filters them
//    (off, set, on) and counts and sums see only that line's rows; a new staff row
//    takes the line's uid, a row moved to another line leaves the view.
TEST(Filter, StaffRowsFollowTheCurrentLine) {
  ClientDataSet lines("cdsDetail"), staff("cdszzry");
  staff.loadFrom(resultSet({{"uid", ValueType::Text, 36},
                            {"mx_uid", ValueType::Text, 36},
                            {"perc", ValueType::Float, 0}},
                           {{"s1", "L1", 60.0}, {"s2", "L2", 100.0}, {"s3", "L1", 40.0}}));
  lines.afterScroll = [&](ClientDataSet& l) {
    staff.setFiltered(false);
    staff.setFilter("mx_uid='" + l.fieldByName("uid").asString() + "'");
    staff.setFiltered(true);
  };
  staff.afterInsert = [&](ClientDataSet& s) {
    s.fieldByName("mx_uid").setValue(lines.fieldByName("uid").value());
  };
  lines.loadFrom(resultSet({{"uid", ValueType::Text, 36}}, {{"L1"}, {"L2"}, {"L3"}}));

  std::string seen;
  for (; !lines.eof(); lines.next())
    seen += lines.fieldByName("uid").asString() + ":" + std::to_string(staff.recordCount()) + ":" +
            staff.sum("perc").asText() + " ";
  EXPECT_EQ(seen, "L1:2:100 L2:1:100 L3:0:0 ");

  lines.first();
  staff.append();
  staff.fieldByName("uid").setValue("s4");
  staff.fieldByName("perc").setValue(10);
  staff.post();
  EXPECT_EQ(describe(staff), "browse 3/3 changes=1 [s1,L1,60|s3,L1,40|s4,L1,10]");
  staff.first();
  staff.edit();
  staff.fieldByName("mx_uid").setValue("L2");
  EXPECT_EQ(staff.recordCount(), 3);  // still shown while it is edited
  staff.post();
  EXPECT_EQ(describe(staff), "browse 1/2 changes=2 [s3,L1,40|s4,L1,10]");
  lines.next();
  EXPECT_EQ(describe(staff), "browse 1/2 changes=2 [s1,L2,60|s2,L2,100]");
}

// 4. Eof/Bof and the loops written over them: walking, deleting every visible row.
TEST(Navigation, EofBofAndDeleteLoops) {
  ClientDataSet ds("sample");
  loadSample(ds);
  EXPECT_TRUE(ds.bof());
  EXPECT_FALSE(ds.eof());
  ds.last();
  EXPECT_TRUE(ds.eof());
  EXPECT_EQ(ds.recNo(), 4);
  ds.prior();
  EXPECT_FALSE(ds.eof());
  EXPECT_EQ(ds.recNo(), 3);
  ds.setRecNo(1);
  ds.prior();
  EXPECT_TRUE(ds.bof());
  EXPECT_EQ(ds.recNo(), 1);

  ds.setFilter("mx_uid='L1'");
  ds.setFiltered(true);
  for (ds.first(); !ds.eof();) ds.deleteRecord();
  EXPECT_TRUE(ds.isEmpty());
  EXPECT_EQ(ds.recNo(), 0);
  ds.setFiltered(false);
  EXPECT_EQ(visibleIds(ds), "2,4");
  EXPECT_EQ(ds.changeCount(), 2);
}

// 5. Bookmarks find their row after inserts and deletes around it; a row hidden by
//    the filter cannot be reached by its bookmark.
TEST(Navigation, BookmarksSurviveChangesAroundThem) {
  ClientDataSet ds("sample");
  loadSample(ds);
  ds.setRecNo(3);
  Bookmark mark = ds.bookmark();
  ds.first();
  ds.insert();
  ds.fieldByName("id").setValue(0);
  ds.post();
  ds.last();
  ds.deleteRecord();
  ds.gotoBookmark(mark);
  EXPECT_EQ(ds.fieldByName("id").asInteger(), 3);
  EXPECT_EQ(ds.recNo(), 4);
  ds.setFilter("id <> 3");
  ds.setFiltered(true);
  EXPECT_FALSE(ds.bookmarkValid(mark));
  EXPECT_THROW(ds.gotoBookmark(mark), DataSetError);
}

// 6. Locate moves only when it finds a row; lookup never moves.
TEST(Navigation, LocateAndLookup) {
  ClientDataSet ds("sample");
  loadSample(ds);
  EXPECT_TRUE(ds.locate("name", "BOB", {.caseInsensitive = true}));
  EXPECT_EQ(ds.recNo(), 2);
  EXPECT_FALSE(ds.locate("name", "BOB"));
  EXPECT_EQ(ds.recNo(), 2);
  EXPECT_TRUE(ds.locate("name", "O'", {.partialKey = true}));
  EXPECT_EQ(ds.recNo(), 3);
  EXPECT_TRUE(ds.locate({{"mx_uid", "L2"}, {"selected", "true"}}));
  EXPECT_EQ(ds.recNo(), 4);
  EXPECT_TRUE(ds.locate("je", "2.5"));  // text converted to the field's type
  EXPECT_EQ(ds.recNo(), 2);
  EXPECT_EQ(ds.lookup("id", 3, "name").asText(), "O'Neil");
  EXPECT_TRUE(ds.lookup("id", 9, "name").isNull());
  EXPECT_EQ(ds.recNo(), 2);
}

// 7. Large datasets answer `field = 'text'` filters from an index; the index must
//    follow edits, inserts, deletes and cancelUpdates. 600 staff rows, row i on line
//    "L" + i % 50 (twelve per line) with perc = i % 20.
TEST(Filter, IndexedLineFilterFollowsChanges) {
  std::vector<std::vector<core::Value>> rows;
  for (int i = 0; i < 600; ++i)
    rows.push_back(
        {"s" + std::to_string(i), "L" + std::to_string(i % 50), static_cast<double>(i % 20)});
  ClientDataSet staff("cdszzry");
  staff.loadFrom(testing::resultSet({{"uid", core::ValueType::Text, 0},
                                     {"mx_uid", core::ValueType::Text, 0},
                                     {"perc", core::ValueType::Float, 0}},
                                    rows));
  auto show = [&](const std::string& text) {
    staff.setFiltered(false);
    staff.setFilter(text);
    staff.setFiltered(true);
    return staff.recordCount();
  };
  EXPECT_EQ(show("mx_uid='L7'"), 12);
  testing::editField(staff, "mx_uid", "L8");  // s7 moves to line L8
  EXPECT_EQ(staff.recordCount(), 11);
  EXPECT_EQ(show("mx_uid='L8'"), 13);
  staff.append();
  staff.fieldByName("mx_uid").setValue("L8");
  staff.post();
  EXPECT_EQ(show("mx_uid='L8'"), 14);
  staff.last();
  staff.deleteRecord();  // the new row: gone without a trace
  staff.first();
  EXPECT_EQ(staff.fieldByName("uid").asString(), "s7");
  staff.deleteRecord();
  EXPECT_EQ(show("mx_uid='L8'"), 12);
  EXPECT_EQ(show("mx_uid='L7'"), 11);
  staff.cancelUpdates();  // s7 back on L7
  EXPECT_EQ(staff.recordCount(), 12);
  EXPECT_EQ(show("mx_uid='L3' and perc > 10"), 6);    // perc alternates 3, 13
  EXPECT_EQ(show("perc > 18 and mx_uid='L19'"), 6);   // perc alternates 19, 9
  EXPECT_EQ(show("mx_uid='L3' or mx_uid='L4'"), 24);  // no single required value: scanned
  EXPECT_EQ(show("mx_uid='nope'"), 0);
}

}  // namespace
}  // namespace dataset
