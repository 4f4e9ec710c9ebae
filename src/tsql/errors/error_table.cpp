// The table itself. Templates are SQL Server's texts character for character; an
// argument is a type name or the offending value, never anything a caller formats.
#include "tsql/errors/error_table.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace tsql::errors {

namespace {

constexpr ErrorEntry kTable[] = {
    {Error::SyntaxError, 15, "%1"},
    {Error::OrderPositionOutOfRange, 15,
     "The ORDER BY position number %1 is out of range of the number of items in the select list."},
    {Error::FewerInsertColumns, 15,
     "There are fewer columns in the INSERT statement than values specified in the VALUES clause."},
    {Error::SubqueryColumns, 16,
     "Only one expression can be specified in the select list when the subquery is not introduced with EXISTS."},
    {Error::ParameterByName, 15, "Must pass parameter number %1 and subsequent parameters as '@name = value'."},
    {Error::LabelRedeclared, 15,
     "The label '%1' has already been declared. Label names must be unique within a query batch or stored "
     "procedure."},
    {Error::UndeclaredLabel, 15, "A GOTO statement references the label '%1' but the label has not been declared."},
    {Error::VariableRedeclared, 15,
     "The variable name '%1' has already been declared. Variable names must be unique within a query batch "
     "or stored procedure."},
    {Error::UndeclaredVariable, 15, "Must declare the scalar variable \"%1\"."},
    {Error::AssignWithRetrieval, 15,
     "A SELECT statement that assigns a value to a variable must not be combined with data-retrieval "
     "operations."},
    {Error::UnknownDatepart, 15, "'%1' is not a recognized datepart option."},
    {Error::FunctionArguments, 15, "The %1 function requires %2 argument(s)."},
    {Error::FunctionArgumentRange, 15, "The %1 function requires %2 to %3 arguments."},
    {Error::UnknownFunction, 15, "'%1' is not a recognized built-in function name."},
    {Error::MissingParameter, 16, "Procedure or function '%1' expects parameter '%2', which was not supplied."},
    {Error::InvalidColumn, 16, "Invalid column name '%1'."},
    {Error::InvalidObject, 16, "Invalid object name '%1'."},
    {Error::ParameterType, 16, "Procedure expects parameter '%1' of type '%2'."},
    {Error::NestingTooDeep, 16,
     "Maximum stored procedure, function, trigger, or view nesting level exceeded (limit 32)."},
    {Error::MoneySyntax, 16, "Cannot convert a char value to money. The char value has incorrect syntax."},
    {Error::DuplicateCteName, 16, "Duplicate common table expression name '%1' was specified."},
    {Error::DateConversion, 16, "Conversion failed when converting date and/or time from character string."},
    {Error::DateOutOfRange, 16,
     "The conversion of a varchar data type to a datetime data type resulted in an out-of-range value."},
    {Error::ConversionFailed, 16, "Conversion failed when converting the %1 value '%2' to data type %3."},
    {Error::IntTextOverflow, 16, "The conversion of the varchar value '%1' overflowed an int column."},
    {Error::RecursionWithoutUnionAll, 16,
     "Recursive common table expression '%1' does not contain a top-level UNION ALL operator."},
    {Error::TranCountMismatch, 16,
     "Transaction count after EXECUTE indicates a mismatching number of BEGIN and COMMIT statements. "
     "Previous count = %1, current count = %2."},
    {Error::ComputedColumnWrite, 16,
     "The column \"%1\" cannot be modified because it is either a computed column or is the result of a "
     "UNION operator."},
    {Error::BadDateParts, 16,
     "Cannot construct data type date, some of the arguments have values which are not valid."},
    {Error::InsufficientArguments, 16,
     "An insufficient number of arguments were supplied for the procedure or function %1."},
    {Error::SideEffectInFunction, 16, "Invalid use of a side-effecting operator '%1' within a function."},
    {Error::SelectInFunction, 16, "Select statements included within a function cannot return data to a client."},
    {Error::FunctionWithoutReturn, 15, "The last statement included within a function must be a return statement."},
    {Error::TopInRecursion, 16,
     "The TOP or OFFSET operator is not allowed in the recursive part of a recursive common table "
     "expression '%1'."},
    {Error::NullNotAllowed, 16,
     "Cannot insert the value NULL into column '%1', table '%2'; column does not allow nulls. %3 fails."},
    {Error::DateAddOverflow, 16, "Adding a value to a '%1' column caused an overflow."},
    {Error::ExplicitConversion, 16, "Explicit conversion from data type %1 to %2 is not allowed."},
    {Error::MaxRecursionExhausted, 16,
     "The statement terminated. The maximum recursion %1 has been exhausted before statement completion."},
    {Error::DateDiffOverflow, 16,
     "The datediff function resulted in an overflow. The number of dateparts separating two date/time "
     "instances is too large. Try to use datediff with a less precise datepart."},
    {Error::InvalidLength, 16, "Invalid length parameter passed to the %1 function."},
    {Error::InvalidSubstringLength, 16, "Invalid length parameter passed to the substring function."},
    {Error::IdentityInsertOff, 16,
     "Cannot insert explicit value for identity column in table '%1' when IDENTITY_INSERT is set to OFF."},
    {Error::IdentityValueMissing, 16,
     "Explicit value must be specified for identity column in table '%1' either when IDENTITY_INSERT is set to "
     "ON or when a replication user is inserting into a NOT FOR REPLICATION identity column."},
    {Error::CheckConflict, 16,
     "The %1 statement conflicted with the CHECK constraint \"%2\". The conflict occurred in database "
     "\"main\", table \"%3\"%4."},
    {Error::SaveWithoutTran, 16, "Cannot issue SAVE TRANSACTION when there is no active transaction."},
    {Error::GotoIntoTry, 16, "GOTO cannot be used to jump into a TRY or CATCH scope."},
    {Error::ColumnNameMissing, 15,
     "An object or column name is missing or empty. For SELECT INTO statements, verify each column has a name. "
     "For other statements, look for empty alias names. Aliases defined as \"\" or [] are not allowed. Change "
     "the alias to a valid name."},
    {Error::TiesWithoutOrderBy, 15,
     "The TOP N WITH TIES clause is not allowed without a corresponding ORDER BY clause."},
    {Error::UndeclaredTableVariable, 15, "Must declare the table variable \"%1\"."},
    {Error::DuplicateKey, 14,
     "Violation of %1 constraint '%2'. Cannot insert duplicate key in object '%3'. The duplicate key value is %4."},
    {Error::ObjectExists, 16, "There is already an object named '%1' in the database."},
    {Error::IndexNotDeterministic, 16,
     "Column '%1' in table '%2' cannot be used in an index or statistics or as a partition key because it is "
     "non-deterministic."},
    {Error::InvalidMessageNumber, 16,
     "Error number %1 is invalid. The number must be from 13000 through 2147483647 and it cannot be 50000."},
    {Error::BadDateFormat, 16, "SET DATEFORMAT date order '%1' is invalid."},
    {Error::SubstitutionDataType, 16, "Cannot specify %1 data type (parameter %2) as a substitution parameter."},
    {Error::SubstitutionType, 16,
     "The data type of substitution parameter %1 does not match the expected type of the format specification."},
    {Error::NoSuchProcedure, 16, "Could not find stored procedure '%1'."},
    {Error::CannotDrop, 11, "Cannot drop the %1 '%2', because it does not exist or you do not have permission."},
    {Error::CommitWithoutBegin, 16, "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION."},
    {Error::RollbackWithoutBegin, 16, "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION."},
    {Error::UncommittableWrite, 16,
     "The current transaction cannot be committed and cannot support operations that write to the log file. "
     "Roll back the transaction."},
    {Error::UncommittableSavepoint, 16,
     "The current transaction cannot be committed and cannot be rolled back to a savepoint. Roll back the "
     "entire transaction."},
    {Error::UncommittableAtEnd, 16,
     "Uncommittable transaction is detected at the end of the batch. The transaction is rolled back."},
    {Error::WindowOutsideSelect, 15, "Windowed functions can only appear in the SELECT or ORDER BY clauses."},
    {Error::WindowNeedsOrderBy, 15, "The function '%1' must have an OVER clause with ORDER BY."},
    {Error::UnknownUserFunction, 16,
     "Cannot find either column \"%1\" or the user-defined function or aggregate \"%2\", or the name is ambiguous."},
    {Error::RangeOffset, 15,
     "RANGE is only supported with UNBOUNDED and CURRENT ROW window frame delimiters."},
    {Error::ComputedNotPersistable, 16,
     "Computed column '%1' in table '%2' cannot be persisted because the column is non-deterministic."},
    {Error::MergeSourceIsTarget, 16,
     "In a MERGE statement, the source and target cannot have the same name or alias. Use different aliases for "
     "the source and target to ensure that they have unique names in the MERGE statement."},
    {Error::MergeUnconditionalFirst, 16,
     "In a MERGE statement, a '%1' clause with a search condition cannot appear after a '%1' clause with no "
     "search condition."},
    {Error::MergeNotMatchedReads, 16,
     "The identifier '%1' cannot be bound. Only source columns and columns in the clause scope are allowed in "
     "the 'WHEN NOT MATCHED' clause of a MERGE statement."},
    {Error::MergeBySourceReads, 16,
     "The identifier '%1' cannot be bound. Only target columns and columns in the clause scope are allowed in "
     "the 'WHEN NOT MATCHED BY SOURCE' clause of a MERGE statement."},
    {Error::NoSuchSavepoint, 16, "Cannot roll back %1. No transaction or savepoint of that name was found."},
    {Error::IdentityColumnList, 16,
     "An explicit value for the identity column in table '%1' can only be specified when a column list is used "
     "and IDENTITY_INSERT is ON."},
    {Error::NoIdentityProperty, 16, "Table '%1' does not have the identity property. Cannot perform SET operation."},
    {Error::IdentityInsertElsewhere, 16,
     "IDENTITY_INSERT is already ON for table '%1'. Cannot perform SET operation for table '%2'."},
    {Error::ConvertDataType, 16, "Error converting data type %1 to %2."},
    {Error::ArithmeticOverflow, 16, "Arithmetic overflow error converting %1 to data type %2."},
    {Error::ArgumentDataType, 16, "Argument data type %1 is invalid for argument %2 of %3 function."},
    {Error::OperandTypeInvalid, 16, "Operand data type %1 is invalid for %2 operator."},
    {Error::AllResultsNull, 16,
     "At least one of the result expressions in a CASE specification must be an expression other than "
     "the NULL constant."},
    {Error::DivideByZero, 16, "Divide by zero error encountered."},
    {Error::TooManyArguments, 16, "Procedure or function %1 has too many arguments specified."},
    {Error::NotAParameter, 16, "%1 is not a parameter for procedure %2."},
    {Error::StringTruncated, 16, "String or binary data would be truncated."},
    {Error::MissingCteColumnName, 16, "No column name was specified for column %1 of '%2'."},
    {Error::PivotColumnTwice, 16, "The column '%1' was specified multiple times for '%2'."},
    {Error::CteMoreColumns, 16, "'%1' has more columns than were specified in the column list."},
    {Error::CteFewerColumns, 16, "'%1' has fewer columns than were specified in the column list."},
    {Error::GroupingArgument, 16,
     "Argument 1 of the GROUPING function does not match any of the expressions in the GROUP BY clause."},
    {Error::NotOutputParameter, 16,
     "The formal parameter \"%1\" was not declared as an OUTPUT parameter, but the actual parameter passed "
     "in requested output."},
    {Error::UnpivotTypeConflict, 16,
     "The type of column \"%1\" conflicts with the type of other columns specified in the UNPIVOT list."},
    {Error::GuidConversion, 16, "Conversion failed when converting from a character string to uniqueidentifier."},
    {Error::ParameterNotSupplied, 16,
     "The parameterized query '%1' expects the parameter '%2', which was not supplied."},
    {Error::MergeRowTwice, 16,
     "The MERGE statement attempted to UPDATE or DELETE the same row more than once. This happens when a target "
     "row matches more than one source row. A MERGE statement cannot UPDATE/DELETE the same row of the target "
     "table multiple times. Refine the ON clause to ensure a target row matches at most one source row, or use "
     "the GROUP BY clause to group the source rows."},
    {Error::DatepartNotSupported, 16, "The datepart %1 is not supported by date function %2 for data type %3."},
    {Error::InvalidTimezone, 16, "The timezone provided to builtin function %1 is invalid."},
    {Error::UnsupportedCulture, 16, "The culture parameter '%1' provided in the function call is not supported."},
    {Error::TranslateLengths, 16,
     "The second and third arguments of the TRANSLATE built-in function must contain an equal number of "
     "characters."},
    {Error::RethrowOutsideCatch, 15,
     "To rethrow an error, a THROW statement must be used inside a CATCH block. Insert the THROW statement "
     "inside a CATCH block, or add error parameters to the THROW statement."},
    {Error::MergeActionNotInsert, 15,
     "An action of type '%1' is not allowed in the 'WHEN NOT MATCHED' clause of a MERGE statement."},
    {Error::MergeInsertNotAllowed, 15,
     "An action of type 'INSERT' is not allowed in the '%1' clause of a MERGE statement."},
    {Error::MergeUnterminated, 15, "A MERGE statement must be terminated by a semi-colon (;)."},
    {Error::MergeActionTwice, 15,
     "An action of type '%1' cannot appear more than once in a '%2' clause of a MERGE statement."},
    {Error::TopWithOffset, 15, "A TOP can not be used in the same query or sub-query as a OFFSET."},
    {Error::WindowFrameNotAllowed, 15, "The function '%1' may not have a window frame."},
    {Error::WindowMissingOver, 15, "The function '%1' must have an OVER clause."},
    {Error::FrameWithoutOrderBy, 15, "Window frame with ROWS or RANGE must have an ORDER BY clause."},
    {Error::DistinctOver, 15, "Use of DISTINCT is not allowed with the OVER clause."},
    {Error::ResultSetsTooMany, 16,
     "EXECUTE statement failed because its WITH RESULT SETS clause specified %1 result set(s), and the "
     "statement tried to send more result sets than this."},
    {Error::ResultSetsTooFew, 16,
     "EXECUTE statement failed because its WITH RESULT SETS clause specified %1 result set(s), but the "
     "statement only sent %2 result set(s) at run time."},
    {Error::ResultSetColumns, 16,
     "EXECUTE statement failed because its WITH RESULT SETS clause specified %1 column(s) for result set "
     "number %2, but the statement sent %3 column(s) at run time."},
    {Error::SequenceStartRange, 16,
     "The start value for sequence object '%1' must be between the minimum and maximum value of the sequence "
     "object."},
    {Error::SequenceBounds, 16,
     "The minimum value for sequence object '%1' must be less than its maximum value."},
    {Error::SequenceIncrementZero, 16, "The increment for sequence object '%1' cannot be zero."},
    {Error::SequenceExhausted, 16,
     "The sequence object '%1' has reached its minimum or maximum value. Restart the sequence object to allow "
     "new values to be generated."},
    {Error::JsonUnnamedColumn, 16,
     "Column expressions and data sources without names or aliases cannot be formatted as JSON text using FOR JSON "
     "clause. Add alias to the unnamed column or table."},
    {Error::JsonPathFormat, 16, "JSON path is not properly formatted. Unexpected character '%1' is found at position %2."},
    {Error::JsonPropertyMissing, 16, "Property cannot be found on the specified JSON path."},
    {Error::JsonTextFormat, 16, "JSON text is not properly formatted. Unexpected character '%1' is found at position %2."},
    {Error::JsonNotContainer, 16, "Value referenced by JSON path is not an array or object and cannot be opened with OPENJSON."},
    {Error::JsonNotScalar, 16, "Scalar value cannot be found in the specified JSON path."},
    {Error::JsonNotObjectOrArray, 16, "Object or array cannot be found in the specified JSON path."},
    {Error::JsonValueTruncated, 16, "String value in the specified JSON path would be truncated."},
    {Error::MessageNumberTooLow, 16, "User-defined error messages must have an ID greater than 50000."},
    {Error::MessageSeverityRange, 16, "User-defined error messages must have a severity level between 1 and 25."},
    {Error::MessageExists, 16, "You must specify 'REPLACE' to overwrite an existing message."},
    {Error::NoSuchMessage, 16, "Message number %1 does not exist."},
    {Error::CursorAlreadyOpen, 16, "The cursor is already open."},
    {Error::FetchForwardOnly, 16, "%1: The fetch type %2 cannot be used with forward only cursors."},
    {Error::CursorExists, 16, "A cursor with the name '%1' already exists."},
    {Error::NoSuchCursor, 16, "A cursor with the name '%1' does not exist."},
    {Error::CursorNotOpen, 16, "Cursor is not open."},
    {Error::FetchIntoCount, 16,
     "Cursorfetch: The number of variables declared in the INTO list must match that of selected columns."},
    {Error::FetchDynamic, 16, "The fetch type %1 cannot be used with dynamic cursors."},
    {Error::CursorReadOnly, 16, "The cursor is READ ONLY."},
    {Error::RowNotInFetchBuffer, 16, "The requested row is not in the fetch buffer."},
    {Error::CursorNotOnTable, 16,
     "The cursor does not include the table being modified or the table is not updatable through the cursor."},
    {Error::MessageNotFound, 16,
     "Error %1, severity %2, state %3 was raised, but no message with that error number was found in "
     "sys.messages. If error is larger than 50000, make sure the user-defined message is added using "
     "sp_addmessage."},
    {Error::ThrowNumberRange, 16,
     "Error number %1 in the THROW statement is outside the valid range. Specify an error number in the valid "
     "range of 50000 to 2147483647."},
    {Error::UpdateAssignsVariable, 16, "Assigning a variable in UPDATE is not supported here."},
    {Error::WindowWithGroupingSets, 16,
     "Windowed functions are not supported together with ROLLUP, CUBE or GROUPING SETS; group in a "
     "derived table and apply the window over it."},
    {Error::UserMessage, 16, "%1"},
};

}  // namespace

