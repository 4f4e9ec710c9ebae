// The dataset table model: Qt's model checker watches it through every kind of dataset
// change (append, insert in the middle, delete, filter, reload with other fields,
// close), and the signals a view relies on are checked by hand: which rows were
// inserted or removed, which cell changed on a field edit. Edits through the model
// assign the field as a typed cell does; footers sum the visible rows.
#include "apps/coreapp-desktop/data_set_table_model.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QStringList>

#include "dataset/client_data_set.h"
#include "desktop/desktop_session.h"

namespace {

using dataset::ClientDataSet;
using dataset::FieldType;

host::GridColumn col(const char* field, const char* caption, const char* footer = "",
                     const char* format = "") {
  host::GridColumn c;
  c.field = field;
  c.caption = caption;
  c.footer = footer;
  c.format = format;
  return c;
}

class TableModel : public ::testing::Test {
 protected:
  desktop_test::WarningLog warnings;
  void SetUp() override {
    ds.addField({"name", FieldType::Text});
    ds.addField({"sl", FieldType::Float});
    ds.addField({"je", FieldType::Currency});
    ds.addField({"done", FieldType::Boolean});
    ds.open();
    for (int i = 1; i <= 3; ++i) addRow("row" + std::to_string(i), i, i * 10);
    model = std::make_unique<desktop::DataSetTableModel>(
        ds, std::vector<host::GridColumn>{col("name", "名称"), col("sl", "数量", "sum"),
                                          col("je", "金额", "sum", "0.00"), col("done", "完成")});
    tester = std::make_unique<QAbstractItemModelTester>(
        model.get(), QAbstractItemModelTester::FailureReportingMode::Warning);
  }
  void TearDown() override {
    tester.reset();
    model.reset();
    // the model checker reports through qWarning
    EXPECT_TRUE(warnings.lines().isEmpty()) << warnings.lines().join("\n").toStdString();
  }

  void addRow(const std::string& name, double sl, int je) {
    ds.append();
    ds.fieldByName("name").setValue(name);
    ds.fieldByName("sl").setValue(sl);
    ds.fieldByName("je").setValue(core::Currency::fromInt(je));
    ds.post();
  }
  QString cell(int row, int column) const { return model->index(row, column).data().toString(); }
  QStringList names() const {
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r) out << cell(r, 0);
    return out;
  }

  ClientDataSet ds{"cdsTest"};
  std::unique_ptr<desktop::DataSetTableModel> model;
  std::unique_ptr<QAbstractItemModelTester> tester;
};

// ---- 1. rows ----------------------------------------------------------------------

// An append reports one row at the end, an insert before the cursor its position.
TEST_F(TableModel, AppendAndInsertReportTheirRows) {
  QSignalSpy inserted(model.get(), &QAbstractItemModel::rowsInserted);
  addRow("row4", 4, 40);
  ASSERT_EQ(inserted.count(), 1);
  EXPECT_EQ(inserted.first().at(1).toInt(), 3);
  EXPECT_EQ(inserted.first().at(2).toInt(), 3);
  EXPECT_EQ(names(), QStringList({"row1", "row2", "row3", "row4"}));
  ds.setRecNo(2);
  inserted.clear();
  ds.insert();
  ds.fieldByName("name").setValue("new");
  ds.post();
  ASSERT_EQ(inserted.count(), 1);
  EXPECT_EQ(inserted.first().at(1).toInt(), 1);
  EXPECT_EQ(names(), QStringList({"row1", "new", "row2", "row3", "row4"}));
}

TEST_F(TableModel, DeleteReportsTheRemovedRowAndCancelledInsertLeavesNothing) {
  ds.setRecNo(2);
  QSignalSpy removed(model.get(), &QAbstractItemModel::rowsRemoved);
  ds.deleteRecord();
  ASSERT_EQ(removed.count(), 1);
  EXPECT_EQ(removed.first().at(1).toInt(), 1);
  EXPECT_EQ(names(), QStringList({"row1", "row3"}));
  ds.append();
  EXPECT_EQ(model->rowCount(), 3);
  ds.cancel();
  EXPECT_EQ(names(), QStringList({"row1", "row3"}));
}

