// The order of dataset events and notifications that editors rely on, recorded as an
// event log and compared as text; re-entrant field-change handlers guarded by flags;
// the silent abort from Before* handlers.
#include <gtest/gtest.h>

#include <functional>

#include "core/abort.h"
#include "dataset/data_set_error.h"
#include "dataset_test_util.h"

namespace dataset {
namespace {

using testing::describe;
using testing::EventLog;
using testing::loadPeople;

// 1. One full round: open, edit, scroll (posts), scroll past the end, append,
//    scroll (cancels the untouched new row), delete, close.
TEST(EventOrder, FullRoundOfOperations) {
  ClientDataSet ds("people");
  EventLog log(ds);
  loadPeople(ds, {{1, "a"}, {2, "b"}});
  EXPECT_EQ(log.take(), "beforeOpen afterOpen state=browse dataChange(-) afterScroll");

  ds.edit();
  EXPECT_EQ(log.take(), "beforeEdit state=edit dataChange(-) afterEdit");
  ds.fieldByName("name").setValue("x");
  EXPECT_EQ(log.take(), "dataChange(name)");
  ds.next();
  EXPECT_EQ(
      log.take(),
      "beforePost state=browse dataChange(-) afterPost beforeScroll dataChange(-) afterScroll");
  ds.next();  // already on the last row: no move, but the scroll events still fire
  EXPECT_EQ(log.take(), "beforeScroll afterScroll");
  EXPECT_TRUE(ds.eof());

  ds.append();
  EXPECT_EQ(
      log.take(),
      "beforeInsert beforeScroll state=insert onNewRecord dataChange(-) afterInsert afterScroll");
  ds.first();  // nothing was typed into the new row: it is cancelled, not posted
  EXPECT_EQ(
      log.take(),
      "beforeCancel state=browse dataChange(-) afterCancel beforeScroll dataChange(-) afterScroll");
  EXPECT_EQ(describe(ds), "browse 1/2 changes=1 [1,x|2,b]");

  ds.deleteRecord();
  EXPECT_EQ(log.take(), "beforeDelete beforeScroll dataChange(-) afterDelete afterScroll");
  EXPECT_EQ(describe(ds), "browse 1/1 changes=1 [2,b]");  // modified, then deleted: one change
  ds.close();
  EXPECT_EQ(log.take(), "beforeClose afterClose state=inactive dataChange(-)");
}

// 2. Defaults set in onNewRecord do not make a new row worth posting; defaults set
//    in afterInsert do (the row is posted by the next scroll).
TEST(EventOrder, DefaultsInOnNewRecordAndAfterInsert) {
  ClientDataSet ds("people");
  loadPeople(ds, {{1, "a"}});
  ds.onNewRecord = [](ClientDataSet& d) { d.fieldByName("name").setValue("new"); };
  ds.append();
  EXPECT_FALSE(ds.modified());
  ds.first();
  EXPECT_EQ(describe(ds), "browse 1/1 changes=0 [1,a]");

  ds.afterInsert = [](ClientDataSet& d) { d.fieldByName("id").setValue(7); };
  ds.append();
  EXPECT_EQ(describe(ds), "insert 2/2 changes=0 [1,a|7,new]");
  ds.first();
  EXPECT_EQ(describe(ds), "browse 1/2 changes=1 [1,a|7,new]");
}

// 3. Edit on an empty dataset starts a new row; insert goes before the current row.
TEST(EventOrder, EditOnEmptyInsertsAndInsertGoesBeforeCurrent) {
  ClientDataSet ds("people");
  loadPeople(ds, {});
  ds.edit();
  EXPECT_EQ(ds.state(), DataSetState::Insert);
  ds.fieldByName("id").setValue(2);
  ds.post();
  ds.insert();
  ds.fieldByName("id").setValue(1);
  ds.post();
  EXPECT_EQ(describe(ds), "browse 1/2 changes=2 [1,~|2,~]");
  EXPECT_THROW(ds.fieldByName("name").setValue("z"), DataSetError);  // browse state
}

// 4. Line recalculation as the order editors write it: changing sl recomputes je and
//    re-reads the tier price, whose change recomputes je again; typing je gives back
//    dj without recomputing je. Each notification is logged with its nesting depth.
TEST(EventOrder, ReentrantFieldChangesGuardedByFlags) {
  ClientDataSet ds("cdsDetail");
  ds.loadFrom(
      testing::resultSet({{"sl", core::ValueType::Float, 0},
                          {"dj", core::ValueType::Currency, 0},
                          {"je", core::ValueType::Currency, 0}},
                         {{2.0, core::Currency::fromInt(10), core::Currency::fromInt(20)}}));
  bool pricing = false, reversePricing = false;
  int depth = 0;
  std::vector<std::string> seen;
  auto tierPrice = [](double qty) { return core::Currency::fromInt(qty >= 10 ? 8 : 10); };
  DataSource dsDetail(ds);
  dsDetail.onDataChange = [&](DataSource&, const Field* f) {
    if (!f || ds.state() == DataSetState::Browse) return;
    ++depth;
    seen.push_back(f->name() + "@" + std::to_string(depth));
    const std::string& n = f->name();
    if (n == "sl" || (n == "dj" && !reversePricing)) {
      pricing = true;
      ds.fieldByName("je").setValue(ds.fieldByName("dj").asCurrency() *
                                    ds.fieldByName("sl").asFloat());
      pricing = false;
    }
    if (n == "sl") {
      pricing = true;
      ds.fieldByName("dj").setValue(tierPrice(ds.fieldByName("sl").asFloat()));
      pricing = false;
    }
    if (n == "je" && !pricing) {
      reversePricing = true;
      ds.fieldByName("dj").setValue(ds.fieldByName("je").asCurrency() /
                                    ds.fieldByName("sl").asFloat());
      reversePricing = false;
    }
    --depth;
  };
  auto run = [&](const char* field, core::Value v) {
    seen.clear();
    ds.fieldByName(field).setValue(v);
    std::string out;
    for (const auto& s : seen) out += (out.empty() ? "" : " ") + s;
    return out + " => dj=" + ds.fieldByName("dj").asString() +
           " je=" + ds.fieldByName("je").asString();
  };
  ds.edit();
  // sl 10: je = 10 * 10 = 100, tier price 8 stored, which recomputes je = 8 * 10.
  EXPECT_EQ(run("sl", 10.0), "sl@1 je@2 dj@2 je@3 => dj=8 je=80");
  // dj 5: je = 5 * 10 (the je change is made while pricing, so no reverse pricing).
  EXPECT_EQ(run("dj", core::Currency::fromInt(5)), "dj@1 je@2 => dj=5 je=50");
  // je 12 typed: dj = 12 / 10; the dj change does not recompute je.
  EXPECT_EQ(run("je", core::Currency::fromInt(12)), "je@1 dj@2 => dj=1.2 je=12");
  EXPECT_FALSE(pricing || reversePricing);
}

// 5. A silent abort from any Before* handler leaves the dataset exactly as it was:
//    state, position, rows (including an unposted edit) and change log.
TEST(EventOrder, AbortInBeforeHandlersLeavesDataSetUnchanged) {
  struct Case {
    const char* name;
    std::function<void(ClientDataSet&)> prepare;  // brings the dataset to the start
    ClientDataSet::Event ClientDataSet::*event;
    std::function<void(ClientDataSet&)> operation;
  };
  auto setName = [](ClientDataSet& d) { d.fieldByName("name").setValue("typed"); };
  const std::vector<Case> cases = {
      {"post of a new row",
       [&](ClientDataSet& d) {
         d.append();
         setName(d);
       },
       &ClientDataSet::beforePost, [](ClientDataSet& d) { d.post(); }},
      {"post of an edit",
       [&](ClientDataSet& d) {
         d.edit();
         setName(d);
       },
       &ClientDataSet::beforePost, [](ClientDataSet& d) { d.post(); }},
      {"cancel of an edit",
       [&](ClientDataSet& d) {
         d.edit();
         setName(d);
       },
       &ClientDataSet::beforeCancel, [](ClientDataSet& d) { d.cancel(); }},
      {"insert", [](ClientDataSet&) {}, &ClientDataSet::beforeInsert,
       [](ClientDataSet& d) { d.insert(); }},
      {"edit", [](ClientDataSet&) {}, &ClientDataSet::beforeEdit,
       [](ClientDataSet& d) { d.edit(); }},
      {"delete", [](ClientDataSet&) {}, &ClientDataSet::beforeDelete,
       [](ClientDataSet& d) { d.deleteRecord(); }},
      {"scroll", [](ClientDataSet&) {}, &ClientDataSet::beforeScroll,
       [](ClientDataSet& d) { d.next(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClientDataSet ds("people");
    loadPeople(ds, {{1, "a"}, {2, "b"}});
    testing::editField(ds, "name", "b0");  // one pending change before the case starts
    c.prepare(ds);
    std::string before = describe(ds);
    ds.*(c.event) = [](ClientDataSet&) { throw core::Abort(); };
    EXPECT_THROW(c.operation(ds), core::Abort);
    EXPECT_EQ(describe(ds), before);
  }
}

// 6. After an aborted post the user can fix the row and post again; a failing
//    onNewRecord drops the new row again.
TEST(EventOrder, PostSucceedsOnceTheRefusalIsResolvedAndFailedDefaultsDropTheRow) {
  ClientDataSet ds("people");
  loadPeople(ds, {{1, "a"}});
  ds.beforePost = [](ClientDataSet& d) {
    if (d.fieldByName("name").isNull()) throw core::Abort();
  };
  ds.append();
  ds.fieldByName("id").setValue(2);
  EXPECT_THROW(ds.post(), core::Abort);
  EXPECT_EQ(describe(ds), "insert 2/2 changes=0 [1,a|2,~]");
  ds.fieldByName("name").setValue("b");
  ds.post();
  EXPECT_EQ(describe(ds), "browse 2/2 changes=1 [1,a|2,b]");
  ds.onNewRecord = [](ClientDataSet& d) { d.fieldByName("id").setValue("not a number"); };
  EXPECT_THROW(ds.append(), DataSetError);
  EXPECT_EQ(describe(ds), "browse 2/2 changes=1 [1,a|2,b]");
}

// 7. DisableControls nests and holds back only the display notifications; the data
//    events still fire, and the outermost EnableControls sends one refresh.
TEST(EventOrder, DisableControlsNestsAndHoldsBackNotificationsOnly) {
  ClientDataSet ds("people");
  EventLog log(ds);
  loadPeople(ds, {{1, "a"}, {2, "b"}});
  log.take();
  ds.disableControls();
  ds.disableControls();
  testing::editField(ds, "name", "x");
  ds.next();
  ds.enableControls();
  EXPECT_EQ(log.take(), "beforeEdit afterEdit beforePost afterPost beforeScroll afterScroll");
  EXPECT_TRUE(ds.controlsDisabled());
  ds.enableControls();
  EXPECT_EQ(log.take(), "dataChange(-)");
  EXPECT_FALSE(ds.controlsDisabled());
}

// 8. A data source can be replaced or detached while it is being notified, and
//    either side may be destroyed first.
TEST(EventOrder, DataSourcesDetachSafely) {
  auto ds = std::make_unique<ClientDataSet>("people");
  loadPeople(*ds, {{1, "a"}});
  DataSource first(*ds), second(*ds);
  int firstCalls = 0, secondCalls = 0;
  first.onDataChange = [&](DataSource& s, const Field*) {
    ++firstCalls;
    second.setDataSet(nullptr);  // detaches the other source mid-notification
    s.onDataChange = nullptr;
  };
  second.onDataChange = [&](DataSource&, const Field*) { ++secondCalls; };
  ds->edit();
  ds->fieldByName("name").setValue("z");
  EXPECT_EQ(firstCalls, 1);
  EXPECT_EQ(secondCalls, 0);
  ds.reset();
  EXPECT_EQ(first.dataSet(), nullptr);
}

}  // namespace
}  // namespace dataset
