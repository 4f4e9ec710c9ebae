// EXEC ... WITH RESULT SETS: the result sets the call sends are checked against the
// clause once it has run. NONE allows none; a described set renames its columns and
// converts each value to the column's type as CAST would. The sets after the first one
// that does not fit are not sent.
#include "tsql/exec/interpreter.h"

namespace tsql::exec {

void Interpreter::describeResultSet(ResultSet& set,
                                    const std::vector<ast::ResultSetsStmt::Column>& columns) {
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const ast::DataType& type = columns[c].type;
    set.columns[c] = Column{columns[c].name, coreTypeOf(type),
                            type.isText() && type.length > 0 ? type.length : 0};
    for (auto& row : set.rows) {
      const core::Value& v = row[c];
      row[c] = toCoreValue(convertValue(SqlValue::fromCore(v), type, typeOfCore(v)), type);
    }
  }
}

void Interpreter::execResultSets(const ast::ResultSetsStmt& s) {
  using Mode = ast::ResultSetsStmt::Mode;
  std::size_t before = result_->resultSets.size();
  dispatch(*s.exec);
  if (s.mode == Mode::Undefined) return;
  auto& sets = result_->resultSets;
  std::size_t sent = sets.size() - before;
  std::size_t described = s.sets.size();
  for (std::size_t i = 0; i < std::min(sent, described); ++i) {
    ResultSet& set = sets[before + i];
    if (set.columns.size() != s.sets[i].size()) {
      sets.resize(before + i);
      throw SqlException(errors::Error::ResultSetColumns, line(s),
                         {std::to_string(s.sets[i].size()), std::to_string(i + 1),
                          std::to_string(set.columns.size())});
    }
    describeResultSet(set, s.sets[i]);
  }
  if (sent > described) {
    sets.resize(before + described);
    throw SqlException(errors::Error::ResultSetsTooMany, line(s), {std::to_string(described)});
  }
  if (sent < described)
    throw SqlException(errors::Error::ResultSetsTooFew, line(s),
                       {std::to_string(described), std::to_string(sent)});
}

}  // namespace tsql::exec
