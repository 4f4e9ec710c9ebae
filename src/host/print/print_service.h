// Printing: OpenSetPrintReportForm renders the named datasets and values of a bill into
// a printable HTML document (a default template per plug code, or <code>.json in the
// host's print template folder), writes it to the host's print folder, tells the Ui
// and then runs the done callback.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/plug/plug_item.h"

namespace dataset {
class ClientDataSet;
}

namespace host {

//! Named datasets handed to the report ("表头数据", "明细数据", ...).
class TDataSetCollection {
 public:
  //! Adds a dataset under a name; the collection does not own it.
  void add(std::string name, dataset::ClientDataSet& ds) {
    items_.emplace_back(std::move(name), &ds);
  }
  //! Datasets in the order added.
  const std::vector<std::pair<std::string, dataset::ClientDataSet*>>& items() const {
    return items_;
  }

 private:
  std::vector<std::pair<std::string, dataset::ClientDataSet*>> items_;
};

//! Report values by name: {"表单编号", "1100"}, {"表单名称", "项目订单"}.
using PrintValues = std::vector<std::pair<std::string, std::string>>;

//! Prints: renders, writes the document, notifies the Ui, then runs `done` (when set).
//! Returns the file written. Throws HostError when the document cannot be written.
std::string OpenSetPrintReportForm(Owner owner, std::string_view code,
                                   const TDataSetCollection& datasets, const PrintValues& values,
                                   const std::function<void()>& done = {});

}  // namespace host
