// publicfunc: the shared routines of project orders — the customer's price of a
// service item, the child lists of an order (consumables, products, staff), turning
// lookup selections into lines, consumable rows and staff rows, and the save batches
// doInsert / doUpdate. The order editor, the order-processing window, the ad-hoc bill,
// the outsourced order and the shipment bill call them with their own datasets.
// The unit registers no plug item.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/currency.h"
#include "core/value.h"

namespace dataset {
class ClientDataSet;
}
namespace host {
class TPlugItem;
}

namespace plugs::coreapp::xmzzk {

using dataset::ClientDataSet;

//! The customer's unit price of an item for a quantity: a matching quantity tier first,
//! else the agreement or member-level price, else the list price.
core::Currency getkhxyj(std::int64_t khId, std::int64_t xmId, double sl);
//! Opens the bill's consumables with goods code, name, specification and unit.
void openhcdata(ClientDataSet& cdshc, const std::string& billno);
//! Opens the bill's finished products.
void opencpdata(ClientDataSet& cdscpmx, const std::string& billno);
//! Opens the bill's production staff with employee code and name.
void openzzrydata(ClientDataSet& cdszzry, const std::string& billno);
//! Lets the user pick a contact of the customer ("客户联系人查询") and copies it to the
//! header (lxr, tel, qq, addr); a cancelled lookup changes nothing.
void openlxrform(std::int64_t khId, ClientDataSet& master);

//! Appends one priced line per chosen item; with setting "zidongchuku" on and `hc`
//! given, also the item's consumables. `adding` is set while a line is being filled.
//! Throws core::JsonError when the selection is not a JSON array of objects.
void SelectedxmbmkToDetail(std::int64_t khId, const std::string& selection, ClientDataSet& detail,
                           ClientDataSet* hc, bool& adding);
//! Appends one line per chosen item priced at its purchase price (outsourced orders).
void SelectedxmbmkToDetail_xmwtk(const std::string& selection, ClientDataSet& detail, bool& adding);
//! Appends consumable rows of line `mxUid` for the chosen goods. Throws
//! std::invalid_argument when a goods id is not an integer.
void hc_add(const std::string& selection, ClientDataSet& hc, const std::string& mxUid,
            const std::string& billno);
//! Appends staff rows of line `mxUid` (share 0), skipping employees already on the line
//! (the staff dataset is expected to be filtered to that line).
void zzry_add(const std::string& selection, ClientDataSet& zzry, const std::string& mxUid,
              const std::string& billno);
//! Appends one staff row and posts it.
void zzry_addone(ClientDataSet& zzry, const std::string& billno, const std::string& mxUid,
                 std::int64_t ygId, const std::string& ygCode, const std::string& ygName,
                 double perc);

//! Saves a new order in one batch (number issued by the server); 0 = done, 1 = the
//! server raised (message in host::lastExecSQLError()). Pending changes stay on failure.
int doInsert(ClientDataSet& master, ClientDataSet& detail, ClientDataSet& cpmx, ClientDataSet& zzry,
             ClientDataSet& hc, const std::string& workBillno, const host::TPlugItem& item,
             const std::vector<std::string>& ignoreFields);
//! Saves an existing order in one batch; 0 = done, 1 = the server raised.
int doUpdate(ClientDataSet& master, ClientDataSet& detail, ClientDataSet& cpmx, ClientDataSet& zzry,
             ClientDataSet& hc, const std::string& workBillno,
             const std::vector<std::string>& ignoreFields);

//! A flag as item master data and line columns hold it ("1", "true", "是", a boolean).
bool isTrueFlag(const core::Value& v);
//! True when the order with header `id` is voided in the database. A voided order is
//! never saved again: every save would total it anew.
bool isVoidedOrder(std::int64_t id);

}  // namespace plugs::coreapp::xmzzk