TEST_F(TableModel, FilterAndReloadAndCloseKeepTheViewConsistent) {
  ds.setFilter("sl > 1");
  ds.setFiltered(true);
  EXPECT_EQ(names(), QStringList({"row2", "row3"}));
  ds.setFiltered(false);
  EXPECT_EQ(model->rowCount(), 3);
  // A reload whose fields are made from the columns: other fields, other rows.
  tsql::ResultSet rs;
  rs.columns = {{"name"}, {"sl"}};
  rs.rows = {{core::Value("x"), core::Value(1.5)}};
  ds.close();
  EXPECT_EQ(model->rowCount(), 0);
  ds.clearFields();
  ds.loadFrom(rs);
  EXPECT_EQ(names(), QStringList({"x"}));
  EXPECT_EQ(cell(0, 1), "1.5");
  EXPECT_EQ(cell(0, 2), "");  // the grid's je column has no field now
}

// ---- 2. cells ---------------------------------------------------------------------

TEST_F(TableModel, FieldEditReportsOnlyItsCell) {
  ds.setRecNo(2);
  QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
  ds.edit();
  changed.clear();  // entering edit state refreshes every row
  ds.fieldByName("je").setValue(core::Currency::fromInt(99));
  ASSERT_EQ(changed.count(), 1);
  const auto topLeft = changed.first().at(0).value<QModelIndex>();
  EXPECT_EQ(topLeft.row(), 1);
  EXPECT_EQ(topLeft.column(), 2);
  EXPECT_EQ(cell(1, 2), "99.00");
}

// A click moves the cursor; setData assigns the field on its own row.
TEST_F(TableModel, SetDataAssignsTheFieldOnThatRow) {
  model->moveTo(1);
  EXPECT_EQ(ds.recNo(), 2);
  EXPECT_EQ(model->currentRow(), 1);
  EXPECT_TRUE(model->setData(model->index(2, 1), "7.5"));
  EXPECT_EQ(ds.recNo(), 3);
  EXPECT_EQ(ds.state(), dataset::DataSetState::Edit);
  EXPECT_DOUBLE_EQ(ds.fieldByName("sl").asFloat(), 7.5);
  EXPECT_EQ(model->footerText(1), "10.5");
  // A text the field cannot hold is refused with the dataset's message.
  EXPECT_FALSE(model->setData(model->index(0, 1), "abc"));
  EXPECT_FALSE(model->lastError().empty());
}

// Tick columns edit as check states; a read-only grid refuses edits.
TEST_F(TableModel, TickColumnsEditAsCheckStatesAndReadOnlyGridsRefuse) {
  EXPECT_TRUE(model->isTickColumn(3));
  EXPECT_TRUE(model->flags(model->index(0, 3)) & Qt::ItemIsUserCheckable);
  EXPECT_TRUE(model->setData(model->index(0, 3), Qt::Checked, Qt::CheckStateRole));
  EXPECT_TRUE(ds.fieldByName("done").asBoolean());
  EXPECT_EQ(model->index(0, 3).data(Qt::CheckStateRole).toInt(), Qt::Checked);
  ds.post();
  model->setReadOnly(true);
  EXPECT_FALSE(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
  EXPECT_FALSE(model->setData(model->index(0, 1), "5"));
  EXPECT_EQ(cell(0, 1), "1");
  EXPECT_EQ(ds.state(), dataset::DataSetState::Browse);
}

TEST_F(TableModel, FootersSumVisibleRowsThroughTheColumnPattern) {
  EXPECT_EQ(model->footerText(2), "60.00");
  EXPECT_EQ(model->footerText(0), "");  // no footer asked for
  ds.setFilter("sl < 3");
  ds.setFiltered(true);
  EXPECT_EQ(model->footerText(2), "30.00");
}

}  // namespace
