// BillConfig: the bill settings of one plug as its configuration document gives them:
// the open queries of header and lines, the header fields not to write, and the line
// grid's columns. The document is JSON text (getplugInfo); a default one for each bill
// type ships with the program (defaultBillConfig).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/forms/control.h"

namespace host {

struct BillConfig {
  std::string masterTable;                //!< data.master.table: the bill's header table
  std::string masterSql;                  //!< data.master.sql: header query (":billno" marker)
  std::string detailSql;                  //!< data.detail.sql: lines query (":billno" marker)
  std::vector<std::string> ignoreFields;  //!< data.master.ignorefields
  std::vector<GridColumn> columns;        //!< data.detail.columns, in order

  //! Parses a configuration document; "" gives an empty config. Throws
  //! std::invalid_argument naming the key when the document has the wrong shape.
  static BillConfig parse(std::string_view json);
};

//! The configuration document that ships with the program for a plug code; "" when the
//! program has none. Hosts install it as their default (Host::defaultPlugInfo).
std::string defaultBillConfig(std::string_view code);
//! Adds (or replaces) the shipped document of a plug code; a bill unit calls it from
//! its registration so that its document ships with it.
void registerDefaultBillConfig(std::string code, std::string document);

}  // namespace host
