// Line figures in and out of a line dataset. Fields are read by name; a line dataset
// without one of them is a programming error that fieldByName reports.
#include "plugs/coreapp/xmzzk/line_dataset.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/abort.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/xmzzk/publicfunc.h"

namespace plugs::coreapp::xmzzk {

namespace {

// Writes k when a derivation gave a null k its default of 1.
void storeDefaultK(dataset::ClientDataSet& line, const LineFigures& f) {
  dataset::Field& k = line.fieldByName("k");
  if (k.isNull() && f.k) k.setValue(*f.k);
}

bool isOneOf(const std::string& name, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

// One staff member of a line as copyStaffToOtherLines copies it.
struct StaffShare {
  std::int64_t ygId;
  std::string code;
  std::string name;
  double perc;
};

}  // namespace

bool isEditing(const dataset::ClientDataSet& ds) {
  return ds.state() == dataset::DataSetState::Edit || ds.state() == dataset::DataSetState::Insert;
}

LineFigures readLineFigures(const dataset::ClientDataSet& d) {
  LineFigures f;
  f.sl = d.fieldByName("sl").asFloat();
  f.n = d.fieldByName("n").asFloat();
  f.x = d.fieldByName("x").asFloat();
  f.y = d.fieldByName("y").asFloat();
  f.zk = d.fieldByName("zk").asFloat();
  const dataset::Field& k = d.fieldByName("k");
  if (!k.isNull()) f.k = k.asFloat();
  f.jjfs = d.fieldByName("jjfs").asString();
  f.minje = isTrueFlag(d.fieldByName("minje").value());
  f.dj = d.fieldByName("dj").asCurrency();
  f.je = d.fieldByName("je").asCurrency();
  return f;
}

void storeAmountFromPrice(dataset::ClientDataSet& line) {
  LineFigures f = readLineFigures(line);
  LinePricing::amountFromPrice(f);
  storeDefaultK(line, f);
  line.fieldByName("je").setValue(f.je);
}

void storePriceFromAmount(dataset::ClientDataSet& line) {
  LineFigures f = readLineFigures(line);
  const core::Currency before = f.dj;
  LinePricing::priceFromAmount(f);
  storeDefaultK(line, f);
  if (f.dj != before) line.fieldByName("dj").setValue(f.dj);
}

void followLineQuantity(dataset::ClientDataSet& hc, double lineSl, double lineN) {
  if (!hc.active() || hc.isEmpty()) return;
  hc.disableControls();
  try {
    const dataset::Bookmark at = hc.bookmark();
    for (hc.first(); !hc.eof(); hc.next()) {
      hc.edit();
      hc.fieldByName("sl").setValue(
          LinePricing::consumableQuantity(hc.fieldByName("nsl").asFloat(), lineSl, lineN));
      hc.post();
    }
    if (hc.bookmarkValid(at)) hc.gotoBookmark(at);
  } catch (...) {
    hc.enableControls();
    throw;
  }
  hc.enableControls();
}

void followLineFigures(dataset::ClientDataSet& line, const std::string& name,
                       PricingGuards guards) {
  if (isOneOf(name, {"zk", "sl", "n", "x", "y"}) || (name == "dj" && !guards.reversePricing)) {
    ScopedFlag on(guards.pricing);
    storeAmountFromPrice(line);
  }
  if (name == "je" && !guards.pricing) {
    ScopedFlag on(guards.reversePricing);
    storePriceFromAmount(line);
  }
}

void followOrderLineChange(dataset::ClientDataSet& line, dataset::ClientDataSet& hc,
                           const std::string& name, PricingGuards guards,
                           const std::function<std::int64_t()>& customerId) {
  followLineFigures(line, name, guards);
  if (!isOneOf(name, {"sl", "n"})) return;
  const double sl = line.fieldByName("sl").asFloat();
  const double n = line.fieldByName("n").asFloat();
  {
    ScopedFlag on(guards.pricing);
    // Storing the price raises the change of dj, which recomputes the amount.
    line.fieldByName("dj").setValue(
        getkhxyj(customerId(), line.fieldByName("xm_id").asInteger(), sl * n));
  }
  followLineQuantity(hc, sl, n);
}

// ---- a line's children -----------------------------------------------------------

void postEdits(std::initializer_list<dataset::ClientDataSet*> sets) {
  for (dataset::ClientDataSet* ds : sets)
    if (isEditing(*ds)) ds->post();
}

void filterToLine(dataset::ClientDataSet& child, const std::string& uid) {
  if (!child.active()) return;
  child.setFiltered(false);
  child.setFilter("mx_uid='" + uid + "'");
  child.setFiltered(true);
}

void applyNewLineDefaults(dataset::ClientDataSet& line,
                          std::initializer_list<dataset::ClientDataSet*> children) {
  const std::string uid = line.fieldByName("uid").asString();
  for (dataset::ClientDataSet* child : children) filterToLine(*child, uid);
  for (const char* f : {"sl", "n", "x", "y", "zk"}) line.fieldByName(f).setValue(1.0);
}

void deleteShownRows(dataset::ClientDataSet& ds) {
  while (!ds.isEmpty()) {
    ds.first();
    ds.deleteRecord();
  }
}

// ---- staff shares ----------------------------------------------------------------

void followLineAmount(dataset::ClientDataSet& staff, core::Currency je) {
  if (!staff.active() || staff.isEmpty()) return;
  const dataset::Bookmark at = staff.bookmark();
  // From the current staff row on; the save batch recomputes every row on the server.
  for (; !staff.eof(); staff.next()) {
    staff.edit();
    staff.fieldByName("jxje").setValue(
        LinePricing::staffAmount(je, staff.fieldByName("perc").asFloat()));
    staff.fieldByName("jxjf").setValue(0);
    staff.post();
  }
  if (staff.bookmarkValid(at)) staff.gotoBookmark(at);
}

void stampStaffRow(dataset::ClientDataSet& staff, core::Currency lineJe) {
  staff.fieldByName("orgid").setValue(host::sysAuth().orgid);
  staff.fieldByName("jxje").setValue(
      LinePricing::staffAmount(lineJe, staff.fieldByName("perc").asFloat()));
}

void refuseStaffShare(dataset::ClientDataSet& staff) {
  host::MessageMyDlg("分配的比例总和已超过100%，请重新分配.", "提示", host::mtInformation,
                     host::mbOK);
  staff.edit();
  for (const char* f : {"perc", "jxje", "jxjf"}) staff.fieldByName(f).setValue(0);
  staff.post();
  throw core::Abort();
}

void splitSharesEvenly(dataset::ClientDataSet& staff) {
  const int count = staff.recordCount();
  if (count == 0) return;
  // Zero every share first, so that no sum on the way passes the limit.
  for (double share : {0.0, 100.0 / count}) {
    for (staff.first(); !staff.eof(); staff.next()) {
      staff.edit();
      staff.fieldByName("perc").setValue(share);
      staff.post();
    }
  }
  staff.first();
}

void copyStaffToOtherLines(dataset::ClientDataSet& lines, dataset::ClientDataSet& staff,
                           const std::string& billno) {
  std::vector<StaffShare> shares;
  for (staff.first(); !staff.eof(); staff.next())
    shares.push_back(
        {staff.fieldByName("yg_id").asInteger(), staff.fieldByName("yg_code").asString(),
         staff.fieldByName("yg_name").asString(), staff.fieldByName("perc").asFloat()});
  const dataset::Bookmark start = lines.bookmark();
  // Moving through the lines refilters the staff to each line in turn.
  for (lines.first(); !lines.eof(); lines.next()) {
    if (lines.bookmark() == start) continue;
    deleteShownRows(staff);
    const std::string uid = lines.fieldByName("uid").asString();
    for (const StaffShare& s : shares)
      zzry_addone(staff, billno, uid, s.ygId, s.code, s.name, s.perc);
  }
  lines.gotoBookmark(start);
}

}  // namespace plugs::coreapp::xmzzk
