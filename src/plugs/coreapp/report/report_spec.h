// ReportSpec: one of the owner's reports described as data — what the report page and
// `coreapp report` both read: its name and plug code, caption, the stored procedure and
// its typed parameters, the columns with captions, formats and footers, and the column
// that names a row's bill (with the column holding that bill's plug code).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/value.h"
#include "host/forms/control.h"
#include "host/print/print_template.h"
#include "tsql/batch_result.h"

namespace plugs::coreapp {

class TReportPage;

//! What a report parameter holds and how the page asks for it.
enum class ReportParamKind {
  Store,     //!< a store of the branch, 0 = every store (`@ck_id`)
  DateFrom,  //!< first day (the first of this month on the page)
  DateTo,    //!< last day (today on the page)
  Day,       //!< a single as-of day (today on the page)
  Pick,      //!< an id picked from a list (`pickSql`: id, name), 0 = every one
};

struct ReportParam {
  std::string name;     //!< the procedure's parameter without '@' ("rq1")
  std::string caption;  //!< the page's box caption ("日期：")
  ReportParamKind kind = ReportParamKind::DateFrom;
  std::string pickSql = {};  //!< Pick: "select id, name from ... where orgid = :orgid"
};

//! How a column's values read.
enum class ReportColumnKind { Text, Integer, Quantity, Money, Date, DateTime };

struct ReportColumn {
  std::string field;
  std::string caption;
  ReportColumnKind kind = ReportColumnKind::Text;
  int width = 100;
  bool total = false;  //!< a footer sum (and a printed total)
};

//! A page action on the focused row other than opening its bill (a double click runs
//! it too): the aging opens the row's customer statement.
struct ReportRowAction {
  std::string name;     //!< "actMx"
  std::string caption;  //!< "对账明细"
  std::function<void(TReportPage&)> run = {};
};

struct ReportSpec {
  std::string name;                 //!< the command's name: "day"
  std::string code;                 //!< the page's plug code: "1130"
  std::string guid;                 //!< the page's plug GUID
  std::string caption;              //!< "营业日报"
  std::string procedure;            //!< "sp_rpt_day"
  std::vector<ReportParam> params;  //!< besides `@orgid`, which every report takes
  std::vector<ReportColumn> columns;
  std::string drillField = {};               //!< the column holding a bill number, "" = none
  std::string kindField = {};                //!< the column holding that bill's plug code
  std::vector<host::ChartSpec> charts = {};  //!< beside the grid and under the printed lines
  std::string dataSet = "cdsReport";         //!< the name of the page's rows
  ReportRowAction rowAction = {};            //!< none when its name is ""

  //! "exec <procedure> @orgid = :orgid, @<param> = :<param>, ...".
  std::string batch() const;
  //! The bound values of batch(): `orgid`, then each parameter's value from `values`
  //! (a missing store or pick is 0, a missing date NULL: the procedure's default).
  tsql::Params bind(const std::string& orgid,
                    const std::map<std::string, core::Value>& values) const;
  //! The grid columns of the page.
  std::vector<host::GridColumn> gridColumns() const;
  //! The printed list: the parameters as header fields (a store or pick by its name,
  //! field `<param>_mc`), the rows with their totals.
  host::PrintTemplate printTemplate() const;
};

}  // namespace plugs::coreapp
