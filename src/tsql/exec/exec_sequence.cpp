// CREATE, ALTER and DROP SEQUENCE. Options left out take SQL Server's defaults from
// the sequence's type (bigint unless written): the bounds are the type's range, a
// rising sequence starts at its minimum and a falling one at its maximum, by 1, no
// CYCLE. ALTER keeps what it does not name. The database keeps the numbering.
#include <limits>

#include "tsql/exec/interpreter.h"
#include "tsql/parser/parser.h"

namespace tsql::exec {

namespace {

// The range of a sequence type, by its name; false for a type a sequence cannot have.
bool typeRange(const ast::DataType& t, std::string& name, std::int64_t& min, std::int64_t& max) {
  using K = ast::TypeKind;
  switch (t.kind) {
    case K::Unknown:
      name = "bigint";
      break;
    case K::Int:  // smallint and tinyint are ints of 2 and 1 bytes
      name = ast::typeToSql(t);
      min = t.length == 1 ? 0 : t.length == 2 ? -32768 : std::numeric_limits<std::int32_t>::min();
      max = t.length == 1 ? 255 : t.length == 2 ? 32767 : std::numeric_limits<std::int32_t>::max();
      return true;
    case K::BigInt:
      name = "bigint";
      break;
    case K::Decimal:
      if (t.scale != 0) return false;
      name = "decimal";
      break;
    default:
      return false;
  }
  min = std::numeric_limits<std::int64_t>::min();
  max = std::numeric_limits<std::int64_t>::max();
  return true;
}

// The options written on `s` over `base` (the sequence as it was, or the type's defaults).
Backend::Sequence resolve(const ast::SequenceStmt& s, Backend::Sequence base, std::int64_t typeMin,
                          std::int64_t typeMax, bool create) {
  if (s.increment) base.step = *s.increment;
  if (s.minValue) base.min = *s.minValue;
  if (s.noMinValue) base.min = typeMin;
  if (s.maxValue) base.max = *s.maxValue;
  if (s.noMaxValue) base.max = typeMax;
  if (s.cycle) base.cycle = *s.cycle;
  if (s.start)
    base.start = *s.start;
  else if (create)
    base.start = base.step > 0 ? base.min : base.max;
  return base;
}

void checkSequence(const Backend::Sequence& q, const std::string& written, int line) {
  if (q.step == 0) throw SqlException(errors::Error::SequenceIncrementZero, line, {written});
  if (q.min >= q.max) throw SqlException(errors::Error::SequenceBounds, line, {written});
  if (q.start < q.min || q.start > q.max)
    throw SqlException(errors::Error::SequenceStartRange, line, {written});
}

}  // namespace

void Interpreter::execSequence(const ast::SequenceStmt& s) {
  std::string name = catalog::normalizeObjectName(s.name);
  std::optional<Backend::Sequence> old = backend_->sequence(name);
  if (s.alter && !old) throw SqlException(errors::Error::InvalidObject, line(s), {s.name});
  if (!s.alter && (old || objectExists("table", name) || objectExists("view", name)))
    throw SqlException(errors::Error::ObjectExists, line(s), {s.name});
  Backend::Sequence base{name, "bigint", 0, 1, 0, 0, false};
  std::int64_t typeMin = 0, typeMax = 0;
  ast::DataType type = s.type;
  if (old) type = ast::typeFromName(old->type);
  if (!typeRange(type, base.type, typeMin, typeMax))
    throw SqlException(errors::Error::UserMessage, line(s),
                       {"The sequence object '" + s.name + "' must be of an integer type."});
  base.min = typeMin, base.max = typeMax;
  Backend::Sequence q = resolve(s, old ? *old : base, typeMin, typeMax, !s.alter);
  checkSequence(q, s.name, line(s));
  try {
    backend_->defineSequence(q, s.alter, s.restart);
  } catch (const SqlException& e) {
    SqlError located = e.error();
    located.line = line(s);
    throw SqlException(located);
  }
}

void Interpreter::dropSequence(const ast::DropStmt& s) {
  std::string name = catalog::normalizeObjectName(s.name);
  if (!backend_->sequence(name)) {
    if (s.ifExists) return;
    throw SqlException(errors::Error::CannotDrop, line(s), {"sequence", s.name});
  }
  backend_->dropSequence(name);
}

}  // namespace tsql::exec
