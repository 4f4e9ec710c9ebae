// The server runtime's datetime2 and datetimeoffset: both kept as text, as the embedded
// file keeps them, since PostgreSQL's timestamps stop at microseconds and these types
// have 100 ns. A value is read to ticks (100 ns since 0001-01-01, local time) and an
// offset in minutes, and written back in the fixed forms "YYYY-MM-DD hh:mm:ss.fffffff"
// (datetime2, always seven digits, so text order is time order) and the same with the
// type's scale of digits and " +hh:mm" (datetimeoffset).
#include "db/pg_runtime.h"

namespace db::pg {

namespace {

// Ticks to text and back; 3155378976000000000 is 10000-01-01, the first tick past the range.
constexpr const char* kTicksSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_ticks_text(ticks bigint, scale bigint) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
  RETURN to_char(timestamp '0001-01-01' + (ticks / 864000000000) * interval '1 day'
                 + (ticks % 864000000000 / 10000000) * interval '1 second', 'YYYY-MM-DD HH24:MI:SS')
    || CASE WHEN scale > 0 THEN '.' || left(lpad((ticks % 10000000)::text, 7, '0'), scale::integer) ELSE '' END;
END $$;
-- rounded half up to `scale` digits, cut instead where rounding would pass 9999-12-31
CREATE OR REPLACE FUNCTION tsql_round_ticks(ticks bigint, scale bigint) RETURNS bigint LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE unit bigint := (10 ^ (7 - greatest(0, least(7, scale))))::bigint; r bigint := (ticks + unit / 2) / unit * unit;
BEGIN
  RETURN CASE WHEN r < 3155378976000000000 THEN r ELSE ticks / unit * unit END;
END $$;
CREATE OR REPLACE FUNCTION tsql_timestamp_ticks(x timestamp) RETURNS bigint LANGUAGE sql IMMUTABLE AS $$
  SELECT (x::date - date '0001-01-01')::bigint * 864000000000 + (extract(epoch FROM x::time) * 10000000)::bigint $$;
-- the local time to the whole millisecond, for the date parts datetime has
CREATE OR REPLACE FUNCTION tsql_ticks_timestamp(ticks bigint) RETURNS timestamp LANGUAGE sql IMMUTABLE AS $$
  SELECT timestamp '0001-01-01' + (ticks / 864000000000) * interval '1 day'
         + (ticks % 864000000000 / 10000) * interval '1 millisecond' $$;
CREATE OR REPLACE FUNCTION tsql_timestamp_text(x timestamp) RETURNS text LANGUAGE sql STABLE AS
$$ SELECT to_char(x, 'YYYY-MM-DD HH24:MI:SS.US') $$;
)SQL";

// ISO text: a date, a time to seven digits after ' ' or 'T', an offset (Z is +00:00,
// none too); {ticks, minutes}, NULL when the text names no such value.
constexpr const char* kParseSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_offset_minutes(t text) RETURNS bigint LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN t COLLATE "C" IN ('Z', 'z') THEN 0
    WHEN t COLLATE "C" ~ '^[+-][0-9]{2}:[0-9]{2}$' THEN
      CASE WHEN substr(t, 5, 2)::integer > 59 OR substr(t, 2, 2)::integer * 60 + substr(t, 5, 2)::integer > 840 THEN NULL
           ELSE CASE WHEN left(t, 1) = '-' THEN -1 ELSE 1 END * (substr(t, 2, 2)::integer * 60 + substr(t, 5, 2)::integer)
      END END $$;
-- the shape is checked by one match without captures (PostgreSQL's captures cost some
-- 50 us a value), the fields then taken by their places; the locals are in "C" (they
-- would take a case-blind column's collation, which regular expressions refuse)
CREATE OR REPLACE FUNCTION tsql_dto_parse(x text) RETURNS bigint[] LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE s text COLLATE "C" := btrim(x COLLATE "C", ' '); rest text COLLATE "C"; fraction text COLLATE "C" := '';
        y integer; mo integer; d integer; h integer := 0; mi integer := 0; sec integer := 0; minutes bigint := 0;
BEGIN
  IF s IS NULL OR s !~ ('^[0-9]{4}-[0-9]{2}-[0-9]{2}(?:[ T][0-9]{2}:[0-9]{2}(?::[0-9]{2}(?:\.[0-9]{0,7})?)?)? *'
           '(?:[Zz]|[+-][0-9]{2}:[0-9]{2})?$') THEN
    RETURN NULL;
  END IF;
  y := substr(s, 1, 4)::integer; mo := substr(s, 6, 2)::integer; d := substr(s, 9, 2)::integer;
  rest := substr(s, 11);
  IF substr(s, 11, 1) IN (' ', 'T') AND substr(s, 12, 1) BETWEEN '0' AND '9' THEN  -- a time
    h := substr(s, 12, 2)::integer; mi := substr(s, 15, 2)::integer; rest := substr(s, 17);
    IF left(rest, 1) = ':' THEN
      sec := substr(s, 18, 2)::integer; rest := substr(s, 20);
      IF left(rest, 1) = '.' THEN
        fraction := left(substr(rest, 2), length(substr(rest, 2)) - length(ltrim(substr(rest, 2), '0123456789')));
        rest := substr(rest, 2 + length(fraction));
      END IF;
    END IF;
  END IF;
  IF y < 1 OR mo < 1 OR mo > 12 OR d < 1 OR h > 23 OR mi > 59 OR sec > 59 THEN RETURN NULL; END IF;
  IF d > extract(day FROM make_date(y, mo, 1) + interval '1 month' - interval '1 day') THEN RETURN NULL; END IF;
  rest := btrim(rest, ' ');
  IF rest <> '' THEN
    minutes := tsql_offset_minutes(rest);
    IF minutes IS NULL THEN RETURN NULL; END IF;
  END IF;
  RETURN ARRAY[(make_date(y, mo, d) - date '0001-01-01')::bigint * 864000000000
               + ((h * 60 + mi) * 60 + sec)::bigint * 10000000 + rpad(fraction, 7, '0')::bigint, minutes];
END $$;
CREATE OR REPLACE FUNCTION tsql_dto_read(x text) RETURNS bigint[] LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE v bigint[] := tsql_dto_parse(x);
BEGIN
  IF v IS NULL AND x IS NOT NULL THEN
    RAISE EXCEPTION USING ERRCODE = '22007',
      MESSAGE = 'Conversion failed when converting date and/or time from character string.';
  END IF;
  RETURN v;
END $$;
)SQL";

// datetimeoffset(n) from text and dates; its local time (the date types keep
// milliseconds) and its instant in UTC (comparisons and ORDER BY use that).
constexpr const char* kOffsetSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_dto_text(v bigint[], scale bigint) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE minutes bigint := abs(v[2]);
BEGIN
  RETURN tsql_ticks_text(tsql_round_ticks(v[1], scale), scale) || CASE WHEN v[2] < 0 THEN ' -' ELSE ' +' END
    || lpad((minutes / 60)::text, 2, '0') || ':' || lpad((minutes % 60)::text, 2, '0');
END $$;
CREATE OR REPLACE FUNCTION tsql_datetimeoffset(x text, scale bigint) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT tsql_dto_text(tsql_dto_read(x), scale) $$;
CREATE OR REPLACE FUNCTION tsql_datetimeoffset(x timestamp, scale bigint) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT tsql_datetimeoffset(tsql_timestamp_text(x), scale) $$;
CREATE OR REPLACE FUNCTION tsql_dto_local(x text) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT tsql_ticks_text((tsql_dto_read(x))[1], 3) $$;
CREATE OR REPLACE FUNCTION tsql_dto_utc(x text) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE v bigint[] := tsql_dto_read(x);
BEGIN
  RETURN tsql_ticks_text(v[1] - v[2] * 600000000, 7);
END $$;
)SQL";

