// The bill actions as a clerk runs them through a bill's window, timed by measure(): the
// same steps on the file and on the server, whose sessions differ only in how they copy,
// keep and put back their database. A session S gives open(), bringTo(), audited(),
// bills() (its windows), keep() and putBack().
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "bill_action_session.h"
#include "host/forms/base_form.h"
#include "plugs/coreapp/khsk/khdzk_audit_form.h"

namespace bill_bench {

//! The first integer of the first row of `sql` (:b bound to the bill number), read
//! through the engine (untimed: it only sets an action up).
template <typename S>
std::int64_t firstInteger(S& s, const std::string& sql, const std::string& billno) {
  db::BatchResult r = s.bills().conn.execBatch(sql, {{"b", core::Value(billno)}});
  if (!r.ok() || r.resultSets.empty() || r.resultSets[0].rows.empty()) return 0;
  return r.resultSets[0].rows[0][0].asInteger();
}

template <typename S, typename C>
void benchNew(benchmark::State& state, const C& c) {
  S s(c);
  std::unique_ptr<host::TBaseBillEditRibbonForm> form;
  measure(
      state, s, [&] { form = s.open(false); }, [&] { form->clickAction("actAdd"); }, noop,
      [&] { return form->cdsMaster.recordCount() == 1; });
}

template <typename S, typename C>
void benchOpen(benchmark::State& state, const C& c) {
  S s(c);
  auto form = s.open();
  measure(
      state, s, noop, [&] { form->OpenBillData(c.billno); }, noop,
      [&] { return form->cdsDetail.recordCount() > 0; });
  state.counters["lines"] = form->cdsDetail.recordCount();
}

// A save writes a real edit of the header.
template <typename S, typename C>
void benchSave(benchmark::State& state, const C& c) {
  S s(c);
  if (!s.bringTo(false)) return state.SkipWithError("cannot bring the bill to draft");
  auto form = s.open();
  int edits = 0;
  auto edit = [&] {
    reliability::BillWindows::editHeader(*form, "edit " + std::to_string(++edits));
  };
  measure(
      state, s, edit, [&] { form->clickAction("actSave"); }, noop,
      [&] { return !form->hasUnsavedChanges(); });
}

template <typename S, typename C>
void benchAudit(benchmark::State& state, const C& c, bool audit) {
  S s(c);
  if (!s.bringTo(!audit))
    return state.SkipWithError("cannot bring the bill to the state the action needs");
  auto form = s.open();
  const std::string action = audit ? "actAudit" : reliability::BillWindows::unauditAction(*form);
  measure(
      state, s, noop, [&] { form->clickAction(action); },
      [&] {
        if (!s.bringTo(!audit)) throw std::runtime_error("cannot put bill " + c.billno + " back");
        form->OpenBillData(c.billno);
      },
      [&] { return s.audited() == audit; });
}

template <typename S, typename C>
void benchDelete(benchmark::State& state, const C& c) {
  S s(c);
  if (!s.bringTo(false)) return state.SkipWithError("cannot bring the bill to draft");
  s.keep();
  std::unique_ptr<host::TBaseBillEditRibbonForm> form;
  measure(
      state, s, [&] { form = s.open(); }, [&] { form->clickAction("actDel"); },
      [&] {
        form.reset();
        s.putBack();
      },
      [&] { return s.bills().number(c.table, c.billno, "id") < 0; });
}

// The stocktake's book-stock fill: choosing another store while editing reads every
// line's book quantity again. The store is one the stocktake is not made in.
template <typename S, typename C>
void benchFill(benchmark::State& state, const C& c) {
  S s(c);
  if (!s.bringTo(false)) return state.SkipWithError("cannot bring the bill to draft");
  const std::int64_t store = firstInteger(
      s, "select min(id) from vt_b_ckbmk where id <> (select ck_id from " + c.table +
             " where billno = :b)", c.billno);
  std::unique_ptr<host::TBaseBillEditRibbonForm> form;
  measure(
      state, s,
      [&] {
        form = s.open();
        form->clickAction("actEdit");
        form->cdsMaster.edit();
      },
      [&] { form->cdsMaster.fieldByName("ck_id").setValue(core::Value(store)); },
      [&] { form.reset(); },
      [&] { return form->cdsMaster.fieldByName("ck_id").asInteger() == store; });
}

// The customer statement's review confirm, from the audited statement every time (its
// database put back after each confirm). Every line's tick is turned over, so each line
// is a real change.
template <typename S, typename C>
void benchConfirm(benchmark::State& state, const C& c) {
  S s(c);
  if (!s.bringTo(true)) return state.SkipWithError("cannot audit the statement");
  s.keep();
  std::unique_ptr<host::TBaseBillEditRibbonForm> form;
  std::unique_ptr<plugs::coreapp::khsk::Tkhdzkauditform> dialog;
  measure(
      state, s,
      [&] {
        form = s.open();
        dialog = host::makeForm<plugs::coreapp::khsk::Tkhdzkauditform>(form.get(), c.billno);
        dialog->cdsResult.first();
        dialog->tickAll(!dialog->cdsResult.fieldByName("dzflag").asBoolean());
      },
      [&] { dialog->actconfirmExecute(); },
      [&] {
        dialog.reset();
        form.reset();
        s.putBack();
      },
      [&] { return dialog->ModalResult == host::mrOK; });
}

}  // namespace bill_bench
