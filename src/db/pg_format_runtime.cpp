// The server's FORMAT: tsql_format(value, format, culture, kind) as the embedded
// runtime's (format_function.cpp, format_dates.cpp), over the same culture table
// (format_cultures.cpp) kept here as one row a culture. Numbers are numeric (a float
// taken at 15 significant digits, which is how the server turns one into numeric) and
// round half away from zero as .NET rounds a decimal.
#include "db/pg_runtime.h"

namespace db::pg {

namespace {

// decimal, group, currency, currency digits, currency +/- patterns, percent +/- patterns,
// date separator, d, D, t, T, M, Y patterns, AM, PM, months, short months, days, short days
constexpr const char* kCulturesSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_fmt_culture(name text) RETURNS text[] LANGUAGE sql IMMUTABLE AS $$
  SELECT c FROM (VALUES
    ('', ARRAY['.', ',', '¤', '2', '$n', '($n)', 'n %', '-n %', '/', 'MM/dd/yyyy', 'dddd, dd MMMM yyyy', 'HH:mm',
      'HH:mm:ss', 'MMMM dd', 'yyyy MMMM', 'AM', 'PM',
      'January|February|March|April|May|June|July|August|September|October|November|December',
      'Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec', 'Sunday|Monday|Tuesday|Wednesday|Thursday|Friday|Saturday',
      'Sun|Mon|Tue|Wed|Thu|Fri|Sat']),
    ('en-us', ARRAY['.', ',', '$', '2', '$n', '($n)', 'n%', '-n%', '/', 'M/d/yyyy', 'dddd, MMMM d, yyyy', 'h:mm tt',
      'h:mm:ss tt', 'MMMM d', 'MMMM yyyy', 'AM', 'PM',
      'January|February|March|April|May|June|July|August|September|October|November|December',
      'Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec', 'Sunday|Monday|Tuesday|Wednesday|Thursday|Friday|Saturday',
      'Sun|Mon|Tue|Wed|Thu|Fri|Sat']),
    ('de-de', ARRAY[',', '.', '€', '2', 'n $', '-n $', 'n %', '-n %', '.', 'dd.MM.yyyy', 'dddd, d. MMMM yyyy', 'HH:mm',
      'HH:mm:ss', 'd. MMMM', 'MMMM yyyy', '', '',
      'Januar|Februar|März|April|Mai|Juni|Juli|August|September|Oktober|November|Dezember',
      'Jan|Feb|Mrz|Apr|Mai|Jun|Jul|Aug|Sep|Okt|Nov|Dez', 'Sonntag|Montag|Dienstag|Mittwoch|Donnerstag|Freitag|Samstag',
      'So|Mo|Di|Mi|Do|Fr|Sa']),
    ('zh-cn', ARRAY['.', ',', '¥', '2', '$n', '$-n', 'n%', '-n%', '/', 'yyyy/M/d', 'yyyy''年''M''月''d''日''', 'H:mm',
      'H:mm:ss', 'M''月''d''日''', 'yyyy''年''M''月''', '上午', '下午',
      '一月|二月|三月|四月|五月|六月|七月|八月|九月|十月|十一月|十二月', '1月|2月|3月|4月|5月|6月|7月|8月|9月|10月|11月|12月',
      '星期日|星期一|星期二|星期三|星期四|星期五|星期六', '周日|周一|周二|周三|周四|周五|周六']),
    ('ja-jp', ARRAY['.', ',', '¥', '0', '$n', '-$n', 'n%', '-n%', '/', 'yyyy/MM/dd', 'yyyy''年''M''月''d''日''', 'H:mm',
      'H:mm:ss', 'M''月''d''日''', 'yyyy''年''M''月''', '午前', '午後',
      '1月|2月|3月|4月|5月|6月|7月|8月|9月|10月|11月|12月', '1|2|3|4|5|6|7|8|9|10|11|12',
      '日曜日|月曜日|火曜日|水曜日|木曜日|金曜日|土曜日', '日|月|火|水|木|金|土'])
  ) t(n, c) WHERE n = lower(name) COLLATE "C" $$;
)SQL";

// Numbers: the fixed-point text, the standard letters, custom sections.
constexpr const char* kNumbersSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_fmt_fixed(a numeric, places integer, grp boolean, c text[]) RETURNS text
  LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE t text := round(abs(a), places)::text; w text := split_part(t, '.', 1);
BEGIN
  IF grp THEN w := regexp_replace(w, '(\d)(?=(\d{3})+$)', '\1' || c[2], 'g'); END IF;
  RETURN w || CASE WHEN places > 0 THEN c[1] || rpad(split_part(t, '.', 2), places, '0') ELSE '' END;
END $$;
CREATE OR REPLACE FUNCTION tsql_fmt_standard(v numeric, kind text, f text, c text[]) RETURNS text
  LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE letter text COLLATE "C" := left(f, 1); p integer := nullif(substr(f, 2), '')::integer;
  u text COLLATE "C" := upper(left(f, 1)); t text; neg boolean; bits numeric;
BEGIN
  IF u = 'X' THEN
    IF kind NOT IN ('i', 'l') THEN RETURN NULL; END IF;
    bits := CASE WHEN v >= 0 THEN v WHEN kind = 'i' THEN v + 4294967296 ELSE v + 18446744073709551616 END;
    t := '';
    LOOP t := substr('0123456789ABCDEF', (bits % 16)::integer + 1, 1) || t; bits := div(bits, 16); EXIT WHEN bits = 0; END LOOP;
    t := lpad(t, greatest(coalesce(p, 0), char_length(t)), '0');
    RETURN CASE WHEN letter = 'x' THEN lower(t) ELSE t END;
  END IF;
  IF u = 'G' THEN RETURN replace(v::text, '.', c[1]); END IF;
  IF u = 'P' THEN v := v * 100; END IF;
  t := CASE u WHEN 'N' THEN tsql_fmt_fixed(v, coalesce(p, 2), true, c) WHEN 'F' THEN tsql_fmt_fixed(v, coalesce(p, 2), false, c)
    WHEN 'C' THEN tsql_fmt_fixed(v, coalesce(p, c[4]::integer), true, c) WHEN 'P' THEN tsql_fmt_fixed(v, coalesce(p, 2), true, c)
    WHEN 'D' THEN CASE WHEN kind IN ('i', 'l') THEN lpad(abs(v)::text, greatest(coalesce(p, 0), char_length(abs(v)::text)), '0') END
    END;
  IF t IS NULL THEN RETURN NULL; END IF;
  neg := v < 0 AND t ~ '[1-9]';
  IF u = 'C' THEN RETURN replace(replace(CASE WHEN neg THEN c[6] ELSE c[5] END, 'n', t), '$', c[3]); END IF;
  IF u = 'P' THEN RETURN replace(CASE WHEN neg THEN c[8] ELSE c[7] END, 'n', t); END IF;
  RETURN CASE WHEN neg THEN '-' ELSE '' END || t;
END $$;
-- one section of a custom pattern written with abs(v): whole digits fill the whole
-- placeholders from the right (the first takes what is left over), fraction digits
-- theirs from the left, trailing zeros dropped down to the last '0'
CREATE OR REPLACE FUNCTION tsql_fmt_section(v numeric, s text, c text[]) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE ch text COLLATE "C"; i integer := 1; n integer := char_length(s); infrac boolean := false; seen boolean := false;
  commas integer := 0; grp boolean := false; pct boolean := false; scale integer := 0; wz integer := 0; wp integer := 0;
  fp integer := 0; fz integer := 0; point integer := 0; e integer; t text; w text; f text; out text := ''; ws integer := 0;
  fs integer := 0; r integer;
BEGIN
  WHILE i <= n LOOP
    ch := substr(s, i, 1);
    IF ch IN ('''', '"') THEN e := strpos(substr(s, i + 1), ch); i := CASE WHEN e = 0 THEN n ELSE i + e END;
    ELSIF ch = '\' THEN i := i + 1;
    ELSIF ch = '%' THEN pct := true;
    ELSIF ch = '.' AND NOT infrac THEN infrac := true; point := i; scale := commas;
    ELSIF ch = ',' AND NOT infrac THEN IF seen THEN commas := commas + 1; END IF;
    ELSIF ch IN ('0', '#') THEN
      IF NOT infrac AND commas > 0 THEN grp := true; commas := 0; scale := 0; END IF;
      seen := true;
      IF infrac THEN fp := fp + 1; IF ch = '0' THEN fz := fp; END IF;
      ELSE wp := wp + 1; IF ch = '0' OR wz > 0 THEN wz := wz + 1; END IF; END IF;
    END IF;
    i := i + 1;
  END LOOP;
  IF NOT infrac THEN scale := commas; END IF;
  t := round(abs(v) * 10::numeric ^ ((CASE WHEN pct THEN 2 ELSE 0 END) - 3 * scale), fp)::text;
  w := ltrim(split_part(t, '.', 1), '0'); f := rtrim(rpad(split_part(t, '.', 2), fp, '0'), '0');
  f := rpad(f, greatest(fz, char_length(f)), '0');
  w := lpad(w, greatest(wz, char_length(w)), '0');
  i := 1;
  WHILE i <= n LOOP
    ch := substr(s, i, 1);
    IF ch IN ('''', '"') THEN
      e := strpos(substr(s, i + 1), ch);
      out := out || substr(s, i + 1, CASE WHEN e = 0 THEN n ELSE e - 1 END); i := CASE WHEN e = 0 THEN n ELSE i + e END;
    ELSIF ch = '\' THEN i := i + 1; out := out || substr(s, i, 1);
    ELSIF i = point THEN infrac := true; IF f <> '' THEN out := out || c[1]; END IF;
    ELSIF ch IN ('0', '#') AND i > point AND point > 0 THEN
      fs := fs + 1; out := out || substr(f, fs, 1);
    ELSIF ch IN ('0', '#') THEN
      ws := ws + 1; r := wp - ws;
      IF grp THEN IF ws = 1 AND w <> '' THEN out := out || regexp_replace(w, '(\d)(?=(\d{3})+$)', '\1' || c[2], 'g'); END IF;
      ELSIF ws = 1 AND char_length(w) > r THEN out := out || left(w, char_length(w) - r);
      ELSIF r < char_length(w) THEN out := out || substr(w, char_length(w) - r, 1);
      END IF;
    ELSIF ch <> ',' THEN out := out || ch;
    END IF;
    i := i + 1;
  END LOOP;
  RETURN out;
END $$;
CREATE OR REPLACE FUNCTION tsql_fmt_custom(v numeric, f text, c text[]) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE secs text[] := ARRAY[]::text[]; ch text COLLATE "C"; i integer := 1; st integer := 1; e integer;
  n integer := char_length(f); shown text;
BEGIN
  WHILE i <= n + 1 LOOP
    ch := substr(f, i, 1);
    IF i <= n AND ch IN ('''', '"') THEN e := strpos(substr(f, i + 1), ch); i := CASE WHEN e = 0 THEN n ELSE i + e END;
    ELSIF i <= n AND ch = '\' THEN i := i + 1;
    ELSIF i > n OR ch = ';' THEN secs := secs || substr(f, st, i - st); st := i + 1;
    END IF;
    i := i + 1;
  END LOOP;
  shown := tsql_fmt_section(v, secs[1], c);
  IF shown !~ '[1-9]' AND coalesce(secs[3], '') <> '' THEN RETURN tsql_fmt_section(v, secs[3], c); END IF;
  IF v < 0 AND coalesce(secs[2], '') <> '' THEN RETURN tsql_fmt_section(v, secs[2], c); END IF;
  RETURN CASE WHEN v < 0 AND shown ~ '[1-9]' THEN '-' ELSE '' END || shown;
END $$;
)SQL";

// Dates: a pattern written token by token; the standard letters stand for patterns.
constexpr const char* kDatesSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_fmt_token(ch text, k integer, d timestamp, c text[]) RETURNS text
  LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE ch COLLATE "C"
    WHEN 'd' THEN CASE k WHEN 1 THEN extract(day FROM d)::integer::text WHEN 2 THEN to_char(d, 'DD')
      WHEN 3 THEN split_part(c[21], '|', extract(dow FROM d)::integer + 1) ELSE split_part(c[20], '|', extract(dow FROM d)::integer + 1) END
    WHEN 'M' THEN CASE k WHEN 1 THEN extract(month FROM d)::integer::text WHEN 2 THEN to_char(d, 'MM')
      WHEN 3 THEN split_part(c[19], '|', extract(month FROM d)::integer) ELSE split_part(c[18], '|', extract(month FROM d)::integer) END
    WHEN 'y' THEN CASE k WHEN 1 THEN (extract(year FROM d)::integer % 100)::text WHEN 2 THEN to_char(d, 'YY')
      ELSE lpad(extract(year FROM d)::integer::text, k, '0') END
    WHEN 'h' THEN CASE k WHEN 1 THEN ltrim(to_char(d, 'HH12'), '0') ELSE to_char(d, 'HH12') END
    WHEN 'H' THEN CASE k WHEN 1 THEN extract(hour FROM d)::integer::text ELSE to_char(d, 'HH24') END
    WHEN 'm' THEN CASE k WHEN 1 THEN extract(minute FROM d)::integer::text ELSE to_char(d, 'MI') END
    WHEN 's' THEN CASE k WHEN 1 THEN trunc(extract(second FROM d))::integer::text ELSE to_char(d, 'SS') END
    WHEN 'f' THEN left(to_char(d, 'US') || '0', k)
    WHEN 'F' THEN rtrim(left(to_char(d, 'US') || '0', k), '0')
    WHEN 't' THEN CASE WHEN k = 1 THEN left(CASE WHEN extract(hour FROM d) < 12 THEN c[16] ELSE c[17] END, 1)
      ELSE CASE WHEN extract(hour FROM d) < 12 THEN c[16] ELSE c[17] END END
    ELSE repeat(ch, k) END $$;
CREATE OR REPLACE FUNCTION tsql_fmt_date(d timestamp, p text, c text[]) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE ch text COLLATE "C"; i integer := 1; j integer; n integer := char_length(p); e integer; out text := '';
BEGIN
  IF p IS NULL THEN RETURN NULL; END IF;  -- a letter .NET does not know
  WHILE i <= n LOOP
    ch := substr(p, i, 1);
    IF ch IN ('''', '"') THEN
      e := strpos(substr(p, i + 1), ch);
      IF e = 0 THEN RETURN NULL; END IF;
      out := out || substr(p, i + 1, e - 1); i := i + e + 1;
    ELSIF ch = '\' THEN out := out || substr(p, i + 1, 1); i := i + 2;
    ELSIF ch = '%' THEN i := i + 1;
    ELSIF ch = '/' THEN out := out || c[9]; i := i + 1;
    ELSIF strpos('dMyhHmsfFt', ch) > 0 THEN
      j := i;
      WHILE j <= n AND substr(p, j, 1) COLLATE "C" = ch LOOP j := j + 1; END LOOP;
      IF ch IN ('f', 'F') AND j - i > 7 THEN RETURN NULL; END IF;
      out := out || tsql_fmt_token(ch, j - i, d, c); i := j;
    ELSE out := out || ch; i := i + 1;
    END IF;
  END LOOP;
  RETURN out;
END $$;
CREATE OR REPLACE FUNCTION tsql_fmt_date_standard(d timestamp, f text, c text[]) RETURNS text LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN f COLLATE "C" IN ('s', 'u', 'o', 'O', 'r', 'R') THEN tsql_fmt_date(d, CASE f COLLATE "C"
      WHEN 's' THEN 'yyyy''-''MM''-''dd''T''HH'':''mm'':''ss' WHEN 'u' THEN 'yyyy''-''MM''-''dd HH'':''mm'':''ss''Z'''
      WHEN 'r' THEN 'ddd, dd MMM yyyy HH'':''mm'':''ss ''GMT''' WHEN 'R' THEN 'ddd, dd MMM yyyy HH'':''mm'':''ss ''GMT'''
      ELSE 'yyyy''-''MM''-''dd''T''HH'':''mm'':''ss''.''fffffff' END, tsql_fmt_culture(''))
    ELSE tsql_fmt_date(d, CASE f COLLATE "C" WHEN 'd' THEN c[10] WHEN 'D' THEN c[11] WHEN 't' THEN c[12] WHEN 'T' THEN c[13]
      WHEN 'f' THEN c[11] || ' ' || c[12] WHEN 'F' THEN c[11] || ' ' || c[13] WHEN 'g' THEN c[10] || ' ' || c[12]
      WHEN 'G' THEN c[10] || ' ' || c[13] WHEN 'm' THEN c[14] WHEN 'M' THEN c[14] WHEN 'y' THEN c[15] WHEN 'Y' THEN c[15] END, c)
    END $$;
)SQL";

// A datetimeoffset's text as .NET writes a DateTimeOffset: its local time as a date's,
// o with the offset, u and r at UTC, z zz zzz and K its offset (written into the
// pattern as quoted text first).
constexpr const char* kOffsetSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_fmt_offset_pattern(p text, z text) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE ch text COLLATE "C"; i integer := 1; j integer; n integer := char_length(p); e integer; out text := '';
        h text := ltrim(substr(z, 2, 2), '0');
BEGIN
  WHILE i <= n LOOP
    ch := substr(p, i, 1);
    IF ch IN ('''', '"') THEN
      e := strpos(substr(p, i + 1), ch);
      IF e = 0 THEN RETURN p; END IF;  -- left for tsql_fmt_date to refuse
      out := out || substr(p, i, e + 1); i := i + e + 1;
    ELSIF ch = '\' THEN out := out || substr(p, i, 2); i := i + 2;
    ELSIF ch = 'K' THEN out := out || '"' || z || '"'; i := i + 1;
    ELSIF ch = 'z' THEN
      j := i;
      WHILE j <= n AND substr(p, j, 1) COLLATE "C" = 'z' LOOP j := j + 1; END LOOP;
      out := out || '"' || CASE j - i WHEN 1 THEN left(z, 1) || CASE WHEN h = '' THEN '0' ELSE h END
                                      WHEN 2 THEN left(z, 3) ELSE z END || '"';
      i := j;
    ELSE out := out || ch; i := i + 1;
    END IF;
  END LOOP;
  RETURN out;
END $$;
CREATE OR REPLACE FUNCTION tsql_fmt_offset(v text, f text, c text[]) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE sp integer := char_length(v) - 6; local timestamp := left(v, sp - 1)::timestamp; z text := substr(v, sp + 1);
        minutes integer := CASE WHEN left(z, 1) = '-' THEN -1 ELSE 1 END * (substr(z, 2, 2)::integer * 60 + substr(z, 5, 2)::integer);
BEGIN
  IF f COLLATE "C" IN ('o', 'O') THEN
    RETURN tsql_fmt_date(local, 'yyyy''-''MM''-''dd''T''HH'':''mm'':''ss''.''fffffff', tsql_fmt_culture('')) || z;
  END IF;
  IF f COLLATE "C" IN ('u', 'r', 'R') THEN RETURN tsql_fmt_date_standard(local - make_interval(mins => minutes), f, c); END IF;
  IF f = '' THEN RETURN tsql_fmt_date(local, c[10] || ' ' || c[13], c) || ' ' || z; END IF;
  IF char_length(f) = 1 THEN RETURN tsql_fmt_date_standard(local, f, c); END IF;
  RETURN tsql_fmt_date(local, tsql_fmt_offset_pattern(f, z), c);
END $$;
)SQL";

// tsql_format itself, one signature a kind of value the translator casts to.
constexpr const char* kFormatSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_fmt_checked(culture text) RETURNS text[] LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE c text[] := tsql_fmt_culture(culture);
BEGIN
  IF c IS NULL THEN
    RAISE EXCEPTION 'The culture parameter ''%'' provided in the function call is not supported.', culture;
  END IF;
  RETURN c;
END $$;
CREATE OR REPLACE FUNCTION tsql_format(v numeric, f text, culture text, kind text) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE c text[];
BEGIN
  IF v IS NULL OR f IS NULL OR culture IS NULL THEN RETURN NULL; END IF;
  c := tsql_fmt_checked(culture);
  IF f = '' THEN RETURN replace(v::text, '.', c[1]); END IF;
  IF f COLLATE "C" ~ '^[A-Za-z][0-9]{0,2}$' THEN RETURN tsql_fmt_standard(v, kind, f, c); END IF;
  RETURN tsql_fmt_custom(v, f, c);
END $$;
CREATE OR REPLACE FUNCTION tsql_format(v bigint, f text, culture text, kind text) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT tsql_format(v::numeric, f, culture, kind) $$;
CREATE OR REPLACE FUNCTION tsql_format(v double precision, f text, culture text, kind text) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT tsql_format(v::numeric, f, culture, kind) $$;
CREATE OR REPLACE FUNCTION tsql_format(v timestamp, f text, culture text, kind text) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE c text[];
BEGIN
  IF v IS NULL OR f IS NULL OR culture IS NULL THEN RETURN NULL; END IF;
  c := tsql_fmt_checked(culture);
  IF char_length(f) = 1 THEN RETURN tsql_fmt_date_standard(v, f, c); END IF;
  RETURN tsql_fmt_date(v, CASE WHEN f = '' THEN c[10] || ' ' || c[13] ELSE f END, c);
END $$;
)SQL";

}  // namespace

std::string formatRuntimeSql() {
  return std::string(kCulturesSql) + kNumbersSql + kDatesSql + kOffsetSql + kFormatSql;
}

}  // namespace db::pg
