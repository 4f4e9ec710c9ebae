// TRY_CAST and TRY_CONVERT on the server: for every conversion function the runtime
// has (tsql_int, tsql_money, tsql_datetime ...), a tsql_try_ twin with the same
// signatures that gives NULL where the conversion raises an error. Made from the
// catalog when the runtime is installed, so a new signature gets its twin too.
#include "db/pg_runtime.h"

namespace db::pg {

std::string tolerantConversionsSql() {
  return R"SQL(
DO $do$
DECLARE f record;
BEGIN
  FOR f IN SELECT p.proname, pg_get_function_arguments(p.oid) AS args, pg_get_function_result(p.oid) AS result,
                  array_to_string(p.proargnames, ', ') AS names
           FROM pg_proc p
           WHERE p.pronamespace = (SELECT oid FROM pg_namespace WHERE nspname = current_schema())
             AND p.proname IN ('tsql_bit', 'tsql_int', 'tsql_bigint', 'tsql_float', 'tsql_money',
                               'tsql_smallmoney', 'tsql_datetime', 'tsql_smalldatetime', 'tsql_date', 'tsql_datetime2',
                               'tsql_guid', 'tsql_time')
  LOOP
    EXECUTE format('CREATE OR REPLACE FUNCTION %I(%s) RETURNS %s LANGUAGE plpgsql AS '
                   '$f$ BEGIN RETURN %I(%s); EXCEPTION WHEN others THEN RETURN NULL; END $f$',
                   'tsql_try_' || substr(f.proname, 6), f.args, f.result, f.proname, f.names);
  END LOOP;
END $do$;
)SQL";
}

}  // namespace db::pg
