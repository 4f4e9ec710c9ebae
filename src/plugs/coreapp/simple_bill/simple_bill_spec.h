// SimpleBillSpec: what one simple bill (goods, cash, shipment and outsourcing bills)
// is, written down as data: its plug item, its two tables, the header controls and the
// line grid, the fields its save never writes and its total statement. The forms in
// this directory do everything else once, from the description.
#pragma once

#include <string>
#include <vector>

#include "host/forms/control.h"
#include "host/plug/standard_rules.h"

namespace plugs::coreapp {

//! One header control bound to a master field.
struct HeaderField {
  const char* control;   //!< control name ("cbck")
  host::ControlKind kind;
  const char* caption;   //!< label ("下单门店：")
  const char* field;     //!< bound field; a lookup combo's display field ("ck_name")
  const char* idField = "";  //!< lookup combos: the id field its choice writes ("ck_id")
  const char* list = "";     //!< lookup combos: the host list ("ck")
  const char* format = "";   //!< currency edits: display pattern ("" = the shop's money format)
};

//! One column of the line grid as the shipped bill settings give it.
struct LineColumn {
  const char* field;
  const char* caption;
  int width;
  const char* type = "";    //!< "money" or "" (text and numbers)
  bool editable = true;
  bool footerSum = false;   //!< a sum in the footer
};

//! A master field that is shown but not stored: filled by the open query's join.
struct DisplayJoin {
  const char* select;  //!< select-list part ("ck.name ck_name")
  const char* join;    //!< "left join vt_b_ckbmk ck on t1.ck_id = ck.id"
};

struct SimpleBillSpec {
  const char* code;        //!< plug code, also @category of the numbering ("1120")
  const char* caption;     //!< menu caption ("购货单")
  const char* className;   //!< form class ("Tspjhform")
  const char* guid;        //!< the plug item's fixed GUID
  std::vector<host::RightSpec> rights;  //!< rights after the root rule
  const char* masterTable;              //!< "vt_c_spjh"; lines are masterTable + "_mx"
  std::vector<HeaderField> header;      //!< header controls, in screen order
  std::vector<DisplayJoin> masterJoins;  //!< display-only header fields
  std::vector<DisplayJoin> lineJoins;    //!< display-only line fields
  std::vector<std::string> lineDisplayFields;  //!< line fields never written ("id" first)
  std::vector<LineColumn> columns;             //!< the line grid
  const char* insertTotal;  //!< total statement of a first save ("" = none)
  const char* updateTotal = nullptr;  //!< of later saves, when it differs from insertTotal
};

}  // namespace plugs::coreapp