// TODATETIMEOFFSET keeps the local time and sets the offset; SWITCHOFFSET keeps the
// instant. The offset is "+hh:mm" text or minutes; past +-14:00 it is refused.
constexpr const char* kSetOffsetSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_set_offset(x text, minutes bigint, keep_instant boolean, fn text) RETURNS text
  LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE v bigint[] := tsql_dto_read(x);
BEGIN
  IF minutes IS NULL OR minutes < -840 OR minutes > 840 THEN
    RAISE EXCEPTION 'The timezone provided to builtin function % is invalid.', fn;
  END IF;
  IF keep_instant THEN v[1] := v[1] + (minutes - v[2]) * 600000000; END IF;
  IF v[1] < 0 OR v[1] >= 3155378976000000000 THEN
    RAISE EXCEPTION 'Adding a value to a ''datetimeoffset'' column caused an overflow.';
  END IF;
  RETURN tsql_dto_text(ARRAY[v[1], minutes], 7);
END $$;
CREATE OR REPLACE FUNCTION switchoffset(x text, minutes bigint) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT CASE WHEN x IS NOT NULL AND minutes IS NOT NULL THEN tsql_set_offset(x, minutes, true, 'switchoffset') END $$;
-- an offset text that is not one is passed on as out of range
CREATE OR REPLACE FUNCTION switchoffset(x text, offset_text text) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT switchoffset(x, CASE WHEN offset_text IS NOT NULL THEN coalesce(tsql_offset_minutes(offset_text), 100000) END) $$;
CREATE OR REPLACE FUNCTION todatetimeoffset(x text, minutes bigint) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT CASE WHEN x IS NOT NULL AND minutes IS NOT NULL THEN tsql_set_offset(x, minutes, false, 'todatetimeoffset') END $$;
CREATE OR REPLACE FUNCTION todatetimeoffset(x text, offset_text text) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT todatetimeoffset(x, CASE WHEN offset_text IS NOT NULL THEN coalesce(tsql_offset_minutes(offset_text), 100000) END) $$;
CREATE OR REPLACE FUNCTION todatetimeoffset(x timestamp, minutes bigint) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT todatetimeoffset(tsql_timestamp_text(x), minutes) $$;
CREATE OR REPLACE FUNCTION todatetimeoffset(x timestamp, offset_text text) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT todatetimeoffset(tsql_timestamp_text(x), offset_text) $$;
)SQL";

