// The server's numbering: an identity column is PostgreSQL's identity, its seed and
// step set on the column's own sequence; a sequence is a PostgreSQL sequence made with
// every option written out (their defaults differ from SQL Server's). Both already keep
// numbers used when a transaction rolls back. The runtime functions here report them
// (IDENT_CURRENT, IDENT_SEED, IDENT_INCR), move them past explicit values and issue
// NEXT VALUE FOR with SQL Server's error when a sequence is exhausted.
#include "db/pg_backend.h"
#include "db/pg_runtime.h"
#include "tsql/exec/sql_exception.h"
#include "tsql/translate/sql_translator.h"

namespace db {

using tsql::exec::SqlValue;

namespace pg {

std::string numberingRuntimeSql() {
  return R"SQL(
-- the sequence behind a table's identity column ('dbo.t', 't' or '"t"'), NULL for none
CREATE OR REPLACE FUNCTION tsql_identity_sequence(t text) RETURNS regclass LANGUAGE sql STABLE AS $$
  SELECT pg_get_serial_sequence(quote_ident(n), a.attname)::regclass
  FROM (SELECT regexp_replace(lower(replace(replace(replace(t, '"', ''), '[', ''), ']', '')), '^dbo\.', '') AS n) x
  JOIN pg_attribute a ON a.attrelid = to_regclass(quote_ident(x.n)) AND a.attidentity <> '' LIMIT 1
$$;
CREATE OR REPLACE FUNCTION ident_seed(t text) RETURNS bigint LANGUAGE sql STABLE AS $$
  SELECT seqstart FROM pg_sequence WHERE seqrelid = tsql_identity_sequence(t) $$;
CREATE OR REPLACE FUNCTION ident_incr(t text) RETURNS bigint LANGUAGE sql STABLE AS $$
  SELECT seqincrement FROM pg_sequence WHERE seqrelid = tsql_identity_sequence(t) $$;
CREATE OR REPLACE FUNCTION ident_current(t text) RETURNS bigint LANGUAGE sql STABLE AS $$
  SELECT coalesce(pg_sequence_last_value(seqrelid), seqstart) FROM pg_sequence
  WHERE seqrelid = tsql_identity_sequence(t) $$;
-- explicit values past the counter (below it, counting down) move it on; on a table
-- that issued nothing yet only values past the seed do
CREATE OR REPLACE FUNCTION tsql_identity_follow(t text, c text) RETURNS void LANGUAGE plpgsql AS $$
DECLARE s regclass := tsql_identity_sequence(t); q record; edge bigint; mark bigint;
BEGIN
  SELECT seqstart, seqincrement INTO q FROM pg_sequence WHERE seqrelid = s;
  EXECUTE format('SELECT %s(%I) FROM %I', CASE WHEN q.seqincrement > 0 THEN 'max' ELSE 'min' END, lower(c), lower(t))
    INTO edge;
  mark := coalesce(pg_sequence_last_value(s), q.seqstart - q.seqincrement);
  IF edge IS NOT NULL AND ((q.seqincrement > 0 AND edge > mark) OR (q.seqincrement < 0 AND edge < mark)) THEN
    PERFORM setval(s, edge);
  END IF;
END $$;
-- DBCC CHECKIDENT RESEED: next v + step, or v itself where nothing was issued yet
CREATE OR REPLACE FUNCTION tsql_identity_reseed(t text, v bigint) RETURNS void LANGUAGE plpgsql AS $$
DECLARE s regclass := tsql_identity_sequence(t);
BEGIN
  PERFORM setval(s, v, pg_sequence_last_value(s) IS NOT NULL);
END $$;
CREATE OR REPLACE FUNCTION tsql_next_value(name text) RETURNS bigint LANGUAGE plpgsql AS $$
BEGIN
  RETURN nextval(quote_ident(name));
EXCEPTION WHEN sequence_generator_limit_exceeded THEN
  RAISE EXCEPTION 'The sequence object ''%'' has reached its minimum or maximum value. Restart the sequence object to allow new values to be generated.', name;
END $$;
)SQL";
}

}  // namespace pg

