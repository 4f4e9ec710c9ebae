// The server runtime's text functions: T-SQL LIKE patterns as regular expressions,
// the text builders (replicate, stuff, patindex, str), DATALENGTH of text, a float as
// text and money written as text ('$1,234.56'). Each mirrors the embedded runtime's function of the
// same name, so a batch gives the same text on both databases.
#include "db/pg_runtime.h"

namespace db::pg {

namespace {

// A LIKE pattern (already in lower case) as an anchored regular expression: % any
// run, _ one character, [a-c] / [^x] a class, the escape character making the next
// one plain. Blanks after the match are padding ('ab   ' is like 'ab_'), as in T-SQL.
constexpr const char* kLikeSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_like_plain(c text) RETURNS text LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN c COLLATE "C" ~ '^[[:alnum:]]$' OR ascii(c) > 127 THEN c ELSE '\' || c END $$;
CREATE OR REPLACE FUNCTION tsql_like_class(p text, INOUT i integer, OUT re text) LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE q integer := i + 1; negate boolean; first boolean := true; lo text; hi text; items text := '';
BEGIN
  negate := substr(p, q, 1) COLLATE "C" = '^';
  IF negate THEN q := q + 1; END IF;
  WHILE q <= char_length(p) AND (substr(p, q, 1) COLLATE "C" <> ']' OR first) LOOP
    first := false;
    lo := substr(p, q, 1); hi := lo; q := q + 1;
    IF q < char_length(p) AND substr(p, q, 1) COLLATE "C" = '-' AND substr(p, q + 1, 1) COLLATE "C" <> ']' THEN
      hi := substr(p, q + 1, 1); q := q + 2;
    END IF;
    IF ascii(lo) <= ascii(hi) THEN items := items || tsql_like_plain(lo) || '-' || tsql_like_plain(hi); END IF;
  END LOOP;
  IF q > char_length(p) THEN re := NULL; RETURN; END IF;  -- no ']': the '[' is plain
  i := q;
  re := CASE WHEN items = '' THEN (CASE WHEN negate THEN '.' ELSE '(?!)' END)
             ELSE '[' || CASE WHEN negate THEN '^' ELSE '' END || items || ']' END;
END $$;
CREATE OR REPLACE FUNCTION tsql_like_regex(p text, esc text) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE re text := '^'; i integer := 1; j integer; c text; cls text; n integer := char_length(p);
BEGIN
  IF p IS NULL THEN RETURN NULL; END IF;
  WHILE i <= n LOOP
    c := substr(p, i, 1) COLLATE "C";
    IF c = '%' THEN re := re || '.*';
    ELSIF c = '_' THEN re := re || '.';
    ELSE
      cls := NULL;
      IF c = '[' THEN SELECT r.i, r.re INTO j, cls FROM tsql_like_class(p, i) r; END IF;
      IF cls IS NOT NULL THEN
        i := j; re := re || cls;
      ELSE
        IF c = esc COLLATE "C" AND i < n THEN i := i + 1; c := substr(p, i, 1); END IF;
        re := re || tsql_like_plain(c);
      END IF;
    END IF;
    i := i + 1;
  END LOOP;
  RETURN re || ' *$';
END $$;
)SQL";

// The text builders, counting characters as the embedded runtime does.
constexpr const char* kBuildersSql = R"SQL(
CREATE OR REPLACE FUNCTION replicate(s text, n bigint) RETURNS text LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN n < 0 THEN NULL WHEN octet_length(s) = 0 THEN ''
    ELSE repeat(s, least(n, 8000 / octet_length(s))::integer) END $$;
CREATE OR REPLACE FUNCTION stuff(s text, start bigint, n bigint, r text) RETURNS text LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN start < 1 OR start > char_length(s) OR n < 0 THEN NULL
    ELSE substr(s, 1, (start - 1)::integer) || coalesce(r, '') || substr(s, least(start + n, char_length(s) + 1)::integer) END $$;
CREATE OR REPLACE FUNCTION patindex(p text, s text) RETURNS bigint LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE anywhere boolean := left(p, 1) COLLATE "C" = '%'; re text; v text COLLATE "C" := lower(s);
BEGIN
  IF p IS NULL OR s IS NULL THEN RETURN NULL; END IF;
  re := tsql_like_regex(lower(CASE WHEN anywhere THEN substr(p, 2) ELSE p END), NULL);
  FOR i IN 1 .. CASE WHEN anywhere THEN char_length(v) + 1 ELSE 1 END LOOP
    IF substr(v, i) COLLATE "C" ~ re THEN RETURN i; END IF;
  END LOOP;
  RETURN 0;
END $$;
-- STR: rounded half away from zero, right-aligned; decimals give way before the whole
-- part does, then asterisks
CREATE OR REPLACE FUNCTION str(x numeric, width bigint DEFAULT 10, decimals bigint DEFAULT 0) RETURNS text
  LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE d integer := least(greatest(decimals, 0), 16); t text;
BEGIN
  IF x IS NULL OR width IS NULL OR decimals IS NULL OR width <= 0 OR width > 8000 THEN RETURN NULL; END IF;
  LOOP
    t := round(x, d)::text;
    EXIT WHEN char_length(t) <= width OR d = 0;
    d := d - 1;
  END LOOP;
  IF char_length(t) > width THEN RETURN repeat('*', width::integer); END IF;
  RETURN lpad(t, width::integer);
END $$;
CREATE OR REPLACE FUNCTION str(x float8, width bigint DEFAULT 10, decimals bigint DEFAULT 0) RETURNS text
  LANGUAGE sql IMMUTABLE AS $$ SELECT str(x::numeric, width, decimals) $$;
-- bytes of text: nvarchar two a character (four beyond the BMP); varchar one for
-- ASCII and two for any other character, as in the shop's double-byte code page
CREATE OR REPLACE FUNCTION tsql_datalength(s text, wide integer) RETURNS bigint LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN s IS NULL THEN NULL
    WHEN wide = 2 THEN 2 * char_length(s) + 2 * char_length(regexp_replace(s COLLATE "C", '[\u0001-\uffff]', '', 'g'))
    ELSE 2 * char_length(s) - char_length(regexp_replace(s COLLATE "C", '[^\u0001-\u007f]', '', 'g')) END $$;
)SQL";

