// Line figures in and out of a line dataset. Fields are read by name; a line dataset
// without one of them is a programming error that fieldByName reports.
#include "plugs/coreapp/xmzzk/line_dataset.h"

#include "plugs/coreapp/xmzzk/publicfunc.h"

namespace plugs::coreapp::xmzzk {

namespace {

// Writes k when a derivation gave a null k its default of 1.
void storeDefaultK(dataset::ClientDataSet& line, const LineFigures& f) {
  dataset::Field& k = line.fieldByName("k");
  if (k.isNull() && f.k) k.setValue(*f.k);
}

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

}  // namespace plugs::coreapp::xmzzk
