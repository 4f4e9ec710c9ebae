// The server runtime's character and code functions and the report aggregates, under
// the tsql_ names the translator writes (the server's own ascii, translate and
// string_agg mean something else or refuse other types). Each mirrors the embedded
// runtime's function of the same name: code page 936 for ASCII and CHAR, NULL past a
// code's range, 9828 from TRANSLATE, the variances NULL below two values.
#include "db/pg_runtime.h"

namespace db::pg {

namespace {

constexpr const char* kCodesSql = R"SQL(
-- a character's first byte in code page 936 (the Chinese_PRC collations); '?' when it has none
CREATE OR REPLACE FUNCTION tsql_ascii(s text) RETURNS integer LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
  IF s IS NULL OR char_length(s) = 0 THEN RETURN NULL; END IF;
  IF ascii(s) < 128 THEN RETURN ascii(s); END IF;
  RETURN get_byte(convert_to(left(s, 1), 'GBK'), 0);
EXCEPTION WHEN untranslatable_character OR character_not_in_repertoire THEN RETURN 63;
END $$;
CREATE OR REPLACE FUNCTION tsql_unicode(s text) RETURNS integer LANGUAGE sql IMMUTABLE AS
$$ SELECT CASE WHEN char_length(s) = 0 THEN NULL ELSE ascii(s) END $$;
CREATE OR REPLACE FUNCTION tsql_chr(n bigint) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT CASE WHEN n < 0 OR n > 128 THEN NULL WHEN n = 0 THEN '' WHEN n = 128 THEN chr(8364) ELSE chr(n::integer) END $$;
CREATE OR REPLACE FUNCTION tsql_nchr(n bigint) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT CASE WHEN n < 0 OR n > 1114111 OR n BETWEEN 55296 AND 57343 THEN NULL WHEN n = 0 THEN ''
               ELSE chr(n::integer) END $$;
CREATE OR REPLACE FUNCTION tsql_space(n bigint) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT CASE WHEN n < 0 THEN NULL ELSE repeat(' ', least(n, 8000)::integer) END $$;
CREATE OR REPLACE FUNCTION tsql_translate(s text, f text, t text) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
  IF s IS NULL OR f IS NULL OR t IS NULL THEN RETURN NULL; END IF;
  IF char_length(f) <> char_length(t) THEN
    RAISE EXCEPTION 'The second and third arguments of the TRANSLATE built-in function must contain an equal number of characters.';
  END IF;
  RETURN translate(s COLLATE "C", f COLLATE "C", t COLLATE "C");
END $$;
CREATE OR REPLACE FUNCTION tsql_quotename(s text, q text DEFAULT '[') RETURNS text LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN s IS NULL OR q IS NULL OR char_length(s) > 128 OR char_length(q) <> 1
              OR strpos('[]"''()<>{}`', q COLLATE "C") = 0 THEN NULL
    ELSE translate(q COLLATE "C", '])>}', '[(<{') || replace(s COLLATE "C", c, c || c) || c END
  FROM (SELECT translate(q COLLATE "C", '[(<{', '])>}') AS c) x $$;
CREATE OR REPLACE FUNCTION tsql_soundex(s text) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE u text COLLATE "C" := upper(s); out text := ''; c text; code text; last text := '';
BEGIN
  IF s IS NULL THEN RETURN NULL; END IF;
  FOR i IN 1 .. char_length(u) LOOP
    c := substr(u, i, 1);
    CONTINUE WHEN c < 'A' OR c > 'Z';
    code := substr('01230120022455012623010202', ascii(c) - 64, 1);
    IF out = '' THEN out := c; last := code;
    ELSIF c IN ('H', 'W') THEN CONTINUE;
    ELSIF code = '0' THEN last := '0';
    ELSIF code <> last THEN out := out || code; last := code;
    END IF;
    EXIT WHEN char_length(out) = 4;
  END LOOP;
  RETURN CASE WHEN out = '' THEN '' ELSE rpad(out, 4, '0') END;
END $$;
CREATE OR REPLACE FUNCTION tsql_difference(a text, b text) RETURNS integer LANGUAGE sql IMMUTABLE AS $$
  SELECT (SELECT count(*) FROM generate_series(1, 4) i
           WHERE substr(x, i, 1) <> '' AND substr(x, i, 1) = substr(y, i, 1))::integer
  FROM (SELECT tsql_soundex(a) COLLATE "C" AS x, tsql_soundex(b) COLLATE "C" AS y) s
  WHERE a IS NOT NULL AND b IS NOT NULL $$;
)SQL";

// The variances of float8 values on the server's own steps (count, sum, sum of squares).
constexpr const char* kAggregatesSql = R"SQL(
CREATE OR REPLACE AGGREGATE tsql_var(double precision)
  (sfunc = float8_accum, stype = float8[], finalfunc = float8_var_samp, initcond = '{0,0,0}');
CREATE OR REPLACE AGGREGATE tsql_varp(double precision)
  (sfunc = float8_accum, stype = float8[], finalfunc = float8_var_pop, initcond = '{0,0,0}');
CREATE OR REPLACE AGGREGATE tsql_stdev(double precision)
  (sfunc = float8_accum, stype = float8[], finalfunc = float8_stddev_samp, initcond = '{0,0,0}');
CREATE OR REPLACE AGGREGATE tsql_stdevp(double precision)
  (sfunc = float8_accum, stype = float8[], finalfunc = float8_stddev_pop, initcond = '{0,0,0}');
)SQL";

}  // namespace

std::string stringRuntimeSql() { return std::string(kCodesSql) + kAggregatesSql; }

}  // namespace db::pg
