// The server runtime's varbinary conversions. A varbinary value is kept as its "0x..."
// text, as in the embedded file: text becomes its own bytes (style 1 reads "0x...",
// style 2 bare hex) cut on the right, an integer its big-endian bytes cut on the left;
// back to text, style 0 gives the bytes as characters, 1 the "0x..." form, 2 bare hex.
// Money, float, the dates and decimals go to and from bytes laid out as SQL Server
// keeps them, and binary(n) is padded with zero bytes, as in the embedded engine.
#include "db/pg_runtime.h"

namespace db::pg {

namespace {

constexpr const char* kBinarySql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_hex_bytes(hex text) RETURNS bytea LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
  IF char_length(hex) % 2 = 1 OR hex COLLATE "C" !~ '^[0-9A-Fa-f]*$' THEN
    RAISE EXCEPTION 'Error converting data type varchar to varbinary.';
  END IF;
  RETURN decode(hex, 'hex');
END $$;
CREATE OR REPLACE FUNCTION tsql_binary_bytes(x text) RETURNS bytea LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
  IF left(x, 2) COLLATE "C" NOT IN ('0x', '0X') THEN
    RAISE EXCEPTION 'Error converting data type varchar to varbinary.';
  END IF;
  RETURN tsql_hex_bytes(substr(x, 3));
END $$;
CREATE OR REPLACE FUNCTION tsql_bytes_text(b bytea) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT '0x' || upper(encode(b, 'hex')) $$;
-- CAST / CONVERT(varbinary(n), x, style): from text (width 0) or an integer of width bytes
CREATE OR REPLACE FUNCTION tsql_to_binary(x text, width bigint, style bigint, n bigint) RETURNS text
  LANGUAGE sql IMMUTABLE AS $$
  SELECT tsql_bytes_text(CASE WHEN n > 0 THEN substr(b, 1, n::integer) ELSE b END)
  FROM (SELECT CASE style WHEN 1 THEN tsql_binary_bytes(x) WHEN 2 THEN tsql_hex_bytes(x)
                 ELSE convert_to(x, 'UTF8') END AS b) s $$;
CREATE OR REPLACE FUNCTION tsql_to_binary(x bigint, width bigint, style bigint, n bigint) RETURNS text
  LANGUAGE sql IMMUTABLE AS $$
  SELECT tsql_bytes_text(CASE WHEN n > 0 AND n < length(b) THEN substr(b, length(b) - n::integer + 1) ELSE b END)
  FROM (SELECT substr(int8send(x), 9 - greatest(width, 1)::integer) AS b) s $$;
CREATE OR REPLACE FUNCTION tsql_binary_text(x text, style bigint) RETURNS text LANGUAGE sql STABLE AS $$
  SELECT CASE style WHEN 1 THEN tsql_bytes_text(tsql_binary_bytes(x))
    WHEN 2 THEN substr(tsql_bytes_text(tsql_binary_bytes(x)), 3)
    ELSE convert_from(tsql_binary_bytes(x), 'UTF8') END $$;
CREATE OR REPLACE FUNCTION tsql_binary_cut(x text, n bigint) RETURNS text LANGUAGE sql IMMUTABLE AS
$$ SELECT tsql_bytes_text(CASE WHEN n > 0 THEN substr(tsql_binary_bytes(x), 1, n::integer) ELSE tsql_binary_bytes(x) END) $$;
-- the last `width` bytes as a big-endian integer; a full-width value's top bit is its sign
CREATE OR REPLACE FUNCTION tsql_binary_int(x text, width bigint) RETURNS bigint LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE b bytea := tsql_binary_bytes(x); u numeric := 0;
BEGIN
  IF x IS NULL THEN RETURN NULL; END IF;
  IF length(b) > width THEN b := substr(b, length(b) - width::integer + 1); END IF;
  FOR i IN 0 .. length(b) - 1 LOOP u := u * 256 + get_byte(b, i); END LOOP;
  IF length(b) = width AND length(b) > 0 AND get_byte(b, 0) >= 128 THEN u := u - 256::numeric ^ width; END IF;
  RETURN u::bigint;
END $$;
-- binary(n): zero bytes on the right (text, binary) or on the left (numbers) up to n
CREATE OR REPLACE FUNCTION tsql_binary_pad(x text, n bigint, on_left bigint) RETURNS text LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN x IS NULL OR char_length(x) >= 2 + 2 * least(greatest(n, 0), 8000) THEN x
    WHEN on_left <> 0 THEN '0x' || lpad(substr(x, 3), 2 * least(greatest(n, 0), 8000)::integer, '0')
    ELSE x || repeat('0', (2 + 2 * least(greatest(n, 0), 8000) - char_length(x))::integer) END $$;
-- money as its count of ten-thousandths, and back
CREATE OR REPLACE FUNCTION tsql_money_raw(x numeric) RETURNS bigint LANGUAGE sql IMMUTABLE AS
$$ SELECT (x * 10000)::bigint $$;
CREATE OR REPLACE FUNCTION tsql_raw_money(x bigint) RETURNS numeric LANGUAGE sql IMMUTABLE AS
$$ SELECT (x::numeric / 10000)::numeric(19,4) $$;
-- a float's IEEE bits (a real's four bytes when width is 4), as one integer
CREATE OR REPLACE FUNCTION tsql_float_bits(x float8, width bigint) RETURNS bigint LANGUAGE sql IMMUTABLE AS $$
  SELECT ('x' || lpad(encode(CASE WHEN width = 4 THEN float4send(x::float4) ELSE float8send(x) END, 'hex'), 16, '0'))
    ::bit(64)::bigint $$;
-- datetime: days from 1900-01-01 in the high four bytes, 1/300 s of the day in the low
-- four; smalldatetime (width 4): days in the high two, minutes in the low two
CREATE OR REPLACE FUNCTION tsql_datetime_bits(x timestamp, width bigint) RETURNS bigint LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE days bigint; in_day bigint;
BEGIN
  IF x IS NULL THEN RETURN NULL; END IF;
  days := x::date - date '1900-01-01';
  in_day := round(extract(epoch FROM x - x::date::timestamp) * 1000)::bigint;
  IF width = 4 THEN RETURN (days << 16) | (in_day / 60000); END IF;
  RETURN (days << 32) | ((in_day * 3 + 5) / 10);
END $$;
CREATE OR REPLACE FUNCTION tsql_bits_datetime(x bigint, width bigint) RETURNS timestamp(3) LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE days bigint; in_day bigint; d timestamp;
BEGIN
  IF x IS NULL THEN RETURN NULL; END IF;
  IF width = 4 THEN days := (x >> 16) & 65535; in_day := (x & 65535) * 60000;
  ELSE days := x >> 32; in_day := round((x & 4294967295) * 10 / 3.0);
  END IF;
  d := timestamp '1900-01-01' + days * interval '1 day' + in_day * interval '1 millisecond';
  IF extract(year FROM d) < 1753 OR extract(year FROM d) > 9999 THEN
    RAISE EXCEPTION 'Arithmetic overflow error converting expression to data type %.',
      CASE WHEN width = 4 THEN 'smalldatetime' ELSE 'datetime' END;
  END IF;
  RETURN d;
END $$;
-- a decimal(p,s): p, s, a zero byte, its sign (1 positive), then its unscaled magnitude
-- least significant byte first, in four-byte words
CREATE OR REPLACE FUNCTION tsql_decimal_binary(x numeric, p bigint, s bigint) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE prec integer := least(greatest(p, 1), 38); sc integer := least(greatest(s, 0), prec);
  u numeric; hex text := '';
BEGIN
  IF x IS NULL THEN RETURN NULL; END IF;
  u := abs(round(x, sc)) * power(10::numeric, sc);
  WHILE u > 0 LOOP
    hex := hex || lpad(to_hex(mod(u, 256)::integer), 2, '0');
    u := div(u, 256);
  END LOOP;
  hex := rpad(hex, greatest(8, (char_length(hex) + 7) / 8 * 8), '0');
  RETURN '0x' || upper(lpad(to_hex(prec), 2, '0') || lpad(to_hex(sc), 2, '0') || '00' ||
                       CASE WHEN round(x, sc) < 0 THEN '00' ELSE '01' END || hex);
END $$;
-- the decimal those bytes hold, exactly
CREATE OR REPLACE FUNCTION tsql_binary_decimal(x text) RETURNS numeric LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE b bytea; sc integer; u numeric := 0; t text;
BEGIN
  IF x IS NULL THEN RETURN NULL; END IF;
  b := tsql_binary_bytes(x);
  IF length(b) < 5 THEN RAISE EXCEPTION 'Error converting data type varbinary to numeric.'; END IF;
  sc := get_byte(b, 1);
  FOR i IN REVERSE length(b) - 1 .. 4 LOOP u := u * 256 + get_byte(b, i); END LOOP;
  IF sc > 38 OR u >= power(10::numeric, 38) THEN
    RAISE EXCEPTION 'Error converting data type varbinary to numeric.';
  END IF;
  t := u::text;
  IF char_length(t) <= sc THEN t := repeat('0', sc + 1 - char_length(t)) || t; END IF;  -- lpad would cut
  IF sc > 0 THEN t := left(t, char_length(t) - sc) || '.' || right(t, sc); END IF;
  IF get_byte(b, 3) = 0 AND u <> 0 THEN t := '-' || t; END IF;
  RETURN t::numeric;
END $$;
)SQL";

}  // namespace

std::string binaryRuntimeSql() { return kBinarySql; }

}  // namespace db::pg
