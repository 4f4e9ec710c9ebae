// The server runtime's SQL. Where PostgreSQL already means what T-SQL means the
// translator's SQL runs as it is; these are the differences:
//  - money is numeric(19,4) rounded half to even (PostgreSQL's round() goes half away
//    from zero); a float is taken at 15 significant digits first, so 0.00005 as a
//    double is the tie it was written as, as in the embedded engine;
//  - case-blind text: the ICU collation tsql_ci (nondeterministic, strength 2). It
//    does not ignore trailing spaces as SQL Server and the embedded engine do;
//  - T-SQL functions PostgreSQL lacks or names otherwise (getdate, len, ...).
// A one-expression SQL function over to_char or a date's text is STABLE as to_char is:
// declared IMMUTABLE, PostgreSQL would not fold it into the query and would run it as a
// query of its own per row (25 us a row for a money text, not 2).
// Installed under an advisory lock, so two programs starting at once install once.
#include "db/pg_runtime.h"

namespace db::pg {

namespace {

constexpr int kRuntimeVersion = 36;

constexpr const char* kRuntimeSql = R"SQL(
DO $$ BEGIN
  IF NOT EXISTS (SELECT 1 FROM pg_collation WHERE collname = 'tsql_ci') THEN
    CREATE COLLATION tsql_ci (provider = icu, locale = 'und-u-ks-level2', deterministic = false);
  END IF;
END $$;

CREATE OR REPLACE FUNCTION tsql_error(msg text) RETURNS integer LANGUAGE plpgsql AS
$$ BEGIN RAISE EXCEPTION USING MESSAGE = msg; END $$;

-- a recursive common table expression's row level: past the limit (0: none), 530
CREATE OR REPLACE FUNCTION tsql_recursion(level bigint, lim bigint) RETURNS bigint LANGUAGE plpgsql AS
$$ BEGIN
  IF lim > 0 AND level > lim THEN
    RAISE EXCEPTION 'The statement terminated. The maximum recursion % has been exhausted before statement completion.', lim;
  END IF;
  RETURN level;
END $$;

-- half to even at four decimals, in money's range
-- Text stored into a varchar(n) / char(n) column: blanks past n are dropped, anything
-- else past n is SQL Server's 8152 and the statement writes nothing.
CREATE OR REPLACE FUNCTION tsql_fit(x text, n integer) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
  IF x IS NULL OR n <= 0 OR char_length(x) <= n THEN RETURN x; END IF;
  IF rtrim(substr(x, n + 1), ' ') COLLATE "C" <> '' THEN
    RAISE EXCEPTION 'String or binary data would be truncated.';
  END IF;
  RETURN substr(x, 1, n);
END $$;
CREATE OR REPLACE FUNCTION tsql_money(x numeric) RETURNS numeric(19,4) LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE y numeric := x * 10000; t numeric; f numeric; r numeric;
BEGIN
  IF x IS NULL THEN RETURN NULL; END IF;
  t := trunc(y); f := y - t;
  IF abs(f) = 0.5 THEN r := CASE WHEN mod(t, 2) = 0 THEN t ELSE t + sign(f) END;
  ELSE r := round(y); END IF;
  IF r > 9223372036854775807 OR r < -9223372036854775808 THEN
    RAISE EXCEPTION 'Arithmetic overflow error converting expression to data type money.';
  END IF;
  RETURN r / 10000;
END $$;
CREATE OR REPLACE FUNCTION tsql_money(x double precision) RETURNS numeric(19,4) LANGUAGE sql IMMUTABLE AS
$$ SELECT tsql_money(x::numeric) $$;
CREATE OR REPLACE FUNCTION tsql_money(x bigint) RETURNS numeric(19,4) LANGUAGE sql IMMUTABLE AS
$$ SELECT tsql_money(x::numeric) $$;

CREATE OR REPLACE FUNCTION tsql_div(a bigint, b bigint) RETURNS bigint LANGUAGE sql IMMUTABLE AS $$ SELECT a / b $$;
CREATE OR REPLACE FUNCTION tsql_div(a numeric, b numeric) RETURNS numeric LANGUAGE sql IMMUTABLE AS $$ SELECT a / b $$;
CREATE OR REPLACE FUNCTION tsql_div(a double precision, b double precision) RETURNS double precision
  LANGUAGE plpgsql IMMUTABLE AS $$ BEGIN
  IF b = 0 THEN RAISE EXCEPTION USING ERRCODE = '22012', MESSAGE = 'Divide by zero error encountered.'; END IF;
  RETURN a / b; END $$;
CREATE OR REPLACE FUNCTION tsql_mod(a bigint, b bigint) RETURNS bigint LANGUAGE sql IMMUTABLE AS $$ SELECT a % b $$;
CREATE OR REPLACE FUNCTION tsql_mod(a numeric, b numeric) RETURNS numeric LANGUAGE sql IMMUTABLE AS $$ SELECT a % b $$;
CREATE OR REPLACE FUNCTION tsql_add(a bigint, b bigint) RETURNS bigint LANGUAGE sql IMMUTABLE AS $$ SELECT a + b $$;
CREATE OR REPLACE FUNCTION tsql_add(a numeric, b numeric) RETURNS numeric LANGUAGE sql IMMUTABLE AS $$ SELECT a + b $$;
CREATE OR REPLACE FUNCTION tsql_add(a text, b text) RETURNS text LANGUAGE sql IMMUTABLE AS $$ SELECT a || b $$;
CREATE OR REPLACE FUNCTION tsql_sub(a bigint, b bigint) RETURNS bigint LANGUAGE sql IMMUTABLE AS $$ SELECT a - b $$;
CREATE OR REPLACE FUNCTION tsql_sub(a numeric, b numeric) RETURNS numeric LANGUAGE sql IMMUTABLE AS $$ SELECT a - b $$;
CREATE OR REPLACE FUNCTION tsql_mul(a bigint, b bigint) RETURNS bigint LANGUAGE sql IMMUTABLE AS $$ SELECT a * b $$;
CREATE OR REPLACE FUNCTION tsql_mul(a numeric, b numeric) RETURNS numeric LANGUAGE sql IMMUTABLE AS $$ SELECT a * b $$;
CREATE OR REPLACE FUNCTION tsql_neg(a numeric) RETURNS numeric LANGUAGE sql IMMUTABLE AS $$ SELECT -a $$;

CREATE OR REPLACE FUNCTION tsql_int(x numeric) RETURNS integer LANGUAGE sql IMMUTABLE AS $$ SELECT trunc(x)::integer $$;
CREATE OR REPLACE FUNCTION tsql_int(x text) RETURNS integer LANGUAGE sql IMMUTABLE AS $$ SELECT trim(x)::integer $$;
CREATE OR REPLACE FUNCTION tsql_bigint(x numeric) RETURNS bigint LANGUAGE sql IMMUTABLE AS $$ SELECT trunc(x)::bigint $$;
CREATE OR REPLACE FUNCTION tsql_bigint(x text) RETURNS bigint LANGUAGE sql IMMUTABLE AS $$ SELECT trim(x)::bigint $$;
CREATE OR REPLACE FUNCTION tsql_smallint(x numeric) RETURNS integer LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
  IF x < -32768 OR x > 32767 THEN
    RAISE EXCEPTION 'Arithmetic overflow error converting expression to data type smallint.';
  END IF;
  RETURN x;
END $$;
CREATE OR REPLACE FUNCTION tsql_tinyint(x numeric) RETURNS integer LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
  IF x < 0 OR x > 255 THEN
    RAISE EXCEPTION 'Arithmetic overflow error converting expression to data type tinyint.';
  END IF;
  RETURN x;
END $$;
CREATE OR REPLACE FUNCTION tsql_int(x double precision) RETURNS integer LANGUAGE sql IMMUTABLE AS $$ SELECT trunc(x)::integer $$;
CREATE OR REPLACE FUNCTION tsql_bigint(x double precision) RETURNS bigint LANGUAGE sql IMMUTABLE AS $$ SELECT trunc(x)::bigint $$;
CREATE OR REPLACE FUNCTION tsql_float(x numeric) RETURNS double precision LANGUAGE sql IMMUTABLE AS $$ SELECT x::double precision $$;
CREATE OR REPLACE FUNCTION tsql_float(x text) RETURNS double precision LANGUAGE sql IMMUTABLE AS $$ SELECT trim(x)::double precision $$;
CREATE OR REPLACE FUNCTION tsql_float(x double precision) RETURNS double precision LANGUAGE sql IMMUTABLE AS $$ SELECT x $$;
CREATE OR REPLACE FUNCTION tsql_bit(x numeric) RETURNS smallint LANGUAGE sql IMMUTABLE AS
$$ SELECT CASE WHEN x IS NULL THEN NULL WHEN x <> 0 THEN 1 ELSE 0 END::smallint $$;
-- text as a bit: true or false in any case, else a whole number (0 or not)
CREATE OR REPLACE FUNCTION tsql_bit(x text) RETURNS smallint LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE t text COLLATE "C" := lower(btrim(x));
BEGIN
  IF t IS NULL OR t IN ('true', 'false') THEN RETURN (t = 'true')::integer; END IF;
  IF t !~ '^[+-]?[0-9]+$' THEN
    RAISE EXCEPTION 'Conversion failed when converting the varchar value ''%'' to data type bit.', x;
  END IF;
  RETURN (t::numeric <> 0)::integer;
END $$;
CREATE OR REPLACE FUNCTION tsql_decimal(x numeric, scale integer) RETURNS numeric LANGUAGE sql IMMUTABLE AS
$$ SELECT round(x, scale) $$;
CREATE OR REPLACE FUNCTION tsql_varchar(x anyelement) RETURNS text LANGUAGE sql IMMUTABLE AS $$ SELECT x::text $$;
CREATE OR REPLACE FUNCTION tsql_varchar(x anyelement, n integer) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT left(x::text, n) $$;
-- text twins: a text parameter (a datetimeoffset variable) comes untyped, which the
-- polymorphic ones cannot take
CREATE OR REPLACE FUNCTION tsql_varchar(x text) RETURNS text LANGUAGE sql IMMUTABLE AS $$ SELECT x $$;
CREATE OR REPLACE FUNCTION tsql_varchar(x text, n integer) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT left(x, n) $$;
CREATE OR REPLACE FUNCTION tsql_smalldatetime(x timestamp) RETURNS timestamp(0) LANGUAGE sql IMMUTABLE AS
$$ SELECT date_trunc('minute', x + interval '30 seconds') $$;
CREATE OR REPLACE FUNCTION tsql_smalldatetime(x text) RETURNS timestamp(0) LANGUAGE sql STABLE AS
$$ SELECT tsql_smalldatetime(x::timestamp) $$;
CREATE OR REPLACE FUNCTION tsql_char(x text, n bigint) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT rpad(x, n::integer) $$;
CREATE OR REPLACE FUNCTION tsql_date(x text) RETURNS date LANGUAGE sql STABLE AS $$ SELECT x::date $$;
CREATE OR REPLACE FUNCTION tsql_date(x timestamp) RETURNS date LANGUAGE sql IMMUTABLE AS $$ SELECT x::date $$;

-- money as text: two decimals (style 1 with thousands separators), four with style 2
CREATE OR REPLACE FUNCTION tsql_money_text(x numeric, style bigint DEFAULT 0) RETURNS text
  LANGUAGE sql STABLE AS $$
  SELECT CASE style WHEN 1 THEN to_char(round(x, 2), 'FM999,999,999,999,990.00')
                    WHEN 2 THEN to_char(x, 'FM999999999999990.0000')
                    ELSE to_char(round(x, 2), 'FM999999999999990.00') END $$;

CREATE OR REPLACE FUNCTION len(x text) RETURNS integer LANGUAGE sql IMMUTABLE AS $$ SELECT length(rtrim(x)) $$;
CREATE OR REPLACE FUNCTION "left"(s text, n bigint) RETURNS text LANGUAGE sql IMMUTABLE AS $$ SELECT left(s, n::integer) $$;
CREATE OR REPLACE FUNCTION "right"(s text, n bigint) RETURNS text LANGUAGE sql IMMUTABLE AS $$ SELECT right(s, n::integer) $$;
CREATE OR REPLACE FUNCTION "substring"(s text, i bigint, n bigint) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT substr(s, greatest(i, 1)::integer, greatest(n + least(i - 1, 0), 0)::integer) $$;
CREATE OR REPLACE FUNCTION round(x numeric, n bigint) RETURNS numeric LANGUAGE sql IMMUTABLE AS
$$ SELECT round(x, n::integer) $$;
CREATE OR REPLACE FUNCTION round(x numeric, n bigint, cut bigint) RETURNS numeric LANGUAGE sql IMMUTABLE AS
$$ SELECT CASE WHEN cut <> 0 THEN trunc(x, n::integer) ELSE round(x, n::integer) END $$;
CREATE OR REPLACE FUNCTION round(x double precision, n bigint) RETURNS double precision LANGUAGE sql IMMUTABLE AS
$$ SELECT round(x::numeric, n::integer)::double precision $$;
CREATE OR REPLACE FUNCTION round(x double precision, n bigint, cut bigint) RETURNS double precision
  LANGUAGE sql IMMUTABLE AS $$ SELECT round(x::numeric, n, cut)::double precision $$;

-- A count of more parts than the datetime range holds (9,999 years) overflows whatever
-- the date: refused before the interval is made, so the interval arithmetic never
-- overflows and no exception block (a subtransaction per call) is needed.
CREATE OR REPLACE FUNCTION dateadd(part text, n bigint, d timestamp) RETURNS timestamp(3) LANGUAGE plpgsql IMMUTABLE AS
$$ DECLARE r timestamp; p text := tsql_date_part(part);
BEGIN
  IF p IN ('microsecond', 'nanosecond') THEN
    RAISE EXCEPTION 'The datepart % is not supported by date function dateadd for data type datetime.', p;
  END IF;
  IF d IS NULL OR n IS NULL THEN RETURN NULL; END IF;
  IF abs(n) <= (CASE p WHEN 'year' THEN 10000 WHEN 'quarter' THEN 40000 WHEN 'month' THEN 120000
                       WHEN 'week' THEN 530000 WHEN 'hour' THEN 88000000 WHEN 'minute' THEN 5300000000
                       WHEN 'second' THEN 316000000000 WHEN 'millisecond' THEN 316000000000000
                       ELSE 3700000 END) THEN
    r := d + CASE p WHEN 'quarter' THEN n * interval '3 months' WHEN 'dayofyear' THEN n * interval '1 day'
                    WHEN 'weekday' THEN n * interval '1 day' ELSE (n || ' ' || p)::interval END;
  END IF;
  -- the result is a datetime: years 1753 to 9999
  IF r IS NULL OR r < '1753-01-01' OR r >= '10000-01-01' THEN
    RAISE EXCEPTION 'Adding a value to a ''datetime'' column caused an overflow.';
  END IF;
  RETURN tsql_tick(r);
END $$;
-- a datetime2 is text on the server: read as a timestamp, as an untyped literal would be
CREATE OR REPLACE FUNCTION dateadd(part text, n bigint, d text) RETURNS timestamp(3) LANGUAGE sql STABLE AS
$$ SELECT dateadd(part, n, d::timestamp) $$;

-- the position of f in s from i on, case-blind as the default collation; 0 when absent
CREATE OR REPLACE FUNCTION charindex(f text, s text, i bigint DEFAULT 1) RETURNS bigint LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN f IS NULL OR s IS NULL THEN NULL
    WHEN strpos(lower(substr(s, greatest(i, 1)::integer)), lower(f)) = 0 THEN 0
    ELSE strpos(lower(substr(s, greatest(i, 1)::integer)), lower(f)) + greatest(i, 1) - 1 END $$;
-- text as a GUID in upper case: {braces} taken off, other text cut to 36 unless a constant
CREATE OR REPLACE FUNCTION tsql_guid(x text, constant bigint) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE t text := x;
BEGIN
  IF x IS NULL THEN RETURN NULL; END IF;
  IF length(t) = 38 AND left(t, 1) = '{' AND right(t, 1) = '}' THEN t := substr(t, 2, 36);
  ELSIF constant = 0 AND length(t) > 36 THEN t := left(t, 36);
  END IF;
  IF t !~ '^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$' THEN
    RAISE EXCEPTION 'Conversion failed when converting from a character string to uniqueidentifier.';
  END IF;
  RETURN upper(t);
END $$;
CREATE OR REPLACE FUNCTION newid() RETURNS text LANGUAGE sql VOLATILE AS $$ SELECT upper(gen_random_uuid()::text) $$;

-- exact decimals: result rounded (quotients cut) to the scale s SQL Server gives the
-- result, 8115 past its precision p
CREATE OR REPLACE FUNCTION tsql_dec_fit(x numeric, p bigint, s bigint) RETURNS numeric LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
  IF x IS NOT NULL AND abs(x) >= 10::numeric ^ (p - s) THEN
    RAISE EXCEPTION 'Arithmetic overflow error converting expression to data type numeric.';
  END IF;
  RETURN x;
END $$;
CREATE OR REPLACE FUNCTION tsql_dec_add(a numeric, b numeric, p bigint, s bigint) RETURNS numeric
  LANGUAGE sql IMMUTABLE AS $$ SELECT tsql_dec_fit(round(a + b, s::integer), p, s) $$;
CREATE OR REPLACE FUNCTION tsql_dec_sub(a numeric, b numeric, p bigint, s bigint) RETURNS numeric
  LANGUAGE sql IMMUTABLE AS $$ SELECT tsql_dec_fit(round(a - b, s::integer), p, s) $$;
CREATE OR REPLACE FUNCTION tsql_dec_mul(a numeric, b numeric, p bigint, s bigint) RETURNS numeric
  LANGUAGE sql IMMUTABLE AS $$ SELECT tsql_dec_fit(round(a * b, s::integer), p, s) $$;
CREATE OR REPLACE FUNCTION tsql_dec_div(a numeric, b numeric, p bigint, s bigint) RETURNS numeric
  LANGUAGE sql IMMUTABLE AS $$ SELECT tsql_dec_fit(trunc(a / b, s::integer), p, s) $$;
CREATE OR REPLACE FUNCTION tsql_dec_mod(a numeric, b numeric, p bigint, s bigint) RETURNS numeric
  LANGUAGE sql IMMUTABLE AS $$ SELECT tsql_dec_fit(a % b, p, s) $$;
CREATE OR REPLACE FUNCTION tsql_dec_round(x numeric, n bigint, cut bigint, p bigint, s bigint) RETURNS numeric
  LANGUAGE sql IMMUTABLE AS
$$ SELECT tsql_dec_fit(CASE WHEN cut <> 0 THEN trunc(x, n::integer) ELSE round(x, n::integer) END, p, s) $$;
CREATE OR REPLACE FUNCTION tsql_dec_abs(x numeric) RETURNS numeric LANGUAGE sql IMMUTABLE AS $$ SELECT abs(x) $$;
CREATE OR REPLACE FUNCTION tsql_dec_cmp(a numeric, b numeric) RETURNS integer LANGUAGE sql IMMUTABLE AS
$$ SELECT sign(a - b)::integer $$;
CREATE OR REPLACE FUNCTION tsql_dec_sum_step(total numeric, x numeric, s bigint) RETURNS numeric
  LANGUAGE sql IMMUTABLE AS $$ SELECT CASE WHEN x IS NULL THEN total ELSE coalesce(total, 0) + x END $$;
CREATE OR REPLACE AGGREGATE decimal_sum(numeric, bigint) (sfunc = tsql_dec_sum_step, stype = numeric);
CREATE OR REPLACE FUNCTION tsql_smallmoney(x numeric) RETURNS numeric(10,4) LANGUAGE plpgsql IMMUTABLE AS
$$ BEGIN
  IF abs(tsql_money(x)) > 214748.3647 THEN
    RAISE EXCEPTION 'Arithmetic overflow error converting expression to data type smallmoney.';
  END IF;
  RETURN tsql_money(x);
END $$;

CREATE OR REPLACE AGGREGATE money_sum(numeric) (sfunc = numeric_add, stype = numeric);
-- AVG of money (rounded to money) and of int (cut toward zero, an int), over the non-NULL values
CREATE OR REPLACE FUNCTION tsql_avg_step(state numeric[], x numeric) RETURNS numeric[] LANGUAGE sql IMMUTABLE AS
$$ SELECT CASE WHEN x IS NULL THEN state ELSE ARRAY[coalesce(state[1], 0) + x, coalesce(state[2], 0) + 1] END $$;
CREATE OR REPLACE FUNCTION tsql_money_avg_final(state numeric[]) RETURNS numeric LANGUAGE sql IMMUTABLE AS
$$ SELECT tsql_money(state[1] / state[2]) $$;
CREATE OR REPLACE FUNCTION tsql_int_avg_final(state numeric[]) RETURNS bigint LANGUAGE sql IMMUTABLE AS
$$ SELECT trunc(state[1] / state[2])::bigint $$;
CREATE OR REPLACE AGGREGATE money_avg(numeric) (sfunc = tsql_avg_step, stype = numeric[], finalfunc = tsql_money_avg_final);
CREATE OR REPLACE AGGREGATE tsql_avg_int(numeric) (sfunc = tsql_avg_step, stype = numeric[], finalfunc = tsql_int_avg_final);
CREATE OR REPLACE FUNCTION tsql_runtime_version() RETURNS integer LANGUAGE sql IMMUTABLE AS $$ SELECT %VERSION% $$;
)SQL";

}  // namespace

