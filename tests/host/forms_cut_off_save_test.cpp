// A bill editor whose save is cut off by the server going away: before its commit (not
// saved, edits kept), at its commit (reconnect, read the bill back, tell what it found),
// or with the server not coming back (cannot tell, edits kept). The reconnect series
// itself: bounded attempts, waits doubling to a ceiling, each attempt told.
#include <gtest/gtest.h>

#include "flaky_connection.h"
#include "forms_test_database.h"
#include "host/forms/sample/demo_bill_form.h"
#include "host/services/reconnect.h"

namespace {

using host::Outcome;
using namespace std::chrono_literals;

// The embedded database behind a connection that goes away at the first save batch
// (the one opening a transaction) after arming: before running it, or after running it
// with its answer lost. It comes back after `refusals` failed reconnects.
class CuttingConnection : public db::Connection {
 public:
  enum class Cut { None, BeforeCommit, CommitNotDone, CommitDone };
  explicit CuttingConnection(db::Connection& real) : real_(real) {}

  db::BatchResult execBatch(std::string_view sql, const db::Params& params) override {
    if (down) return lost(db::Loss::NotDone);
    if (cut == Cut::None || sql.find("begin tran") == std::string_view::npos) {
      loss_ = db::Loss::None;
      return real_.execBatch(sql, params);
    }
    const Cut now = std::exchange(cut, Cut::None);
    down = true;
    if (now == Cut::CommitDone) {
      EXPECT_TRUE(real_.execBatch(sql, params).ok());
    }
    return lost(now == Cut::BeforeCommit ? db::Loss::NotDone : db::Loss::InDoubt);
  }
  void beginUnit() override { real_.beginUnit(); }
  std::string commitUnit() override { return real_.commitUnit(); }
  void rollbackUnit() override { real_.rollbackUnit(); }
  bool unitOpen() const override { return real_.unitOpen(); }
  bool connected() const override { return !down; }
  db::Loss lastLoss() const override { return loss_; }
  bool reconnect() override {
    ++attempts;
    if (refusals > 0) return --refusals, false;
    down = false;
    return true;
  }

  Cut cut = Cut::None;
  bool down = false;
  int refusals = 0;
  int attempts = 0;

 private:
  db::BatchResult lost(db::Loss loss) {
    if (loss_ != db::Loss::InDoubt || !down) loss_ = loss;
    db::BatchResult r;
    r.errors.push_back(
        {db::kConnectionLostNumber, 16, 1, 0,
         loss == db::Loss::InDoubt ? db::kCommitInDoubtMessage : db::kConnectionLostMessage});
    return r;
  }
  db::Connection& real_;
  db::Loss loss_ = db::Loss::None;
};

class CutOffSaveTest : public forms_test::FormsTest {
 protected:
  CutOffSaveTest() : cutting(conn) {
    host.connection = &cutting;
    host.reconnect = [this] { return host::reconnectWithBackoff(cutting, {3, 0ms, 0ms}, {}, {}); };
    item.code = "9901";
    item.caption = "演示单据";
    form = host::makeForm<host::TDemoBillForm>(nullptr, &item);
    form->OpenBillData("");
  }

  // A new bill of goods 1 at quantity `sl`, or the open bill's quantity changed to it.
  void typeBill(double sl, bool isNew) {
    ASSERT_EQ(form->clickAction(isNew ? "actAdd" : "actEdit"), Outcome::Done);
    if (isNew) {
      form->control("edtwldw").tag = 1;
      form->SelectedxmbmkToDetail(
          R"([{"id":"1","code":"S01","name":"铜版纸","itemno":"A4","baseunit":"包","pricein":"12.5"}])");
    }
    form->cdsDetail.edit();
    form->cdsDetail.fieldByName("sl").setValue(core::Value(sl));
    form->cdsDetail.post();
  }

  std::string lastText() const {
    const std::string& e = ui.transcript().back();
    const auto at = e.find("\"text\":\"");
    return at == std::string::npos ? e : e.substr(at + 8, e.find('"', at + 8) - at - 8);
  }

