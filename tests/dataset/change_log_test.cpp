// The change log as the editors see it: status of the current row, cancelUpdates
// bringing back deleted and modified rows in their places, mergeChangeLog accepting
// everything, emptyDataSet and a structure copied from another dataset.
#include <gtest/gtest.h>

#include "dataset/data_set_error.h"
#include "dataset_test_util.h"

namespace dataset {
namespace {

using testing::describe;
using testing::loadPeople;

void rename(ClientDataSet& ds, int recNo, const char* name) {
  ds.setRecNo(recNo);
  testing::editField(ds, "name", name);
}

// 1. One edit, one insert, one delete; then undo all of it, or accept all of it.
TEST(ChangeLog, CancelUpdatesAndMergeChangeLog) {
  for (bool merge : {false, true}) {
    SCOPED_TRACE(merge ? "merge" : "cancel");
    ClientDataSet ds("people");
    loadPeople(ds, {{1, "a"}, {2, "b"}, {3, "c"}});
    rename(ds, 1, "a2");
    EXPECT_EQ(ds.updateStatus(), UpdateStatus::Modified);
    ds.setRecNo(2);
    ds.insert();
    EXPECT_EQ(ds.updateStatus(), UpdateStatus::Inserted);
    ds.fieldByName("id").setValue(9);
    ds.post();
    ds.setRecNo(4);
    ds.deleteRecord();
    EXPECT_EQ(describe(ds), "browse 3/3 changes=3 [1,a2|9,~|2,b]");
    EXPECT_TRUE(ds.eof());  // the last row went; the cursor is on the new last row
    if (merge) {
      ds.mergeChangeLog();
      EXPECT_EQ(describe(ds), "browse 3/3 changes=0 [1,a2|9,~|2,b]");
      EXPECT_EQ(ds.updateStatus(), UpdateStatus::Unmodified);
    } else {
      ds.cancelUpdates();  // the cursor stays on its row, "2,b"
      EXPECT_EQ(describe(ds), "browse 2/3 changes=0 [1,a|2,b|3,c]");
    }
  }
}

// 2. cancel takes back only the unposted edit, cancelUpdates also the posted ones, and
//    a row deleted after an edit comes back with its original values.
TEST(ChangeLog, CancelUpdatesRestoresOriginalValues) {
  ClientDataSet ds("people");
  loadPeople(ds, {{1, "a"}, {2, "b"}});
  rename(ds, 1, "a2");
  ds.edit();
  ds.fieldByName("name").setValue("a3");
  ds.fieldByName("id").setValue(7);
  ds.cancel();
  EXPECT_EQ(describe(ds), "browse 1/2 changes=1 [1,a2|2,b]");
  rename(ds, 2, "b2");
  ds.deleteRecord();
  ds.first();
  ds.edit();
  ds.fieldByName("name").setValue("typed");
  ds.cancelUpdates();
  EXPECT_EQ(describe(ds), "browse 1/2 changes=0 [1,a|2,b]");
}

// 3. emptyDataSet removes rows without logging them; a copied structure opens empty
//    with the same fields and takes new rows.
TEST(ChangeLog, EmptyDataSetAndCopiedStructure) {
  ClientDataSet cdsResult("cdsResult"), cdsjiesuan("cdsjiesuan");
  loadPeople(cdsResult, {{1, "a"}});
  cdsResult.fieldByName("name").setDisplayLabel("名称");
  cdsjiesuan.copyStructure(cdsResult);
  EXPECT_EQ(describe(cdsjiesuan), "browse 0/0 changes=0 []");
  EXPECT_EQ(cdsjiesuan.fieldByName("name").displayLabel(), "名称");
  EXPECT_EQ(cdsjiesuan.fieldByName("id").type(), FieldType::Integer);
  cdsjiesuan.append();
  cdsjiesuan.fieldByName("id").setValue("5");
  cdsjiesuan.post();
  EXPECT_EQ(describe(cdsjiesuan), "browse 1/1 changes=1 [5,~]");
  cdsjiesuan.emptyDataSet();
  EXPECT_EQ(describe(cdsjiesuan), "browse 0/0 changes=0 []");
  EXPECT_THROW(cdsjiesuan.deleteRecord(), DataSetError);
  EXPECT_THROW(cdsjiesuan.addField(FieldDef{"x"}), DataSetError);  // open: fields are fixed
}

}  // namespace
}  // namespace dataset
