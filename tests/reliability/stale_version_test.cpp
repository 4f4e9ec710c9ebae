// Stale versions: two windows hold the same bill; the first changes it (a real round
// trip of audit and un-audit, or edit and save), then the second, still holding the
// old version, tries to edit, save, audit, un-audit and delete. Each must be refused
// with the stale-data message and write nothing. For the save both windows are in edit
// mode, and the other one saves its own edit while the stale one confirms its save, so
// the refusal must come from inside the save's own transaction. Every bill editor of
// the pool is tried on a bill its scenario or recipe left in the database.
#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <set>

#include "reliability/bill_windows.h"
#include "reliability/database_fingerprint.h"
#include "reliability/demo_database.h"

namespace reliability {
namespace {

constexpr const char* kStale = "当前数据状态已改变";

class StaleBills {
 public:
  explicit StaleBills(db::EmbeddedConnection& conn) : file_(conn), windows_(conn) {}

  std::string newestBill(const std::string& code, std::string& table) { return windows_.newestBill(code, table); }

  bool audited(const std::string& table, const std::string& billno) {
    return windows_.number(table, billno, "status") > 0;
  }

  //! Brings the bill to draft (false) or past it (true) through a window; false when refused.
  bool bringTo(const std::string& code, const std::string& table, const std::string& billno, bool audited) {
    if ((windows_.number(table, billno, "status") > 0) == audited) return true;
    auto form = windows_.open(code, billno);
    form->clickAction(audited ? "actAudit" : BillWindows::unauditAction(*form));
    return (windows_.number(table, billno, "status") > 0) == audited;
  }

  //! Another clerk changes the bill and puts it back: its version goes up. With
  //! `bySave` only an edit saved in a second window counts: it must be stored.
  bool otherClerkTouches(const std::string& code, const std::string& table,
                         const std::string& billno, bool bySave = false) {
    const std::int64_t before = windows_.number(table, billno, "version");
    const std::int64_t status = windows_.number(table, billno, "status");
    if (status == 0) {
      auto other = windows_.open(code, billno);
      const char* edited = BillWindows::editHeader(*other, "other clerk's edit");
      other->clickAction("actSave");
      if (bySave)
        return *edited == '\0' ? windows_.number(table, billno, "version") > before
                               : stored(table, billno, edited) == "other clerk's edit";
    }
    if (bySave) return false;
    if (windows_.number(table, billno, "version") == before) {
      bringTo(code, table, billno, status == 0);
      bringTo(code, table, billno, status != 0);
    }
    return windows_.number(table, billno, "version") > before && windows_.number(table, billno, "status") == status;
  }

  struct Attempt {
    bool setUp = false;               //!< the bill could be put in the state the action needs
    std::vector<std::string> broken;  //!< set up: broken promises; else why not
  };

  //! The stale window's attempt at `action`.
  Attempt staleAttempt(const std::string& code, const std::string& billno, const std::string& action) {
    std::string table;
    newestBill(code, table);
    const bool audited = action == "actAudit_0";
    if (!bringTo(code, table, billno, audited)) return {false, {"cannot bring the bill to the state " + action + " needs"}};
    auto stale = windows_.open(code, billno);
    bool touched = false;
    std::map<std::string, std::string> before;
    auto touch = [&] {
      touched = otherClerkTouches(code, table, billno, action == "actSave");
      before = tableFingerprints(file_.handle());
    };
    if (action == "actSave") {
      BillWindows::editHeader(*stale, "stale edit");
      windows_.onSaveConfirmed = touch;
    } else {
      touch();
    }
    const std::size_t mark = windows_.mark();
    stale->clickAction(action == "actAudit_0" ? BillWindows::unauditAction(*stale) : action.c_str());
    windows_.onSaveConfirmed = nullptr;
    if (!touched) return {false, {"another window could not change the bill"}};
    Attempt a{true, {}};
    if (tableFingerprints(file_.handle()) != before) a.broken.push_back("the stale window wrote to the database");
    const std::string said = windows_.toldSince(mark);
    if (said.find(kStale) == std::string::npos)
      a.broken.push_back("the stale window was not told the bill had changed; it was told:" + said);
    return a;
  }

  std::string stored(const std::string& table, const std::string& billno, const char* column) {
    db::BatchResult r = windows_.conn.execBatch(
        "select " + std::string(column) + " from " + table + " where billno = :b",
        {{"b", core::Value(billno)}});
    return r.ok() && !r.resultSets.empty() && !r.resultSets[0].rows.empty()
               ? r.resultSets[0].rows[0][0].asText()
               : std::string();
  }

 private:
  db::EmbeddedConnection& file_;
  BillWindows windows_;
};

TEST(StaleVersion, TheSecondWindowOfEveryBillIsRefusedAndWritesNothing) {
  const std::vector<std::string> codes = billEditorCodes();
  std::map<std::string, std::vector<std::string>> notSetUp;
  std::set<std::string> tried;
  int attempts = 0;
  for (const std::string& file : scenarioFiles()) {
    auto conn = openDemoDatabase(":memory:");
    playScenario(file, *conn);
    StaleBills bills(*conn);
    for (const std::string& code : codes) {
      std::string table;
      const std::string billno = tried.count(code) ? "" : bills.newestBill(code, table);
      if (billno.empty()) continue;
      std::vector<std::string> broken, why;
      const bool audited = bills.audited(table, billno);
      for (const char* action : {"actEdit", "actSave", "actAudit", "actAudit_0", "actDel"}) {
        StaleBills::Attempt a = bills.staleAttempt(code, billno, action);
        for (const std::string& b : a.broken) (a.setUp ? broken : why).push_back(std::string(action) + ": " + b);
      }
      // Left as found: a later bill type's bill may rest on it (an advance write-off
      // takes only audited payments).
      bills.bringTo(code, table, billno, audited);
      if (!why.empty()) {  // another scenario may leave a bill of this type that can be set up
        notSetUp[code].insert(notSetUp[code].end(), why.begin(), why.end());
        continue;
      }
      tried.insert(code);
      attempts += 5;
      for (const std::string& b : broken) ADD_FAILURE() << "bill " << code << " " << billno << " " << b;
    }
  }
  for (const std::string& code : codes) {
    if (tried.count(code)) continue;
    std::string why;
    for (const std::string& w : notSetUp[code]) why += "\n  " + w;
    ADD_FAILURE() << "bill " << code << ": no scenario or recipe leaves a bill to try" << why;
  }
  std::cout << "stale windows: " << tried.size() << " bill types, " << attempts << " refused attempts\n";
}

}  // namespace
}  // namespace reliability
