// The engine's errors in one table: SQL Server's number, severity and message template
// for each ("%1", "%2" ... stand for the arguments). The runtime functions, the
// translator and the interpreter build their messages here, and a message that comes
// back out of SQLite is matched here to its number.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace tsql::errors {

//! The errors by name; the value is SQL Server's number.
enum class Error : int {
  SyntaxError = 102,            //!< the parser's own message, %1
  OrderPositionOutOfRange = 108,  //!< ORDER BY position %1
  FewerInsertColumns = 110,
  SubqueryColumns = 116,       //!< a subquery of more than one column where one value is compared
  ParameterByName = 119,        //!< argument %1 of EXECUTE given by position after one by name
  LabelRedeclared = 132,       //!< label %1 declared a second time
  UndeclaredLabel = 133,       //!< GOTO %1, a label nowhere declared
  VariableRedeclared = 134,     //!< DECLARE of %1 a second time
  UndeclaredVariable = 137,     //!< scalar variable %1
  AssignWithRetrieval = 141,
  UnknownDatepart = 155,
  FunctionArguments = 174,      //!< function %1 given another count than its %2
  FunctionArgumentRange = 189,  //!< function %1 given fewer than %2 or more than %3
  UnknownFunction = 195,        //!< %1 names no built-in function
  MissingParameter = 201,       //!< procedure %1 called without parameter %2
  InvalidColumn = 207,          //!< %1
  InvalidObject = 208,          //!< %1
  ParameterType = 214,          //!< a built-in procedure's parameter %1 not of type %2
  NestingTooDeep = 217,
  MoneySyntax = 235,          //!< text that is not a money amount
  DuplicateCteName = 239,     //!< two common table expressions named %1 in one WITH
  DateConversion = 241,       //!< text that is not a date or time
  DateOutOfRange = 242,       //!< varchar to datetime out of range
  ConversionFailed = 245,     //!< '%1' value '%2' to data type %3
  IntTextOverflow = 248,      //!< text '%1' past int's range
  RecursionWithoutUnionAll = 252,  //!< recursive common table expression %1
  TranCountMismatch = 266,    //!< a procedure left @@TRANCOUNT changed: previous %1, current %2
  ComputedColumnWrite = 271,  //!< INSERT or UPDATE naming computed column %1
  BadDateParts = 289,         //!< DATEFROMPARTS of no real date
  InsufficientArguments = 313,  //!< a call of function %1 without all its arguments
  SideEffectInFunction = 443,   //!< statement %1 in a function's body
  SelectInFunction = 444,       //!< a SELECT in a function's body that returns rows
  FunctionWithoutReturn = 455,  //!< a function's body that does not end in RETURN
  TopInRecursion = 461,       //!< TOP in the recursive member of %1
  NullNotAllowed = 515,       //!< NULL into NOT NULL column %1 of table %2; %3 fails
  DateAddOverflow = 517,      //!< a date of type %1 moved past its range
  ExplicitConversion = 529,   //!< from %1 to %2, which CAST refuses
  MaxRecursionExhausted = 530,  //!< a recursive common table expression past %1 levels
  DateDiffOverflow = 535,
  InvalidLength = 536,        //!< a negative length to function %1
  InvalidSubstringLength = 537,
  IdentityInsertOff = 544,    //!< an explicit value into the identity column of table %1
  IdentityValueMissing = 545, //!< no value for the identity column of table %1 while IDENTITY_INSERT is ON
  CheckConflict = 547,        //!< %1 statement against CHECK constraint %2 of table %3 (%4: column)
  SaveWithoutTran = 628,
  GotoIntoTry = 1026,         //!< GOTO a label inside a TRY or CATCH block it is not in
  ColumnNameMissing = 1038,   //!< SELECT ... INTO a column without a name
  TiesWithoutOrderBy = 1062,
  UndeclaredTableVariable = 1087,  //!< %1
  DuplicateKey = 2627,        //!< a %1 constraint %2 of table %3 met key %4 again
  ObjectExists = 2714,        //!< %1
  IndexNotDeterministic = 2729,  //!< CREATE INDEX on column %1 of table %2, computed on every read
  InvalidMessageNumber = 2732,  //!< RAISERROR of number %1, below 13000 or 50000 itself
  BadDateFormat = 2741,       //!< SET DATEFORMAT %1 is not one of the six orders
  SubstitutionDataType = 2748,  //!< type %1 given as substitution parameter %2
  SubstitutionType = 2786,      //!< substitution %1 of another type than its format asks
  NoSuchProcedure = 2812,     //!< %1
  CannotDrop = 3701,          //!< a %1 named %2 that is not there
  CommitWithoutBegin = 3902,
  RollbackWithoutBegin = 3903,
  UncommittableWrite = 3930,    //!< a write (or COMMIT) in a doomed transaction
  UncommittableSavepoint = 3931,  //!< ROLLBACK to a savepoint of a doomed transaction
  UncommittableAtEnd = 3998,    //!< a doomed transaction still open when the batch ends
  WindowOutsideSelect = 4108,  //!< a window function outside the select list and ORDER BY
  WindowNeedsOrderBy = 4112,   //!< function %1 without ORDER BY in its OVER clause
  UnknownUserFunction = 4121,  //!< %1 the schema, %2 schema.function
  ComputedNotPersistable = 4936,  //!< computed column %1 of table %2 reads a value that changes
  RangeOffset = 4194,          //!< RANGE with n PRECEDING / FOLLOWING
  MergeSourceIsTarget = 5318,      //!< source and target of a MERGE under one name
  MergeUnconditionalFirst = 5324,  //!< a %1 clause with a condition after one of the kind without
  MergeNotMatchedReads = 5333,     //!< WHEN NOT MATCHED reading %1, which is no source column
  MergeBySourceReads = 5334,       //!< WHEN NOT MATCHED BY SOURCE reading %1, no target column
  NoSuchSavepoint = 6401,     //!< ROLLBACK TRAN %1 names no savepoint or transaction
  IdentityColumnList = 8101,  //!< an identity value into table %1 without a column list
  NoIdentityProperty = 8106,  //!< SET IDENTITY_INSERT on table %1, which has no identity column
  IdentityInsertElsewhere = 8107,  //!< IDENTITY_INSERT already ON for table %1, asked for %2
  ConvertDataType = 8114,     //!< data type %1 to %2
  ArithmeticOverflow = 8115,  //!< converting %1 to data type %2
  ArgumentDataType = 8116,    //!< type %1 as argument %2 of function %3
  OperandTypeInvalid = 8117,  //!< type %1 to operator %2
  AllResultsNull = 8133,      //!< CASE whose results are all NULL
  DivideByZero = 8134,
  TooManyArguments = 8144,    //!< procedure %1
  NotAParameter = 8145,       //!< %1 to procedure %2
  StringTruncated = 8152,     //!< a text too long for the column it is stored in
  MissingCteColumnName = 8155,  //!< column %1 of %2 has no name
  PivotColumnTwice = 8156,    //!< column %1 twice among the columns of %2
  CteMoreColumns = 8158,      //!< %1 gives more columns than its column list names
  CteFewerColumns = 8159,     //!< %1 gives fewer columns than its column list names
  GroupingArgument = 8161,
  NotOutputParameter = 8162,  //!< %1 passed as OUTPUT
  UnpivotTypeConflict = 8167,  //!< UNPIVOT's column %1 of another type than the others
  GuidConversion = 8169,  //!< text that is not a uniqueidentifier
  ParameterNotSupplied = 8178,  //!< sp_executesql's query %1 ("(params)text") without a value for %2
  MergeRowTwice = 8672,     //!< a MERGE updating or deleting one target row for two source rows
  DatepartNotSupported = 9810,  //!< datepart %1 in function %2 on type %3
  InvalidTimezone = 9812,       //!< in function %1
  UnsupportedCulture = 9818,    //!< FORMAT's culture %1
  TranslateLengths = 9828,      //!< TRANSLATE's two lists of different lengths
  RethrowOutsideCatch = 10704,  //!< THROW without arguments outside CATCH
  MergeActionNotInsert = 10710,  //!< action %1 in WHEN NOT MATCHED, which only inserts
  MergeInsertNotAllowed = 10711,  //!< INSERT in clause %1, which updates or deletes
  MergeUnterminated = 10713,
  MergeActionTwice = 10714,  //!< WHEN clause kind %1 with action %2 a second time
  TopWithOffset = 10741,
  WindowFrameNotAllowed = 10752,  //!< a frame on ranking function %1
  WindowMissingOver = 10753,  //!< function %1 without its OVER clause
  FrameWithoutOrderBy = 10756,
  DistinctOver = 10759,
  ResultSetsTooMany = 11535,     //!< WITH RESULT SETS of %1 sets, and the EXEC sent more
  ResultSetsTooFew = 11536,      //!< WITH RESULT SETS of %1 sets, and the EXEC sent only %2
  ResultSetColumns = 11537,    //!< %1 columns described for set %2, and the EXEC sent %3
  SequenceStartRange = 11703,  //!< the start of sequence %1 outside its bounds
  SequenceBounds = 11705,      //!< the minimum of sequence %1 above its maximum
  SequenceIncrementZero = 11706,  //!< sequence %1 counting by 0
  SequenceExhausted = 11728,   //!< sequence %1 past its last value, without CYCLE
  JsonUnnamedColumn = 13605,   //!< FOR JSON over a column without a name
  JsonPathFormat = 13607,      //!< a JSON path with character %1 at position %2
  JsonPropertyMissing = 13608,  //!< a strict path that leads nowhere
  JsonTextFormat = 13609,      //!< JSON text with character %1 at position %2
  JsonNotContainer = 13611,    //!< OPENJSON's path at a scalar (strict)
  JsonNotScalar = 13623,       //!< JSON_VALUE's strict path at an object or array
  JsonNotObjectOrArray = 13624,  //!< JSON_QUERY's strict path at a scalar
  JsonValueTruncated = 13625,  //!< JSON_VALUE's strict path at a text past 4000 characters
  MessageNumberTooLow = 15040,  //!< sp_addmessage of a number up to 50000
  MessageSeverityRange = 15041,  //!< sp_addmessage of a severity outside 1 to 25
  MessageExists = 15043,       //!< sp_addmessage of a number already there, without REPLACE
  NoSuchMessage = 15179,       //!< sp_dropmessage of number %1
  CursorAlreadyOpen = 16905,
  FetchForwardOnly = 16911,    //!< fetch type %2 (statement %1) on a forward-only cursor
  CursorExists = 16915,        //!< %1
  NoSuchCursor = 16916,        //!< %1
  CursorNotOpen = 16917,
  FetchIntoCount = 16924,      //!< INTO naming another number of variables than the columns
  FetchDynamic = 16925,        //!< fetch type %1 on a dynamic cursor
  CursorReadOnly = 16929,      //!< WHERE CURRENT OF a read-only cursor
  RowNotInFetchBuffer = 16930,  //!< WHERE CURRENT OF a cursor on no row
  CursorNotOnTable = 16933,    //!< WHERE CURRENT OF a cursor that does not update the table
  MessageNotFound = 18054,     //!< RAISERROR of number %1 (severity %2, state %3) with no message
  ThrowNumberRange = 35100,    //!< THROW of number %1, below 50000
  UpdateAssignsVariable = 40000,  //!< SET @v = ... in an UPDATE, which the engine does not run
  WindowWithGroupingSets = 40001,  //!< a window function in a query with ROLLUP, CUBE or GROUPING SETS
  UserMessage = 50000,          //!< a message the batch itself raised, %1
};

struct ErrorEntry {
  Error error;
  int severity;
  std::string_view text;  //!< the template
};

//! Every entry, in number order.
std::span<const ErrorEntry> errorTable();
//! The table's entry for `e`.
const ErrorEntry& entry(Error e);
//! SQL Server's number of `e`.
inline int number(Error e) { return static_cast<int>(e); }
//! The message of `e` with its %1, %2 ... filled in from `args`.
std::string message(Error e, std::initializer_list<std::string_view> args = {});
//! The severity of error `number`: its entry's, 16 for a number the table lacks.
int severityOf(int number);
//! The number of a message made from the table (its text before the first argument
//! matches); 0 when no entry made it.
int numberOfMessage(std::string_view message);

}  // namespace tsql::errors
