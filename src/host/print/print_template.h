// PrintTemplate: what a printed bill shows — a title, header fields of the header
// dataset and columns of the line dataset (with the columns to total). The default
// template picks the bill columns the package uses by their names; a plug code may
// bring its own as <code>.json in the host's print template folder:
//   {"title":"项目订单","header":{"dataset":"表头数据","fields":[["单据编号","billno"]]},
//    "lines":{"dataset":"明细数据","columns":[["数量","sl",true]]}}
// (a third element true = total that column).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host {

//! One printed field or column: caption, field name, whether it is totalled.
struct PrintColumn {
  std::string caption;
  std::string field;
  bool total = false;
};

struct PrintTemplate {
  std::string title;  //!< "" = the value "表单名称"
  std::string headerDataset = "表头数据";
  std::vector<PrintColumn> header;  //!< empty = the known header columns present
  std::string linesDataset = "明细数据";
  std::vector<PrintColumn> lines;  //!< empty = the known line columns present

  //! The template of a plug code: <folder>/<code>.json when it exists, else the
  //! default. Throws std::runtime_error naming the file when it is malformed.
  static PrintTemplate load(std::string_view folder, std::string_view code);
  //! Known header columns in print order (billno 单据编号, billdate 单据日期, ...).
  static const std::vector<PrintColumn>& knownHeader();
  //! Known line columns in print order (xm_code 编码, xm_name 名称, ..., je 金额).
  static const std::vector<PrintColumn>& knownLines();
};

}  // namespace host
