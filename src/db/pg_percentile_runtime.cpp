// PERCENTILE_CONT and PERCENTILE_DISC on the server: the translator gathers a
// partition's values with array_agg(x) OVER (...) and these pick the percentile from
// them, NULLs ignored, in the order of x (descending when d is 1). CONT interpolates
// in float8 around position p * (n - 1); DISC gives the first value whose cumulative
// share of the rows reaches p, of the values' own type.
#include "db/pg_runtime.h"

namespace db::pg {

std::string percentileRuntimeSql() {
  return R"SQL(
CREATE OR REPLACE FUNCTION tsql_percentile_check(p double precision) RETURNS boolean LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
  IF p IS NULL OR p < 0 OR p > 1 THEN
    RAISE EXCEPTION 'The percentile of PERCENTILE_CONT and PERCENTILE_DISC must be between 0.0 and 1.0.';
  END IF;
  RETURN true;
END $$;
CREATE OR REPLACE FUNCTION tsql_percentile_cont(a double precision[], p double precision, d integer)
RETURNS double precision LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN lo = hi THEN v[lo + 1] ELSE (hi - rn) * v[lo + 1] + (rn - lo) * v[hi + 1] END
  FROM (SELECT v, rn, floor(rn)::integer AS lo, ceil(rn)::integer AS hi
        FROM (SELECT v, p * (cardinality(v) - 1) AS rn
              FROM (SELECT array_agg(x ORDER BY CASE WHEN d = 1 THEN -x ELSE x END) AS v
                    FROM unnest(a) x WHERE x IS NOT NULL) s0) s1) s2
  WHERE tsql_percentile_check(p) AND cardinality(v) > 0 $$;
CREATE OR REPLACE FUNCTION tsql_percentile_disc(a anyarray, p double precision, d integer)
RETURNS anyelement LANGUAGE sql IMMUTABLE AS $$
  SELECT x FROM (SELECT x, row_number() OVER w AS i, count(*) OVER () AS n FROM unnest(a) x
                 WHERE x IS NOT NULL
                 WINDOW w AS (ORDER BY CASE WHEN d = 0 THEN x END, CASE WHEN d = 1 THEN x END DESC)) s
  WHERE tsql_percentile_check(p) AND (i::double precision / n >= p OR i = n) ORDER BY i LIMIT 1 $$;
)SQL";
}

}  // namespace db::pg
