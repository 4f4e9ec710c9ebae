// The host's own dialogs as the forms open them. Each goes through Ui::hostDialog with
// its class name (what a scenario queues an answer for) and does the host's part of
// the work: the default-customer dialog stores the store's customer, the bill options
// dialog keeps the options and the configuration document for the session.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/plug/plug_item.h"

namespace host {

//! Reason dialog (TAuditingDataForm): true when closed with OK; `reason` = typed text.
bool askReason(Owner owner, std::string_view title, std::string& reason);
//! New-password dialog (Tpasswordform) for the operator named `operatorName`: true
//! when closed with OK; `password` = the password typed (twice, the dialog compares).
bool askNewPassword(Owner owner, std::string_view operatorName, std::string& password);
//! Default-customer dialog (Tckbmkdefkhinfoform) for outlet `ck_id`: on OK with a
//! customer chosen, stores it as the outlet's `kh_id`. Returns the modal result.
int chooseDefaultCustomer(Owner owner, std::int64_t ck_id);
//! Bill options (Tbilloptionsform) with the configuration document and plug code: on
//! OK keeps the returned "newbill" flag and "config" document for the plug.
int showBillOptions(Owner owner, std::string_view configJson, std::string_view plugCode);
//! File-open dialog (TOpenDialog) with a filter ("所有文件|*.*"): true and `file` on OK.
bool openFileDialog(Owner owner, std::string_view filter, std::string& file);
//! Ticket editor (Tticketeditform) for a bill kind and bill id; returns the result.
int showTicketEditor(Owner owner, std::string_view billKind, std::int64_t billId);
//! History of a customer's prices for an item (Thistorypriceform).
int showPriceHistory(Owner owner, std::int64_t kh_id, std::int64_t xm_id);
//! Flow view of a bill's production steps (Tflowviewform).
int showFlowView(Owner owner, std::string_view plugCode, std::int64_t billId);
//! File explorer of a bill's folder (Tfileexplorerform).
int openFileExplorer(Owner owner, std::string_view billno);

}  // namespace host
