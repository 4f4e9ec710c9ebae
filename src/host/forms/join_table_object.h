// TjoinTableObject: the list behind a lookup column of a configured grid. It keeps the
// list's query (markers already replaced), the column object it serves and a copy of
// the column's list fields (both as JSON text), and the rows of the query in its own
// dataset, which the column's drop-down shows through the data source. The form that
// made it owns it.
#pragma once

#include <string>

#include "dataset/client_data_set.h"
#include "dataset/data_source.h"

namespace host {

class TjoinTableObject {
 public:
  TjoinTableObject();

  std::string sql;                     //!< the list's query, ready to run
  std::string column;                  //!< the grid column object it serves (JSON text)
  std::string fields;                  //!< the column's list fields (JSON array text)
  dataset::ClientDataSet cds{"join"};  //!< the list's rows
  dataset::DataSource ds;              //!< the drop-down's list source

  //! (Re)opens the rows from `sql`. Throws HostError with the server's message.
  void open();
};

}  // namespace host
