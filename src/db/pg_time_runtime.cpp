// The server runtime's time(n): kept as text "hh:mm:ss.fffffff", as the embedded file
// keeps it, since PostgreSQL's time stops at microseconds and this type has 100 ns. A
// value is read to ticks into the day (a date before the time is passed over, AM/PM
// read) and written back with seven digits, rounded to n and wrapped at midnight.
#include "db/pg_runtime.h"

namespace db::pg {

namespace {

constexpr const char* kTimeSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_time_ticks(x text) RETURNS bigint LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE s text COLLATE "C" := btrim(x COLLATE "C", ' '); m text[]; h integer;
BEGIN
  IF s IS NULL THEN RETURN NULL; END IF;
  IF s ~ '^[0-9]{4}-[0-9]{2}-[0-9]{2}$' THEN RETURN 0; END IF;  -- a date alone: midnight
  m := regexp_match(s, '^(?:[0-9]{4}-[0-9]{2}-[0-9]{2}[ T])?([0-9]{1,2}):([0-9]{2})'
                       '(?::([0-9]{2})(?:\.([0-9]{0,7}))?)? *([AaPp][Mm])?$');
  h := m[1]::integer;
  IF m IS NOT NULL AND m[5] IS NOT NULL AND h <= 12 THEN
    h := h % 12 + CASE WHEN upper(m[5]) = 'PM' THEN 12 ELSE 0 END;
  ELSIF m[5] IS NOT NULL THEN
    m := NULL;
  END IF;
  IF m IS NULL OR h > 23 OR m[2]::integer > 59 OR coalesce(m[3], '0')::integer > 59 THEN
    RAISE EXCEPTION USING ERRCODE = '22007',
      MESSAGE = 'Conversion failed when converting date and/or time from character string.';
  END IF;
  RETURN ((h * 60 + m[2]::integer) * 60 + coalesce(m[3], '0')::integer)::bigint * 10000000
         + rpad(coalesce(m[4], ''), 7, '0')::bigint;
END $$;
-- rounded half up to `scale` digits, wrapped at midnight, in the stored form
CREATE OR REPLACE FUNCTION tsql_time_stored(ticks bigint, scale bigint) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE unit bigint := (10 ^ (7 - greatest(0, least(7, scale))))::bigint; t bigint := (ticks + unit / 2) / unit * unit % 864000000000;
BEGIN
  RETURN lpad((t / 36000000000)::text, 2, '0') || ':' || lpad((t / 600000000 % 60)::text, 2, '0') || ':'
    || lpad((t / 10000000 % 60)::text, 2, '0') || '.' || lpad((t % 10000000)::text, 7, '0');
END $$;
CREATE OR REPLACE FUNCTION tsql_time(x text, scale bigint) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT tsql_time_stored(tsql_time_ticks(x), scale) $$;
CREATE OR REPLACE FUNCTION tsql_time(x timestamp, scale bigint) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT tsql_time(to_char(x, 'HH24:MI:SS.US'), scale) $$;
-- CONVERT of a time to text: hh:mm:ss for styles 8, 20, 24, 108, 120; hh:mm:ss:mmm for
-- 14 and 114; h:mmAM for 0 and 100; else (121, the default) the value with its n digits
CREATE OR REPLACE FUNCTION tsql_time_text(x text, scale bigint, style bigint) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE s text := tsql_time(x, 7); h integer;
BEGIN
  IF s IS NULL OR style IS NULL THEN RETURN NULL; END IF;
  IF style IN (0, 100) THEN
    h := left(s, 2)::integer;
    RETURN (CASE WHEN h % 12 = 0 THEN 12 ELSE h % 12 END)::text || substr(s, 3, 3) || CASE WHEN h < 12 THEN 'AM' ELSE 'PM' END;
  END IF;
  IF style IN (8, 20, 24, 108, 120) THEN RETURN left(s, 8); END IF;
  IF style IN (14, 114) THEN RETURN left(s, 8) || ':' || substr(s, 10, 3); END IF;
  RETURN left(s, CASE WHEN scale > 0 THEN 9 + least(scale, 7) ELSE 8 END::integer);
END $$;
CREATE OR REPLACE FUNCTION tsql_time_unit(part text) RETURNS bigint LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN p IN ('hour', 'hh') THEN 36000000000 WHEN p IN ('minute', 'mi', 'n') THEN 600000000
              WHEN p IN ('second', 'ss', 's') THEN 10000000 WHEN p IN ('millisecond', 'ms') THEN 10000
              WHEN p IN ('microsecond', 'mcs') THEN 10 ELSE 0 END
  FROM (SELECT lower(part) AS p) v $$;
-- DATEADD wraps round midnight; nanoseconds round to the 100 ns the type keeps
CREATE OR REPLACE FUNCTION tsql_time_dateadd(part text, n bigint, x text, scale bigint) RETURNS text
  LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE unit bigint := tsql_time_unit(part); step bigint;
BEGIN
  IF n IS NULL OR x IS NULL THEN RETURN NULL; END IF;
  step := CASE WHEN lower(part) IN ('nanosecond', 'ns') THEN (CASE WHEN n >= 0 THEN n + 50 ELSE n - 50 END) / 100
               WHEN unit > 0 THEN n % (864000000000 / unit) * unit ELSE 0 END;
  RETURN tsql_time_stored(((tsql_time_ticks(x) + step) % 864000000000 + 864000000000) % 864000000000, scale);
END $$;
CREATE OR REPLACE FUNCTION tsql_time_datepart(part text, x text) RETURNS bigint LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE t bigint := tsql_time_ticks(x); unit bigint := tsql_time_unit(part);
BEGIN
  IF t IS NULL THEN RETURN NULL; END IF;
  IF lower(part) IN ('nanosecond', 'ns') THEN RETURN t % 10000000 * 100; END IF;
  IF unit = 0 THEN RETURN 0; END IF;
  RETURN t / unit % CASE WHEN unit = 36000000000 THEN 24 WHEN unit >= 10000000 THEN 60 ELSE 10000000 / unit END;
END $$;
)SQL";

// FORMAT of a time takes .NET's TimeSpan formats: c, g and G, and the custom specifiers
// d, h, m, s, f and F with every other character quoted or escaped ("hh:mm" is NULL).
constexpr const char* kFormatTimeSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_fmt_timespan(t bigint, f text, c text[]) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE frac text := lpad((t % 10000000)::text, 7, '0'); h integer := t / 36000000000;
        mi integer := t / 600000000 % 60; s integer := t / 10000000 % 60;
        hms text := ':' || lpad(mi::text, 2, '0') || ':' || lpad(s::text, 2, '0');
        fmt text COLLATE "C" := f; out text := ''; i integer := 1; n integer; ch text COLLATE "C"; v integer; j integer;
BEGIN
  IF fmt IN ('', 'c', 't', 'T') THEN
    RETURN lpad(h::text, 2, '0') || hms || CASE WHEN frac <> '0000000' THEN '.' || frac ELSE '' END;
  END IF;
  IF fmt = 'g' THEN RETURN h::text || hms || CASE WHEN frac <> '0000000' THEN c[1] || rtrim(frac, '0') ELSE '' END; END IF;
  IF fmt = 'G' THEN RETURN '0:' || lpad(h::text, 2, '0') || hms || c[1] || frac; END IF;
  IF char_length(fmt) = 1 THEN RETURN NULL; END IF;
  WHILE i <= char_length(fmt) LOOP
    ch := substr(fmt, i, 1);
    n := 1;
    IF ch = '%' THEN
      NULL;  -- "%h": a custom format of one specifier
    ELSIF ch = chr(92) THEN  -- a backslash: the next character as it is
      IF i = char_length(fmt) THEN RETURN NULL; END IF;
      out := out || substr(fmt, i + 1, 1);
      n := 2;
    ELSIF ch IN ('''', '"') THEN
      j := strpos(substr(fmt, i + 1), ch);
      IF j = 0 THEN RETURN NULL; END IF;
      out := out || substr(fmt, i + 1, j - 1);
      n := j + 1;
    ELSE
      WHILE substr(fmt, i + n, 1) = ch LOOP n := n + 1; END LOOP;
      IF ch = 'd' AND n <= 8 THEN out := out || repeat('0', n);
      ELSIF ch IN ('h', 'm', 's') AND n <= 2 THEN
        v := CASE ch WHEN 'h' THEN h WHEN 'm' THEN mi ELSE s END;
        out := out || CASE WHEN n = 2 THEN lpad(v::text, 2, '0') ELSE v::text END;
      ELSIF ch = 'f' AND n <= 7 THEN out := out || left(frac, n);
      ELSIF ch = 'F' AND n <= 7 THEN out := out || rtrim(left(frac, n), '0');
      ELSE RETURN NULL;
      END IF;
    END IF;
    i := i + n;
  END LOOP;
  RETURN out;
END $$;
CREATE OR REPLACE FUNCTION tsql_format(v text, f text, culture text, kind text) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
  IF v IS NULL OR f IS NULL OR culture IS NULL THEN RETURN NULL; END IF;
  IF kind = 'z' THEN RETURN tsql_fmt_offset(v, f, tsql_fmt_checked(culture)); END IF;  -- a datetimeoffset's text
  RETURN tsql_fmt_timespan(tsql_time_ticks(v), f, tsql_fmt_checked(culture));
END $$;
)SQL";

}  // namespace

std::string timeRuntimeSql() { return std::string(kTimeSql) + kFormatTimeSql; }

}  // namespace db::pg