std::string runScript(PGconn* conn, const std::string& sql) {
  PGresult* r = PQexec(conn, sql.c_str());
  std::string error = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK
                          ? ""
                          : PQresultErrorMessage(r);
  PQclear(r);
  return error;
}

namespace {

bool upToDate(PGconn* conn) {
  std::string query = "SELECT 1 FROM pg_proc WHERE proname = 'tsql_runtime_version' AND prosrc LIKE '%SELECT " +
                      std::to_string(kRuntimeVersion) + " %'";
  PGresult* r = PQexec(conn, query.c_str());
  bool ok = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1;
  PQclear(r);
  return ok;
}

}  // namespace

std::string installRuntime(PGconn* conn) {
  if (upToDate(conn)) return {};
  std::string sql = kRuntimeSql + decimalOverloadsSql() + textRuntimeSql() + dateRuntimeSql() + offsetRuntimeSql() + timeRuntimeSql() +
                    binaryRuntimeSql() + stringRuntimeSql() + formatRuntimeSql() + jsonRuntimeSql() +
                    numberingRuntimeSql() + tolerantConversionsSql() + percentileRuntimeSql();
  sql.replace(sql.find("%VERSION%"), 9, std::to_string(kRuntimeVersion));
  std::string error = runScript(conn, "BEGIN; SELECT pg_advisory_xact_lock(8207221);");
  if (error.empty() && !upToDate(conn)) error = runScript(conn, sql);
  std::string end = runScript(conn, error.empty() ? "COMMIT" : "ROLLBACK");
  return error.empty() ? end : error;
}

}  // namespace db::pg
