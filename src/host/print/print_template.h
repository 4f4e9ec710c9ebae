// PrintTemplate: the design of a printed bill as a small description — a title, header
// fields with captions, one or more line tables (dataset, caption, columns with their
// formats and totals), charts of the lines, totals printed under the lines and the
// signature line. A plug
// code gets its template from <code>.json in the host's print template folder, else
// from registerPrintTemplate (each bill unit registers its own), else the fallback,
// which prints only the known bill columns. Ids, keys and secrets are never printed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/forms/chart_spec.h"

namespace host {

//! How a printed value reads.
enum class PrintFormat {
  Text,      //!< as stored; a date without time prints as a date
  Money,     //!< "1,234.50": grouped, two decimals
  Price,     //!< "12.5" -> "12.50", "2.4167" kept: two to four decimals
  Quantity,  //!< "3", "2.5": up to four decimals, no trailing zeros
  Percent,   //!< 50 -> "50.00%" (the value is already in percent)
  Date,      //!< "2026-12-06"
  DateTime,  //!< "2026-12-06 14:30"
};

//! One printed field or column: caption, field name, whether it is totalled, format.
//! `field` may subtract fields of one row: "hjje-jmje-hjsk" (an outstanding amount).
struct PrintColumn {
  std::string caption;
  std::string field;
  bool total = false;
  PrintFormat format = PrintFormat::Text;
};

//! A line table: the rows of one named dataset under an optional caption.
struct PrintSection {
  std::string dataset;
  std::string caption;  //!< "" = no heading
  std::vector<PrintColumn> columns;
};

struct PrintTemplate {
  std::string title;  //!< "" = the value "表单名称"
  std::string headerDataset = "表头数据";
  std::vector<PrintColumn> header;      //!< empty = the known header columns present
  std::vector<PrintSection> sections;   //!< empty = the known line columns of "明细数据"
  std::vector<PrintColumn> totals;      //!< header values printed under the lines
  std::vector<std::string> signatures;  //!< "经办人：", "客户签字：" ...
  std::vector<ChartSpec> charts;        //!< drawn under the lines from the first table's rows

  //! The template of a plug code: <folder>/<code>.json when it exists, else the one
  //! registered for the code, else the fallback. Throws std::runtime_error naming the
  //! file when it is malformed.
  static PrintTemplate load(std::string_view folder, std::string_view code);
  //! Reads a template document (see print_template_json.cpp); `source` names it in errors.
  static PrintTemplate parse(std::string_view json, const std::string& source);
  //! Known header columns in print order (billno 单据编号, billdate 单据日期, ...).
  static const std::vector<PrintColumn>& knownHeader();
  //! Known line columns in print order (xm_code 编码, xm_name 名称, ..., je 金额).
  static const std::vector<PrintColumn>& knownLines();
};

//! Makes `t` the template of plug code `code` (a later registration replaces it).
void registerPrintTemplate(std::string code, PrintTemplate t);

//! A field that holds a secret (a card password's hash): never in a print dataset.
bool isSecretField(std::string_view name);
//! A key or internal column (id, uid, orgid, version, *_id, *_uid): never printed.
bool isKeyField(std::string_view name);

}  // namespace host
