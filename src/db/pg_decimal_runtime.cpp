// The exact decimal functions' second signatures on the server, and the conversion
// to decimal(p,s). The engine sends a
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

}  // namespace

std::string decimalOverloadsSql() {
  // conversion to decimal(p,s): half away from zero as SQL Server rounds decimals
  std::string sql =
      "CREATE OR REPLACE FUNCTION tsql_decimal(x numeric, p bigint, s bigint) RETURNS numeric LANGUAGE sql "
      "IMMUTABLE AS $$ SELECT tsql_dec_fit(round(x, s::integer), p, s) $$;\n"
      "CREATE OR REPLACE FUNCTION tsql_decimal(x float8, p bigint, s bigint) RETURNS numeric LANGUAGE sql "
      "IMMUTABLE AS $$ SELECT tsql_decimal(x::numeric, p, s) $$;\n"
      "CREATE OR REPLACE FUNCTION tsql_decimal(x text, p bigint, s bigint) RETURNS numeric LANGUAGE sql "
      "IMMUTABLE AS $$ SELECT tsql_decimal(btrim(x)::numeric, p, s) $$;\n";
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
