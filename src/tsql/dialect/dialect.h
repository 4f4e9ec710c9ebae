// Dialect: what differs between the databases the engine's relational statements run
// on, one table per backend (sqlite_dialect.cpp: the embedded file; postgres_dialect.cpp:
// the shared server). The translator and the interpreter write one SQL text and ask
// the dialect only where the two databases spell a thing differently.
#pragma once

#include <string>

#include "tsql/ast/data_type.h"

namespace tsql::dialect {

struct Dialect {
  const char* name;  //!< "sqlite" / "postgresql"
  //! Column type in CREATE TABLE for a T-SQL type (money, datetime, nvarchar(n) ...).
  std::string (*columnType)(const ast::DataType& type);
  //! What an identity column is declared as (the whole type and constraint).
  const char* identityColumn;
  //! The hidden column that names a row of a table (UPDATE/DELETE ... FROM key on it).
  const char* rowKey;
  //! True when the database keeps its own type names, so the T-SQL types of a new
  //! table's columns are recorded beside it for the catalog.
  bool recordsTableTypes;
  //! The collation clause that makes text compare case-blind as SQL Server's default.
  const char* caseBlindCollation;
  //! True when the database's LIKE cannot mean T-SQL's (no nondeterministic collation,
  //! no [a-z] classes, trailing blanks counted): LIKE is then a regular expression
  //! match of both sides in lower case, the pattern turned by tsql_like_regex.
  bool likeByRegex;
  //! LIMIT's argument for "no limit" (OFFSET without FETCH).
  const char* noLimit;
  //! The function ISNULL(a, b) becomes.
  const char* isnullFunction;
  //! Opens the outermost transaction.
  const char* beginTransaction;
  //! Prefix that names an object of the connection's own temporary schema.
  const char* tempSchema;
  //! Starts a temporary table's identity again from 1 (?1 the table's name) once its
  //! rows are deleted; nullptr where a table variable with identity is dropped instead.
  const char* restartTempIdentity;
  //! Keeps the stored procedures' T-SQL text (created when missing).
  const char* procedureTable;
  //! Stores one procedure: ?1 name, ?2 body; replaces an older text.
  const char* storeProcedure;
  //! One row when an object of a kind ("table", "view", "index") named ?2 exists
  //! (?1 the kind); names case-blind.
  const char* objectExists;
  //! Written after the marker of a decimal constant or variable too long for a double
  //! (bound as its exact text), where an untyped text would be taken for another type.
  const char* longDecimalMarkerType;
  //! True when long decimals are stored as numbers that sort and compare by value; false
  //! when they are kept as text, and ORDER BY, MIN and MAX need a value key.
  bool longDecimalsOrderByValue;
  //! True when NULL sorts above every value (written NULLS FIRST / LAST to sort it below,
  //! as SQL Server does); false when it already sorts below.
  bool nullsSortHigh;
  //! True when the collation counts trailing blanks: a text comparand that is not a
  //! column (so a column keeps its index) has them taken off.
  bool trimsTextComparands;
  //! The collation a text comparand takes where it meets a column, written with its
  //! trailing blanks taken off (padded to the length of a char(n) column), so that the
  //! column's index serves; nullptr where the comparand keeps the case-blind collation.
  const char* columnComparandCollation;
  //! True when the columns' collation counts trailing blanks: varchar text is stored
  //! without them (as SQL Server does with ANSI_PADDING off), so a stored key never ends
  //! in a blank and the column's own order agrees with the engine's comparison.
  bool trimsStoredText;
  //! The text type that compares without trailing blanks (the server's char(n)): a
  //! comparand meeting a char(n) column is cast to it, so the column's index serves.
  const char* blankBlindText;
  //! True when a char(n) column reads back without its padding wherever it becomes
  //! text (PostgreSQL's bpchar): it is padded again where the padding shows.
  bool fixedTextLosesPadding;
  //! The collation that compares text exactly, byte for byte (COLLATE ..._CS_ / _BIN).
  const char* exactCollation;
  //! Hands the session's DATEFORMAT (?1) and DATEFIRST (?2) to the database, whose own
  //! functions read dates from text there; nullptr where they read the engine's.
  const char* sessionDateSettings;
  //! True when the database picks a function by its arguments' declared types and an
  //! aggregate takes its order inside the call (string_agg(x, s ORDER BY k)): values are
  //! cast to the types the runtime's functions declare. False where the runtime's
  //! functions read any value and STRING_AGG's keys are handed over as arguments.
  bool typedFunctions;
  //! True when a derived table that is a join, on the right of a LEFT JOIN, is given
  //! a GROUP BY of its tables' row keys: the same rows, but the database then expects
  //! many and indexes them on the joined column instead of scanning them per row.
  bool groupsJoinedDerivedTables = false;
  //! The infix operator for ^ (" # "); nullptr where the database has none and the
  //! runtime's tsql_bitxor(a, b) computes it.
  const char* bitXorOperator = nullptr;
  //! The column type that holds a row key (`rowKey`) in a table of the engine's own.
  const char* rowKeyType = "integer";
  //! True when a derived table may read the rows to its left (LATERAL), as CROSS and
  //! OUTER APPLY want (an inline function taking their columns as arguments too); false
  //! where an applied query is read column by column instead.
  bool lateralJoins = false;
  //! The infix operator that compares two values as equal when both are NULL, and
  //! whether an index serves it (else only = finds a row by index).
  const char* sameValueOperator = " IS ";
  bool sameValueIndexed = true;
  //! True when a subquery's ORDER BY may read the enclosing query's row; false where
  //! such a key reads it from a one-row table of the outer values joined in.
  bool orderByReadsOuterRow = true;
  //! True when writing a row gives it a new row key (the server's ctid); false when the
  //! row keeps it (SQLite's rowid).
  bool rowKeyMovesOnUpdate = false;
  //! Declares a column that holds no value (always NULL, written by no one): the place
  //! of a computed column that every read computes.
  const char* noValueColumn = " GENERATED ALWAYS AS (NULL) VIRTUAL";
};

//! The embedded SQLite file.
const Dialect& sqliteDialect();
//! A PostgreSQL server (libpq).
const Dialect& postgresDialect();

}  // namespace tsql::dialect