  CuttingConnection cutting;
  host::TPlugItem item;
  std::unique_ptr<host::TDemoBillForm> form;
};

struct CutCase {
  const char* name;
  CuttingConnection::Cut cut;
  int refusals;      // reconnects refused before the server is back
  const char* told;  // a phrase of what the clerk is told
  bool stored;       // the save reached the database
  bool isNew;        // a new bill, else a change to a saved one
};

void PrintTo(const CutCase& c, std::ostream* os) { *os << c.name; }

// Each case on a database of its own (the fixture's numbering procedure holds the next
// procedure's text and makes it again on its second call).
class CutOffSaveCase : public CutOffSaveTest, public ::testing::WithParamInterface<CutCase> {};

// Every way a save can be cut off, for a new bill and for a change to a saved one: the
// clerk is told what the database holds, a bill found saved is shown as saved, and edits
// not saved stay in the window, dirty, to be saved again.
TEST_P(CutOffSaveCase, IsToldByWhatTheDatabaseHolds) {
  const CutCase& k = GetParam();
  if (!k.isNew) {
    typeBill(2, true);
    ASSERT_EQ(form->clickAction("actSave"), Outcome::Done) << ui.transcript().back();
  }
  typeBill(7, k.isNew);
  cutting.cut = k.cut;
  cutting.refusals = k.refusals;
  const Outcome outcome = form->clickAction("actSave");
  EXPECT_NE(lastText().find(k.told), std::string::npos) << lastText();
  EXPECT_EQ(scalar("select cast(sl as int) from vt_c_qtrk_mx"), k.stored  ? "7"
                                                                : k.isNew ? ""
                                                                          : "2");
  const bool shownSaved = k.stored && k.refusals == 0;
  EXPECT_EQ(outcome, shownSaved ? Outcome::Done : Outcome::Aborted);
  EXPECT_EQ(form->editMode, !shownSaved);
  EXPECT_EQ(form->hasUnsavedChanges(), !shownSaved);
  EXPECT_EQ(form->cdsDetail.fieldByName("sl").asFloat(), 7);
  EXPECT_EQ(form->billno, shownSaved || !k.isNew ? scalar("select billno from vt_c_qtrk") : "");
}

using Cut = CuttingConnection::Cut;
INSTANTIATE_TEST_SUITE_P(
    CutOff, CutOffSaveCase,
    ::testing::Values(
        CutCase{"NewBeforeCommit", Cut::BeforeCommit, 0, "单据没有保存。所做修改仍保留", false,
                true},
        CutCase{"NewAtCommitNotDone", Cut::CommitNotDone, 0, "核对，单据没有保存", false, true},
        CutCase{"NewAtCommitDone", Cut::CommitDone, 0, "核对，单据已经保存", true, true},
        CutCase{"NewServerNotBack", Cut::CommitDone, 99, "无法确认单据是否已经保存", true, true},
        CutCase{"SavedBeforeCommit", Cut::BeforeCommit, 0, "单据没有保存。所做修改仍保留", false,
                false},
        CutCase{"SavedAtCommitNotDone", Cut::CommitNotDone, 0, "核对，单据没有保存", false, false},
        CutCase{"SavedAtCommitDone", Cut::CommitDone, 0, "核对，单据已经保存", true, false},
        CutCase{"SavedServerNotBack", Cut::CommitNotDone, 99, "无法确认单据是否已经保存", false,
                false}),
    [](const ::testing::TestParamInfo<CutCase>& info) { return std::string(info.param.name); });

// After a reconnect an editor without edits shows what another counter saved meanwhile;
// one with edits keeps them.
TEST_F(CutOffSaveTest, EditorsRereadTheirBillAfterAReconnectUnlessEdited) {
  typeBill(2, true);
  ASSERT_EQ(form->clickAction("actSave"), Outcome::Done);
  conn.execBatch("update vt_c_qtrk_mx set sl = 5");
  form->rereadAfterReconnect();
  EXPECT_EQ(form->cdsDetail.fieldByName("sl").asFloat(), 5);
  typeBill(9, false);
  conn.execBatch("update vt_c_qtrk_mx set sl = 6");
  form->rereadAfterReconnect();
  EXPECT_EQ(form->cdsDetail.fieldByName("sl").asFloat(), 9);
  EXPECT_TRUE(form->hasUnsavedChanges());
}

// The series: the first attempt at once, then waits doubling to the ceiling; told
// before each attempt and at the end; a connection never lost costs no attempt.
TEST(Reconnect, BoundedAttemptsWithGrowingWaits) {
  const host::Backoff backoff{5, 100ms, 300ms};
  struct Case {
    int backAt;
    bool connected;
    std::vector<std::chrono::milliseconds> waits;
    std::string told;
  };
  const Case cases[] = {
      {1, true, {}, "R1 C1 "},
      {3, true, {100ms, 200ms}, "R1 R2 R3 C3 "},
      {99, false, {100ms, 200ms, 300ms, 300ms}, "R1 R2 R3 R4 R5 L5 "},
  };
  for (const Case& k : cases) {
    FlakyConnection c;
    c.up = false;
    c.backAt = k.backAt;
    std::vector<std::chrono::milliseconds> waits;
    std::string told;
    const bool back = host::reconnectWithBackoff(
        c, backoff,
        [&](host::LinkState s, int n) {
          told += (s == host::LinkState::Reconnecting ? "R"
                   : s == host::LinkState::Connected  ? "C"
                                                      : "L") +
                  std::to_string(n) + " ";
        },
        [&](std::chrono::milliseconds d) { waits.push_back(d); });
    EXPECT_EQ(back, k.connected) << k.backAt;
    EXPECT_EQ(waits, k.waits) << k.backAt;
    EXPECT_EQ(told, k.told) << k.backAt;
  }
  FlakyConnection never;
  EXPECT_TRUE(host::reconnectWithBackoff(never, backoff, {}, {}));
  EXPECT_EQ(never.tries, 0);
}

}  // namespace
