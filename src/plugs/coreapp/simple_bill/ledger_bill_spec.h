// The income and expense bills are twins: money taken in or paid out through one
// settlement account, split over categories. LedgerBillKind is the table of what one
// twin differs in; ledgerBillSpec makes the whole description from it.
#pragma once

#include "plugs/coreapp/simple_bill/simple_bill_spec.h"

namespace plugs::coreapp {

struct LedgerBillKind {
  const char* code;         //!< plug code, also @category ("1111")
  const char* caption;      //!< "收入单据"
  const char* className;    //!< "Tsrdjform"
  const char* guid;
  const char* masterTable;  //!< "vt_f_srdj"
  LineListField category;   //!< the line's category: "sr_name" picked from "srlb" writes "sr_id"
  DisplayJoin categoryJoin;   //!< its code and name on an opened line
  const char* categoryCaption;  //!< the category column ("收入类别")
  const char* categoryMessage;  //!< a line without category ("请选择收入类别")
  const char* totalStatement;   //!< the save batch's total statement
};

//! The description of an income or expense bill of that kind.
SimpleBillSpec ledgerBillSpec(const LedgerBillKind& kind);

}  // namespace plugs::coreapp
