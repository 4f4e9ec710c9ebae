// The server runtime's varbinary conversions. A varbinary value is kept as its "0x..."
// text, as in the embedded file: text becomes its own bytes (style 1 reads "0x...",
// style 2 bare hex) cut on the right, an integer its big-endian bytes cut on the left;
// back to text, style 0 gives the bytes as characters, 1 the "0x..." form, 2 bare hex.
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
CREATE OR REPLACE FUNCTION tsql_binary_text(x text, style bigint) RETURNS text LANGUAGE sql IMMUTABLE AS $$
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
)SQL";

}  // namespace

std::string binaryRuntimeSql() { return kBinarySql; }

}  // namespace db::pg