// DATEADD and DATEPART of a datetimeoffset act on the local time and keep the offset:
// micro- and nanoseconds on the ticks (nanoseconds rounded to them), the other parts
// on the whole milliseconds as datetime's do, the ticks below carried unchanged.
constexpr const char* kOffsetPartsSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_dto_dateadd(part text, n bigint, x text, scale bigint) RETURNS text
  LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE v bigint[] := tsql_dto_read(x); p text := tsql_date_part(part); local timestamp;
BEGIN
  IF v IS NULL OR n IS NULL THEN RETURN NULL; END IF;
  IF p = 'microsecond' THEN v[1] := v[1] + n * 10;
  ELSIF p = 'nanosecond' THEN v[1] := v[1] + (CASE WHEN n >= 0 THEN n + 50 ELSE n - 50 END) / 100;
  ELSE
    BEGIN
      local := tsql_ticks_timestamp(v[1]) + CASE p WHEN 'quarter' THEN n * interval '3 months'
        WHEN 'dayofyear' THEN n * interval '1 day' WHEN 'weekday' THEN n * interval '1 day'
        ELSE (n || ' ' || p)::interval END;
    EXCEPTION WHEN datetime_field_overflow OR interval_field_overflow THEN
      local := timestamp '10000-01-01';
    END;
    v[1] := tsql_timestamp_ticks(local) + v[1] % 10000;
  END IF;
  IF v[1] < 0 OR v[1] >= 3155378976000000000 THEN
    RAISE EXCEPTION 'Adding a value to a ''datetimeoffset'' column caused an overflow.';
  END IF;
  RETURN tsql_dto_text(v, greatest(0, least(7, scale)));
END $$;
CREATE OR REPLACE FUNCTION tsql_dto_datepart(part text, x text) RETURNS bigint LANGUAGE plpgsql STABLE AS $$
DECLARE v bigint[] := tsql_dto_read(x); p text := tsql_date_part(part);
BEGIN
  IF v IS NULL THEN RETURN NULL; END IF;
  IF p COLLATE "C" IN ('tzoffset', 'tz') THEN RETURN v[2]; END IF;
  IF p = 'microsecond' THEN RETURN v[1] % 10000000 / 10; END IF;
  IF p = 'nanosecond' THEN RETURN v[1] % 10000000 * 100; END IF;
  RETURN datepart(part, tsql_ticks_timestamp(v[1]));
END $$;
)SQL";

// datetime2(n): ISO text to the 100 ns, other text in the session's DATEFORMAT as the
// other date types read it; stored with seven digits, shown with n.
constexpr const char* kDatetime2Sql = R"SQL(
DROP FUNCTION IF EXISTS tsql_datetime2(timestamp);
DROP FUNCTION IF EXISTS tsql_datetime2(text);
CREATE OR REPLACE FUNCTION tsql_datetime2_ticks(x text) RETURNS bigint LANGUAGE plpgsql STABLE AS $$
DECLARE v bigint[] := tsql_dto_parse(x);
BEGIN
  IF x IS NULL THEN RETURN NULL; END IF;
  IF v IS NOT NULL THEN RETURN v[1]; END IF;
  RETURN tsql_timestamp_ticks(tsql_text_timestamp(x));
END $$;
CREATE OR REPLACE FUNCTION tsql_datetime2(x text, scale bigint) RETURNS text LANGUAGE sql STABLE AS
$$ SELECT tsql_ticks_text(tsql_round_ticks(tsql_datetime2_ticks(x), scale), 7) $$;
CREATE OR REPLACE FUNCTION tsql_datetime2(x text) RETURNS text LANGUAGE sql STABLE AS $$ SELECT tsql_datetime2(x, 7) $$;
CREATE OR REPLACE FUNCTION tsql_datetime2(x timestamp, scale bigint) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT tsql_ticks_text(tsql_round_ticks(tsql_timestamp_ticks(x), scale), 7) $$;
CREATE OR REPLACE FUNCTION tsql_datetime2(x timestamp) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT tsql_datetime2(x, 7) $$;
-- as text (CAST, CONVERT style 121): exactly `scale` digits, none and no point for 0
CREATE OR REPLACE FUNCTION tsql_datetime2_show(x text, scale bigint) RETURNS text LANGUAGE sql STABLE AS $$
  SELECT left(t, CASE WHEN s > 0 THEN 20 + s ELSE 19 END::integer)
  FROM (SELECT tsql_datetime2(x, greatest(0, least(7, scale))) AS t, greatest(0, least(7, scale)) AS s) v $$;
)SQL";

}  // namespace

std::string offsetRuntimeSql() {
  return std::string(kTicksSql) + kParseSql + kOffsetSql + kSetOffsetSql + kOffsetPartsSql + kDatetime2Sql;
}

}  // namespace db::pg
