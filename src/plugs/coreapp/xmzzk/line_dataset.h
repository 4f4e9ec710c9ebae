// The order line arithmetic (LinePricing) applied to a line dataset: read a line's
// figures from the current record, write the derived amount or price back, follow a
// new quantity in the line's consumables, and keep a line's staff and consumables
// (filtered to the line) in step with it. The order editor and the order-processing
// window both work their lines through these, each under its own guards and checks.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "core/scoped_flag.h"
#include "dataset/client_data_set.h"
#include "plugs/coreapp/xmzzk/line_pricing.h"

namespace plugs::coreapp::xmzzk {

using core::ScopedFlag;

//! The guards of one window's line recalculation; every open window of a kind shares
//! its kind's pair.
struct PricingGuards {
  bool& pricing;         //!< an amount or price is being derived
  bool& reversePricing;  //!< the price is being derived from a typed amount
};

//! True while the dataset is in edit or insert state.
bool isEditing(const dataset::ClientDataSet& ds);
//! The figures of the current line (sl, n, x, y, zk, k, jjfs, minje, dj, je).
LineFigures readLineFigures(const dataset::ClientDataSet& line);
//! je of the current line from its price; a null k of an area line is stored as 1.
void storeAmountFromPrice(dataset::ClientDataSet& line);
//! dj of the current line from its typed amount (unchanged when no price gives it).
void storePriceFromAmount(dataset::ClientDataSet& line);
//! Every visible consumable row gets sl = nsl × (line sl × line n) and is posted, with
//! display updates held back; the cursor stays where it was.
void followLineQuantity(dataset::ClientDataSet& hc, double lineSl, double lineN);
//! What a change of field `name` of the current line gives: a new size, quantity or
//! discount, or a price not being derived from the amount, gives the amount; an amount
//! not being derived gives the price. Each derivation holds its guard while it runs.
void followLineFigures(dataset::ClientDataSet& line, const std::string& name, PricingGuards guards);
//! The order windows' recalculation on a change of field `name` of the current line:
//! followLineFigures, and on a new quantity (sl or n) the price for the whole quantity
//! of the customer `customerId` gives (asked for then only; the price's change gives the
//! amount), then the consumables' quantities.
void followOrderLineChange(dataset::ClientDataSet& line, dataset::ClientDataSet& hc,
                           const std::string& name, PricingGuards guards,
                           const std::function<std::int64_t()>& customerId);

//! Posts every one of the datasets that is in edit or insert state, in the order given.
void postEdits(std::initializer_list<dataset::ClientDataSet*> sets);
//! Shows only the rows of line `uid` (field mx_uid) in a line's child dataset; a
//! closed dataset is left alone.
void filterToLine(dataset::ClientDataSet& child, const std::string& uid);
//! A new line's defaults: sl, n, x, y, zk = 1. The line's children are filtered to its
//! uid first, so that what these defaults set off (consumables following the quantity)
//! finds the new line's rows, none yet, and never those of the line current before.
void applyNewLineDefaults(dataset::ClientDataSet& line,
                          std::initializer_list<dataset::ClientDataSet*> children);
//! Deletes every row the dataset shows (with a filter, only the filtered ones).
void deleteShownRows(dataset::ClientDataSet& ds);

//! jxje of every staff row from the current one on follows the line amount `je` and
//! jxjf is cleared; the cursor stays. Nothing happens on a closed or empty dataset.
void followLineAmount(dataset::ClientDataSet& staff, core::Currency je);
//! What a staff row gets before it is posted: the login's orgid and jxje from the
//! line amount `lineJe` and the row's share.
void stampStaffRow(dataset::ClientDataSet& staff, core::Currency lineJe);
//! Refuses the staff row just posted, whose share took the line's sum past what the
//! window allows: tells the user, zeroes the row's share and amounts (posted at once,
//! so that no cancel can bring the refused share back) and throws core::Abort.
[[noreturn]] void refuseStaffShare(dataset::ClientDataSet& staff);
//! Every staff row shown gets 100 / count; the cursor ends on the first row.
void splitSharesEvenly(dataset::ClientDataSet& staff);
//! Every line other than the current one gets the current line's staff (code, name,
//! share) in place of its own, numbered under `billno`; the current line stays current.
//! The staff dataset is expected to follow the line cursor (filtered to each line).
void copyStaffToOtherLines(dataset::ClientDataSet& lines, dataset::ClientDataSet& staff,
                           const std::string& billno);

}  // namespace plugs::coreapp::xmzzk