std::span<const ErrorEntry> errorTable() { return kTable; }

const ErrorEntry& entry(Error e) {
  for (const ErrorEntry& x : kTable)
    if (x.error == e) return x;
  assert(false && "every Error has its entry");
  return kTable[0];
}

int severityOf(int number) {
  for (const ErrorEntry& x : kTable)
    if (errors::number(x.error) == number) return x.severity;
  return 16;
}

std::string message(Error e, std::initializer_list<std::string_view> args) {
  std::string_view t = entry(e).text;
  std::vector<std::string_view> values(args);
  std::string out;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '%' && i + 1 < t.size() && t[i + 1] >= '1' && t[i + 1] <= '9') {
      auto k = static_cast<std::size_t>(t[i + 1] - '1');
      if (k < values.size()) out += values[k];
      ++i;
    } else {
      out += t[i];
    }
  }
  return out;
}

namespace {

// True when `m` is `t` with each %N replaced by some text: the fixed pieces of the
// template appear in order, the first at the start and the last at the end.
bool madeFrom(std::string_view t, std::string_view m) {
  std::size_t at = 0;
  bool first = true;
  for (;;) {
    std::size_t arg = t.find('%');
    std::string_view piece = t.substr(0, arg);
    if (arg == std::string_view::npos)  // the last piece ends the message
      return m.size() >= at + piece.size() && m.substr(m.size() - piece.size()) == piece &&
             (!first || m.size() == piece.size());
    std::size_t found = first ? (m.substr(0, piece.size()) == piece ? 0 : std::string_view::npos)
                              : m.find(piece, at);
    if (found == std::string_view::npos) return false;
    at = found + piece.size();
    t.remove_prefix(std::min(t.size(), arg + 2));
    first = false;
  }
}

}  // namespace

// An exact text first (536's template also covers 537's fixed text); a template that
// is nothing but its argument (a raised or parser message) says nothing about a text.
int numberOfMessage(std::string_view m) {
  for (const ErrorEntry& x : kTable)
    if (x.text == m) return number(x.error);
  for (const ErrorEntry& x : kTable)
    if (x.text != "%1" && madeFrom(x.text, m)) return number(x.error);
  return 0;
}

}  // namespace tsql::errors
