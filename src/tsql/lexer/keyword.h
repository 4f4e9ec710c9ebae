// Keyword: the reserved and contextual words the parser looks at. The lexer tags
// identifier tokens with one of these (case-insensitively) so the parser compares
// small integers instead of strings.
#pragma once

#include <cstdint>
#include <string_view>

namespace tsql {

#define TSQL_KEYWORDS(X)                                                              \
  X(Add) X(All) X(Alter) X(And) X(As) X(Asc) X(Begin) X(Between) X(Break) X(By)       \
  X(Case) X(Cast) X(Catch) X(Check) X(Close) X(Clustered) X(Commit) X(Constraint) X(Continue)           \
  X(Convert) X(Create) X(Cross) X(Cursor) X(Deallocate) X(Declare) X(Default) X(Delete) X(Desc) X(Distinct)   \
  X(Drop) X(Else) X(End) X(Escape) X(Except) X(Exec) X(Execute) X(Exists) X(Fetch) X(Foreign) X(From)    \
  X(Full) X(Function) X(Go) X(Group) X(Having) X(Identity) X(If) X(In) X(Index)       \
  X(Inner) X(Insert) X(Intersect) X(Into) X(Is) X(Join) X(Key) X(Left) X(Like) X(Merge) X(Nocount)          \
  X(Nonclustered) X(Not) X(Null) X(On) X(Open) X(Or) X(Order) X(Out) X(Outer) X(Output)       \
  X(Percent) X(Primary) X(Print) X(Proc) X(Procedure) X(Raiserror) X(References)      \
  X(Return) X(Right) X(Rollback) X(Save) X(Select) X(Set) X(Table) X(Then) X(Top) X(Tran)     \
  X(Transaction) X(Truncate) X(Try) X(Union) X(Unique) X(Update) X(Values) X(View)    \
  X(When) X(Where) X(While) X(With) X(Work)

enum class Keyword : std::uint8_t {
  None,
#define TSQL_KEYWORD_ENUM(name) name,
  TSQL_KEYWORDS(TSQL_KEYWORD_ENUM)
#undef TSQL_KEYWORD_ENUM
};

//! The keyword spelled by `word` (any case), or Keyword::None.
Keyword lookupKeyword(std::string_view word);

//! Words that can never be an alias or a bare column name (they start clauses).
bool isReservedKeyword(Keyword k);

}  // namespace tsql