namespace {

void runAll(PgBackend& b, const std::string& sql, const std::vector<std::string>& texts) {
  auto cursor = b.prepare(sql);
  for (std::size_t i = 0; i < texts.size(); ++i)
    cursor->bind(static_cast<int>(i + 1), SqlValue::text(texts[i]));
  while (cursor->step()) {
  }
}

// A sequence's type on the server: tinyint has none of its own.
const char* serverType(const std::string& type) {
  if (type == "tinyint" || type == "smallint") return "smallint";
  if (type == "int") return "integer";
  return "bigint";
}

}  // namespace

std::string PgBackend::identityColumn(const std::string& object) {
  auto it = identityColumns_.find(object);
  if (it != identityColumns_.end()) return it->second;
  auto cursor = prepare(
      "SELECT attname FROM pg_attribute WHERE attrelid = to_regclass(quote_ident(lower(?1))) AND "
      "attidentity <> ''");
  cursor->bind(1, SqlValue::text(object));
  std::string column = cursor->step() ? cursor->column(0).toText() : "";
  return identityColumns_[object] = column;
}

void PgBackend::numberIdentity(const std::string& object, const std::string& column,
                               std::int64_t seed, std::int64_t step) {
  execute("ALTER TABLE " + tsql::translate::quoteIdent(object) + " ALTER COLUMN " +
          tsql::translate::quoteIdent(column) + " SET INCREMENT BY " + std::to_string(step) +
          " SET MINVALUE -9223372036854775808 SET MAXVALUE 9223372036854775807 SET START WITH " +
          std::to_string(seed) + " RESTART");
}

void PgBackend::followIdentity(const std::string& object, const std::string& column) {
  runAll(*this, "SELECT tsql_identity_follow(?1, ?2)", {object, column});
}

void PgBackend::reseedIdentity(const std::string& object, const std::string& column,
                               std::optional<std::int64_t> value) {
  if (!value) return followIdentity(object, column);
  auto cursor = prepare("SELECT tsql_identity_reseed(?1, ?2)");
  cursor->bind(1, SqlValue::text(object));
  cursor->bind(2, SqlValue::integer(*value));
  cursor->step();
}

void PgBackend::restartIdentity(const std::string& object, const std::string& column) {
  execute("ALTER TABLE " + tsql::translate::quoteIdent(object) + " ALTER COLUMN " +
          tsql::translate::quoteIdent(column) + " RESTART");
}

void PgBackend::defineSequence(const Sequence& s, bool alter, bool restart) {
  std::string sql =
      (alter ? "ALTER SEQUENCE " : "CREATE SEQUENCE ") + tsql::translate::quoteIdent(s.name);
  if (!alter) sql += std::string(" AS ") + serverType(s.type);
  sql += " INCREMENT BY " + std::to_string(s.step) + " MINVALUE " + std::to_string(s.min) +
         " MAXVALUE " + std::to_string(s.max) + " START WITH " + std::to_string(s.start) +
         (s.cycle ? " CYCLE" : " NO CYCLE");
  if (restart) sql += " RESTART";
  execute(sql);
  if (!alter)
    recordTypes("seq:" + s.name, {{"type", tsql::ast::typeFromName(s.type), false, false}});
}

std::optional<PgBackend::Sequence> PgBackend::sequence(const std::string& name) {
  auto cursor = prepare(
      "SELECT seqstart, seqincrement, seqmin, seqmax, seqcycle::int FROM pg_sequence "
      "WHERE seqrelid = to_regclass(quote_ident(lower(?1))) AND NOT EXISTS (SELECT 1 FROM "
      "pg_depend d "
      "WHERE d.objid = pg_sequence.seqrelid AND d.deptype IN ('a', 'i'))");
  cursor->bind(1, SqlValue::text(name));
  if (!cursor->step()) return std::nullopt;
  const auto* recorded = columns("seq:" + name);
  std::string type =
      recorded && !recorded->empty() ? tsql::ast::typeToSql((*recorded)[0].type) : "bigint";
  return Sequence{name,
                  type,
                  cursor->column(0).toInteger(),
                  cursor->column(1).toInteger(),
                  cursor->column(2).toInteger(),
                  cursor->column(3).toInteger(),
                  cursor->column(4).toInteger() != 0};
}

void PgBackend::dropSequence(const std::string& name) {
  execute("DROP SEQUENCE " + tsql::translate::quoteIdent(name));
  forgetTypes("seq:" + name);
}

}  // namespace db
