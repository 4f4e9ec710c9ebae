// Out-of-line destructors for nodes that own a Query (an incomplete type in expr.h).
#include "tsql/ast/node.h"

#include "tsql/ast/query.h"

namespace tsql::ast {

InExpr::~InExpr() = default;
ExistsExpr::~ExistsExpr() = default;
SubqueryExpr::~SubqueryExpr() = default;
QuantifiedExpr::~QuantifiedExpr() = default;
DerivedTableRef::~DerivedTableRef() = default;

}  // namespace tsql::ast