// A float as text the way CAST(float AS varchar) writes it: six significant digits,
// scientific with three exponent digits below 1e-4 and from 1e6 on (1e+006).
constexpr const char* kFloatTextSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_float_text(x float8) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE sci text; e integer; mantissa text;
BEGIN
  IF x IS NULL THEN RETURN NULL; END IF;
  IF x = 0 THEN RETURN '0'; END IF;
  sci := btrim(to_char(x, '9.99999EEEE'));
  e := split_part(sci, 'e', 2)::integer;
  IF e < -4 OR e >= 6 THEN
    mantissa := regexp_replace(split_part(sci, 'e', 1), '\.?0+$', '');
    RETURN mantissa || 'e' || CASE WHEN e < 0 THEN '-' ELSE '+' END || lpad(abs(e)::text, 3, '0');
  END IF;
  RETURN regexp_replace(round(x::numeric, 5 - e)::text, '(\.[0-9]*[1-9])0+$|\.0+$', '\1');
END $$;
CREATE OR REPLACE FUNCTION tsql_float_text(x numeric) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT tsql_float_text(x::float8) $$;
)SQL";

// Money from text: a $ before the digits and commas between the whole digits go first.
constexpr const char* kMoneyTextSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_money(x text) RETURNS numeric(19,4) LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE t text := btrim(x); plain text := ''; point integer; c text;
BEGIN
  IF x IS NULL THEN RETURN NULL; END IF;
  point := coalesce(nullif(strpos(t, '.'), 0), char_length(t) + 1);
  FOR i IN 1 .. char_length(t) LOOP
    c := substr(t, i, 1);
    CONTINUE WHEN c = '$' AND plain !~ '[0-9]';
    CONTINUE WHEN c = ',' AND i < point AND plain ~ '[0-9]$';
    plain := plain || c;
  END LOOP;
  plain := btrim(plain);
  IF plain = '' THEN RETURN 0; END IF;
  IF plain !~ '^[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)$' THEN
    RAISE EXCEPTION 'Cannot convert a char value to money. The char value has incorrect syntax.';
  END IF;
  RETURN tsql_money(plain::numeric);
END $$;
)SQL";

}  // namespace

std::string textRuntimeSql() { return std::string(kLikeSql) + kBuildersSql + kFloatTextSql + kMoneyTextSql; }

}  // namespace db::pg
