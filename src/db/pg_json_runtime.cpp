// The server's JSON functions and table functions, as the embedded runtime's
// (tsql/runtime/json_text.cpp): the json type keeps each value's text as written, so
// JSON_QUERY and OPENJSON hand back fragments unchanged; JSON_MODIFY writes the
// containers along its path again compactly. A path is read into an array: its mode
// ('' lax, 's' strict, 'a' append), then 'k' || key and 'i' || index steps.
#include "db/pg_runtime.h"

namespace db::pg {

namespace {

constexpr const char* kReadingSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_json_doc(t text) RETURNS json LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE d text COLLATE "C"; c text COLLATE "C"; tok text COLLATE "C"; pos integer;
BEGIN
  RETURN t::json;
EXCEPTION WHEN invalid_text_representation THEN
  GET STACKED DIAGNOSTICS d = PG_EXCEPTION_DETAIL, c = PG_EXCEPTION_CONTEXT;
  tok := coalesce(substring(d from '^Token "(.*)" is invalid'), '');
  c := substring(c from 'JSON data, line \d+: (.*)\.\.\.');
  pos := CASE WHEN c IS NULL OR tok = '' THEN char_length(t) ELSE char_length(c) - char_length(tok) END;
  RAISE EXCEPTION 'JSON text is not properly formatted. Unexpected character ''%'' is found at position %.', left(tok, 1), pos;
END $$;
CREATE OR REPLACE FUNCTION tsql_json_path_error(p text, i integer) RETURNS text[] LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
  RAISE EXCEPTION 'JSON path is not properly formatted. Unexpected character ''%'' is found at position %.', substr(p, i, 1), i - 1;
END $$;
CREATE OR REPLACE FUNCTION tsql_json_path(path text, allow_append boolean) RETURNS text[] LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE p text COLLATE "C" := path; i integer := 1; flags text := ''; r text[]; k text COLLATE "C"; rest text COLLATE "C";
BEGIN
  IF allow_append AND p ~ '^append ' THEN flags := 'a'; i := 7 + char_length(substring(substr(p, 7) from '^ +')); END IF;
  rest := substr(p, i);
  IF rest ~ '^strict ' THEN flags := flags || 's'; i := i + 6 + char_length(substring(substr(p, i + 6) from '^ +'));
  ELSIF rest ~ '^lax ' THEN i := i + 3 + char_length(substring(substr(p, i + 3) from '^ +'));
  END IF;
  IF substr(p, i, 1) <> '$' THEN RETURN tsql_json_path_error(p, i); END IF;
  i := i + 1;
  r := ARRAY[flags];
  WHILE i <= char_length(p) LOOP
    IF substr(p, i, 1) = '[' THEN
      k := substring(substr(p, i + 1) from '^[0-9]{1,9}');
      IF k IS NULL THEN RETURN tsql_json_path_error(p, i + 1); END IF;
      i := i + 1 + char_length(k);
      IF substr(p, i, 1) <> ']' THEN RETURN tsql_json_path_error(p, i); END IF;
      r := r || ('i' || k::integer);
    ELSIF substr(p, i, 1) = '.' THEN
      i := i + 1;
      IF substr(p, i, 1) = '"' THEN
        k := substring(substr(p, i) from '^"(?:[^"\\]|\\.)*"');
        IF k IS NULL THEN RETURN tsql_json_path_error(p, i); END IF;
        r := r || ('k' || (k::json #>> '{}'));
      ELSE
        k := substring(substr(p, i) from '^[^.\[ "\]]+');
        IF k IS NULL THEN RETURN tsql_json_path_error(p, i); END IF;
        r := r || ('k' || k);
      END IF;
      i := i + char_length(k) - 1;
    ELSE
      RETURN tsql_json_path_error(p, i);
    END IF;
    i := i + 1;
  END LOOP;
  RETURN r;
END $$;
-- the value the path's steps lead to; NULL where a member or element is missing (a
-- JSON null is the json value null); the first of repeated keys
CREATE OR REPLACE FUNCTION tsql_json_at(j json, s text[]) RETURNS json LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
  FOR n IN 2 .. cardinality(s) LOOP
    IF j IS NULL THEN RETURN NULL; END IF;
    IF left(s[n], 1) = 'i' THEN
      IF json_typeof(j) <> 'array' THEN RETURN NULL; END IF;
      j := j -> substr(s[n], 2)::integer;
    ELSE
      IF json_typeof(j) <> 'object' THEN RETURN NULL; END IF;
      j := (SELECT e.value FROM json_each(j) WITH ORDINALITY AS e(key, value, o)
            WHERE e.key COLLATE "C" = substr(s[n], 2) ORDER BY e.o LIMIT 1);
    END IF;
  END LOOP;
  RETURN j;
END $$;
CREATE OR REPLACE FUNCTION tsql_json_text(v json) RETURNS text LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE json_typeof(v) WHEN 'string' THEN v #>> '{}' WHEN 'null' THEN NULL ELSE v::text END $$;
CREATE OR REPLACE FUNCTION tsql_json_kind(v json) RETURNS integer LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE json_typeof(v) WHEN 'null' THEN 0 WHEN 'string' THEN 1 WHEN 'number' THEN 2 WHEN 'boolean' THEN 3
    WHEN 'array' THEN 4 ELSE 5 END $$;
CREATE OR REPLACE FUNCTION tsql_json_quote(s text) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE r text COLLATE "C" := replace(replace(replace(s COLLATE "C", '\', '\\'), '"', '\"'), '/', '\/');
BEGIN
  r := replace(replace(replace(replace(replace(r, chr(8), '\b'), chr(12), '\f'), chr(10), '\n'), chr(13), '\r'), chr(9), '\t');
  IF r ~ '[\x01-\x1f]' THEN
    FOR c IN 1 .. 31 LOOP r := replace(r, chr(c), '\u' || lpad(to_hex(c), 4, '0')); END LOOP;
  END IF;
  RETURN '"' || r || '"';
END $$;
)SQL";

constexpr const char* kFunctionsSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_isjson(t text, kind text DEFAULT '') RETURNS integer LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE ty text;
BEGIN
  IF t IS NULL THEN RETURN NULL; END IF;
  BEGIN
    ty := json_typeof(t::json);
  EXCEPTION WHEN invalid_text_representation THEN
    RETURN 0;  -- not JSON: the answer, not an error
  END;
  RETURN CASE lower(kind) WHEN '' THEN ty IN ('object', 'array') WHEN 'value' THEN true
    WHEN 'scalar' THEN ty NOT IN ('object', 'array') WHEN 'array' THEN ty = 'array' ELSE ty = 'object' END::integer;
END $$;
CREATE OR REPLACE FUNCTION tsql_json_value(t text, p text) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE s text[]; j json; r text;
BEGIN
  IF t IS NULL OR p IS NULL THEN RETURN NULL; END IF;
  s := tsql_json_path(p, false);
  j := tsql_json_at(tsql_json_doc(t), s);
  IF j IS NULL THEN
    IF s[1] COLLATE "C" LIKE '%s%' THEN RAISE EXCEPTION 'Property cannot be found on the specified JSON path.'; END IF;
    RETURN NULL;
  END IF;
  IF json_typeof(j) IN ('object', 'array') THEN
    IF s[1] COLLATE "C" LIKE '%s%' THEN RAISE EXCEPTION 'Scalar value cannot be found in the specified JSON path.'; END IF;
    RETURN NULL;
  END IF;
  r := tsql_json_text(j);
  IF char_length(r) > 4000 THEN
    IF s[1] COLLATE "C" LIKE '%s%' THEN RAISE EXCEPTION 'String value in the specified JSON path would be truncated.'; END IF;
    RETURN NULL;
  END IF;
  RETURN r;
END $$;
CREATE OR REPLACE FUNCTION tsql_json_query(t text, p text DEFAULT '$') RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE s text[]; j json;
BEGIN
  IF t IS NULL OR p IS NULL THEN RETURN NULL; END IF;
  s := tsql_json_path(p, false);
  j := tsql_json_at(tsql_json_doc(t), s);
  IF j IS NULL THEN
    IF s[1] COLLATE "C" LIKE '%s%' THEN RAISE EXCEPTION 'Property cannot be found on the specified JSON path.'; END IF;
    RETURN NULL;
  END IF;
  IF json_typeof(j) NOT IN ('object', 'array') THEN
    IF s[1] COLLATE "C" LIKE '%s%' THEN RAISE EXCEPTION 'Object or array cannot be found in the specified JSON path.'; END IF;
    RETURN NULL;
  END IF;
  RETURN btrim(j::text, E' \t\n\r');
END $$;
CREATE OR REPLACE FUNCTION tsql_json_rebuild(ty text, keys text[], vals text[]) RETURNS text LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN ty = 'object' THEN '{' || coalesce(string_agg(tsql_json_quote(u.k) || ':' || u.v, ',' ORDER BY u.o), '') || '}'
    ELSE '[' || coalesce(string_agg(u.v, ',' ORDER BY u.o), '') || ']' END
  FROM unnest(vals, keys) WITH ORDINALITY AS u(v, k, o) $$;
-- one level of JSON_MODIFY: the node written again, NULL when a lax path changes nothing
CREATE OR REPLACE FUNCTION tsql_json_set(node json, s text[], i integer, nv text) RETURNS text
  LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE step text := s[i]; last boolean := i = cardinality(s); lax boolean := s[1] COLLATE "C" NOT LIKE '%s%';
  k text := substr(s[i], 2); ty text := json_typeof(node); keys text[] := '{}'; vals text[] := '{}'; hit integer; child text;
BEGIN
  IF ty = 'object' THEN
    SELECT coalesce(array_agg(e.key ORDER BY e.o), '{}'), coalesce(array_agg(e.value::text ORDER BY e.o), '{}')
      INTO keys, vals FROM json_each(node) WITH ORDINALITY AS e(key, value, o);
  ELSIF ty = 'array' THEN
    SELECT coalesce(array_agg(e.value::text ORDER BY e.o), '{}') INTO vals
      FROM json_array_elements(node) WITH ORDINALITY AS e(value, o);
  END IF;
  IF left(step, 1) = 'i' AND ty = 'array' AND k::integer < cardinality(vals) THEN hit := k::integer + 1;
  ELSIF left(step, 1) = 'k' AND ty = 'object' THEN hit := array_position(keys, k COLLATE "C");
  END IF;
  IF hit IS NULL THEN
    IF NOT lax THEN RAISE EXCEPTION 'Property cannot be found on the specified JSON path.'; END IF;
    IF NOT last OR nv IS NULL OR left(step, 1) = 'i' OR ty <> 'object' THEN RETURN NULL; END IF;
    keys := keys || k;
    vals := vals || nv;
  ELSIF NOT last THEN
    child := tsql_json_set(vals[hit]::json, s, i + 1, nv);
    IF child IS NULL THEN RETURN NULL; END IF;
    vals[hit] := child;
  ELSIF nv IS NULL AND lax AND ty = 'object' THEN
    keys := keys[:hit - 1] || keys[hit + 1:];
    vals := vals[:hit - 1] || vals[hit + 1:];
  ELSE
    vals[hit] := coalesce(nv, 'null');
  END IF;
  RETURN tsql_json_rebuild(ty, CASE WHEN ty = 'object' THEN keys END, vals);
END $$;
CREATE OR REPLACE FUNCTION tsql_json_modify(t text, p text, v text, how text) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE s text[]; d json; target json; nv text; r text;
BEGIN
  IF t IS NULL OR p IS NULL THEN RETURN NULL; END IF;
  s := tsql_json_path(p, true);
  d := tsql_json_doc(t);
  nv := CASE WHEN v IS NULL THEN NULL WHEN how IN ('n', 'j') THEN v WHEN how = 'b' THEN CASE WHEN v = '0' THEN 'false' ELSE 'true' END
    ELSE tsql_json_quote(v) END;
  IF s[1] COLLATE "C" LIKE '%a%' THEN
    target := tsql_json_at(d, s);
    IF target IS NULL OR json_typeof(target) <> 'array' THEN
      IF s[1] COLLATE "C" LIKE '%s%' THEN RAISE EXCEPTION 'Property cannot be found on the specified JSON path.'; END IF;
      RETURN t;
    END IF;
    nv := tsql_json_rebuild('array', NULL, coalesce((SELECT array_agg(e.value::text ORDER BY e.o)
      FROM json_array_elements(target) WITH ORDINALITY AS e(value, o)), '{}') || coalesce(nv, 'null'));
    IF cardinality(s) = 1 THEN RETURN nv; END IF;
  ELSIF cardinality(s) = 1 THEN
    RETURN coalesce(nv, 'null');
  END IF;
  r := tsql_json_set(d, s, 2, nv);
  RETURN coalesce(r, t);
END $$;
)SQL";

constexpr const char* kTableFunctionsSql = R"SQL(
-- whole (OPENJSON ... WITH): an object is one row and every value is JSON text
CREATE OR REPLACE FUNCTION tsql_openjson(t text, p text DEFAULT '$', whole integer DEFAULT 0)
  RETURNS TABLE(key text, value text, type integer)
  LANGUAGE plpgsql IMMUTABLE AS $$
#variable_conflict use_column
DECLARE s text[]; j json;
BEGIN
  IF t IS NULL THEN RETURN; END IF;
  s := tsql_json_path(coalesce(p, '$'), false);
  j := tsql_json_at(tsql_json_doc(t), s);
  IF j IS NULL THEN
    IF s[1] COLLATE "C" LIKE '%s%' THEN RAISE EXCEPTION 'Property cannot be found on the specified JSON path.'; END IF;
    RETURN;
  END IF;
  IF whole <> 0 AND json_typeof(j) = 'object' THEN
    RETURN QUERY SELECT '0'::text, btrim(j::text, E' \t\n\r'), 5;
  ELSIF whole <> 0 AND json_typeof(j) = 'array' THEN
    RETURN QUERY SELECT (e.o - 1)::text, e.value::text, tsql_json_kind(e.value)
      FROM json_array_elements(j) WITH ORDINALITY AS e(value, o) ORDER BY e.o;
  ELSIF json_typeof(j) = 'object' THEN
    RETURN QUERY SELECT e.key, tsql_json_text(e.value), tsql_json_kind(e.value)
      FROM json_each(j) WITH ORDINALITY AS e(key, value, o) ORDER BY e.o;
  ELSIF json_typeof(j) = 'array' THEN
    RETURN QUERY SELECT (e.o - 1)::text, tsql_json_text(e.value), tsql_json_kind(e.value)
      FROM json_array_elements(j) WITH ORDINALITY AS e(value, o) ORDER BY e.o;
  ELSIF s[1] COLLATE "C" LIKE '%s%' THEN
    RAISE EXCEPTION 'Value referenced by JSON path is not an array or object and cannot be opened with OPENJSON.';
  END IF;
END $$;
CREATE OR REPLACE FUNCTION tsql_string_split(s text, sep text) RETURNS TABLE(value text, ordinal bigint)
  LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
  IF sep IS NULL OR char_length(sep) <> 1 THEN
    RAISE EXCEPTION 'Procedure expects parameter ''separator'' of type ''nchar(1)/nvarchar(1)''.';
  END IF;
  IF s = '' THEN RETURN QUERY SELECT ''::text, 1::bigint; END IF;  -- one empty piece, not none
  RETURN QUERY SELECT u.v, u.o FROM unnest(string_to_array(s COLLATE "C", sep COLLATE "C")) WITH ORDINALITY AS u(v, o);
END $$;
)SQL";

// FOR JSON's row: (name, kind, value) triples after the flags, as the embedded
// runtime's RowObject (json_functions.cpp) writes them.
constexpr const char* kRowObjectSql = R"SQL(
CREATE OR REPLACE FUNCTION tsql_json_object(flags text, VARIADIC parts text[]) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE f text COLLATE "C" := flags; r text := '{'; opened text[] := '{}'; fresh boolean[] := ARRAY[true];
  keys text[]; common integer; v text; kind text COLLATE "C";
BEGIN
  FOR i IN 1 .. coalesce(cardinality(parts), 0) / 3 LOOP
    v := parts[3 * i];
    kind := parts[3 * i - 1];
    CONTINUE WHEN v IS NULL AND position('n' in f) = 0;
    keys := CASE WHEN position('p' in f) > 0 THEN string_to_array(parts[3 * i - 2] COLLATE "C", '.')
      ELSE ARRAY[parts[3 * i - 2]] END;
    common := 0;
    WHILE common < cardinality(opened) AND common + 1 < cardinality(keys)
      AND opened[common + 1] COLLATE "C" = keys[common + 1] LOOP
      common := common + 1;
    END LOOP;
    WHILE cardinality(opened) > common LOOP
      r := r || '}';
      opened := opened[1:cardinality(opened) - 1];
      fresh := fresh[1:cardinality(fresh) - 1];
    END LOOP;
    FOR k IN common + 1 .. cardinality(keys) - 1 LOOP
      r := r || CASE WHEN fresh[cardinality(fresh)] THEN '' ELSE ',' END || tsql_json_quote(keys[k]) || ':{';
      fresh[cardinality(fresh)] := false;
      opened := opened || keys[k];
      fresh := fresh || true;
    END LOOP;
    r := r || CASE WHEN fresh[cardinality(fresh)] THEN '' ELSE ',' END || tsql_json_quote(keys[cardinality(keys)]) || ':'
      || CASE WHEN v IS NULL THEN 'null' WHEN kind IN ('n', 'j') THEN v
              WHEN kind = 'b' THEN CASE WHEN v = '0' THEN 'false' ELSE 'true' END ELSE tsql_json_quote(v) END;
    fresh[cardinality(fresh)] := false;
  END LOOP;
  RETURN r || repeat('}', cardinality(opened)) || '}';
END $$;
)SQL";

}  // namespace

std::string jsonRuntimeSql() {
  return std::string(kReadingSql) + kFunctionsSql + kTableFunctionsSql + kRowObjectSql;
}

}  // namespace db::pg
