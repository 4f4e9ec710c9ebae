// The exact decimal functions' second signatures on the server, the conversions to
// decimal(p,s) and AVG of decimals. The engine sends a
// decimal of up to 15 digits as a double (float8), and PostgreSQL never turns a
// float8 into numeric on its own, so each function also takes float8 where it takes
// numeric and converts it (at 15 significant digits, the digits a double holds).
#include "db/pg_runtime.h"

namespace db::pg {

namespace {

// One overload per mix of float8 and numeric operands beyond the all-numeric one.
std::string binaryOverloads(const std::string& name, const std::string& tail, const std::string& tailArgs,
                            const std::string& result) {
  static const char* kinds[3][2] = {{"float8", "numeric"}, {"numeric", "float8"}, {"float8", "float8"}};
  std::string sql;
  for (const auto& k : kinds) {
    sql += "CREATE OR REPLACE FUNCTION " + name + "(a " + k[0] + ", b " + k[1] + tail + ") RETURNS " + result +
           " LANGUAGE sql IMMUTABLE AS $$ SELECT " + name + "(a::numeric, b::numeric" + tailArgs + ") $$;\n";
  }
  return sql;
}

// Conversion to decimal(p,s), half away from zero as SQL Server rounds decimals; the
// overflow names the source type (a double is most often a short decimal here). TRY_
// conversions give NULL instead of any error.
std::string conversionsSql() {
  std::string sql =
      "CREATE OR REPLACE FUNCTION tsql_dec_fit_from(x numeric, p bigint, s bigint, source text) RETURNS numeric "
      "LANGUAGE plpgsql IMMUTABLE AS $$ BEGIN\n"
      "  IF x IS NOT NULL AND abs(x) >= 10::numeric ^ (p - s) THEN\n"
      "    RAISE EXCEPTION 'Arithmetic overflow error converting % to data type numeric.', source;\n"
      "  END IF;\n  RETURN x;\nEND $$;\n"
      "CREATE OR REPLACE FUNCTION tsql_decimal(x numeric, p bigint, s bigint) RETURNS numeric LANGUAGE sql "
      "IMMUTABLE AS $$ SELECT tsql_dec_fit_from(round(x, s::integer), p, s, 'numeric') $$;\n"
      "CREATE OR REPLACE FUNCTION tsql_decimal(x bigint, p bigint, s bigint) RETURNS numeric LANGUAGE sql "
      "IMMUTABLE AS $$ SELECT tsql_dec_fit_from(x::numeric, p, s, 'int') $$;\n"
      "CREATE OR REPLACE FUNCTION tsql_decimal(x float8, p bigint, s bigint) RETURNS numeric LANGUAGE sql "
      "IMMUTABLE AS $$ SELECT tsql_dec_fit_from(round(x::numeric, s::integer), p, s, 'numeric') $$;\n"
      "CREATE OR REPLACE FUNCTION tsql_decimal(x text, p bigint, s bigint) RETURNS numeric LANGUAGE sql "
      "IMMUTABLE AS $$ SELECT tsql_dec_fit_from(round(btrim(x)::numeric, s::integer), p, s, 'varchar') $$;\n";
  for (const char* type : {"numeric", "bigint", "float8", "text"}) {
    sql += std::string("CREATE OR REPLACE FUNCTION tsql_try_decimal(x ") + type +
           ", p bigint, s bigint) RETURNS numeric LANGUAGE plpgsql IMMUTABLE AS $$ BEGIN\n"
           "  RETURN tsql_decimal(x, p, s);\nEXCEPTION WHEN others THEN RETURN NULL;\nEND $$;\n";
  }
  return sql;
}

// AVG of decimals: an exact running total and count; the quotient cut to the scale s.
std::string averageSql() {
  return "CREATE OR REPLACE FUNCTION tsql_dec_avg_step(state numeric[], x numeric, s bigint) RETURNS numeric[] "
         "LANGUAGE sql IMMUTABLE AS $$ SELECT CASE WHEN x IS NULL THEN state "
         "ELSE ARRAY[coalesce(state[1], 0) + x, coalesce(state[2], 0) + 1, s] END $$;\n"
         "CREATE OR REPLACE FUNCTION tsql_dec_avg_step(state numeric[], x float8, s bigint) RETURNS numeric[] "
         "LANGUAGE sql IMMUTABLE AS $$ SELECT tsql_dec_avg_step(state, x::numeric, s) $$;\n"
         "CREATE OR REPLACE FUNCTION tsql_dec_avg_final(state numeric[]) RETURNS numeric LANGUAGE sql IMMUTABLE AS "
         "$$ SELECT CASE WHEN state IS NULL THEN NULL "
         "ELSE trunc(state[1] / state[2], state[3]::integer) END $$;\n"
         "CREATE OR REPLACE AGGREGATE decimal_avg(numeric, bigint) "
         "(sfunc = tsql_dec_avg_step, stype = numeric[], finalfunc = tsql_dec_avg_final);\n"
         "CREATE OR REPLACE AGGREGATE decimal_avg(float8, bigint) "
         "(sfunc = tsql_dec_avg_step, stype = numeric[], finalfunc = tsql_dec_avg_final);\n";
}

}  // namespace

std::string decimalOverloadsSql() {
  std::string sql = conversionsSql() + averageSql();
  for (const char* op : {"tsql_dec_add", "tsql_dec_sub", "tsql_dec_mul", "tsql_dec_div", "tsql_dec_mod"})
    sql += binaryOverloads(op, ", p bigint, s bigint", ", p, s", "numeric");
  sql += binaryOverloads("tsql_dec_cmp", "", "", "integer");
  sql +=
      "CREATE OR REPLACE FUNCTION tsql_dec_round(x float8, n bigint, cut bigint, p bigint, s bigint) RETURNS numeric "
      "LANGUAGE sql IMMUTABLE AS $$ SELECT tsql_dec_round(x::numeric, n, cut, p, s) $$;\n"
      "CREATE OR REPLACE FUNCTION tsql_dec_abs(x float8) RETURNS numeric LANGUAGE sql IMMUTABLE AS "
      "$$ SELECT tsql_dec_abs(x::numeric) $$;\n"
      "CREATE OR REPLACE FUNCTION tsql_dec_fit(x float8, p bigint, s bigint) RETURNS numeric LANGUAGE sql "
      "IMMUTABLE AS $$ SELECT tsql_dec_fit(x::numeric, p, s) $$;\n"
      "CREATE OR REPLACE FUNCTION tsql_dec_sum_step(total numeric, x float8, s bigint) RETURNS numeric "
      "LANGUAGE sql IMMUTABLE AS $$ SELECT tsql_dec_sum_step(total, x::numeric, s) $$;\n"
      "CREATE OR REPLACE AGGREGATE decimal_sum(float8, bigint) (sfunc = tsql_dec_sum_step, stype = numeric);\n";
  return sql;
}

}  // namespace db::pg
