// The precision and scale of decimal results: what each operand counts as in decimal
// arithmetic, the result type of + - * / % when decimal wins by precedence (at most 38
// digits, the scale given up first so the whole part keeps its digits), and of SUM/AVG.
#pragma once

#include <cstdint>

#include "tsql/ast/data_type.h"

namespace tsql::ast {

enum class BinaryOp : std::uint8_t;  // expr.h

//! Decimal's upper limit on precision.
inline constexpr int kMaxDecimalPrecision = 38;

//! The decimal(p,s) an operand takes part as: int (10,0) or its literal's own digits,
//! bigint (19,0), bit (1,0), money (19,4); a decimal as declared (18,0 when not given).
DataType asDecimal(const DataType& t);

//! The type of `l op r` for the arithmetic operators when the result is decimal.
DataType decimalResult(BinaryOp op, const DataType& l, const DataType& r);

//! SUM of a decimal(p,s) is decimal(38,s); AVG is decimal(38, max(s,6)).
DataType decimalAggregate(bool average, const DataType& t);

}  // namespace tsql::ast
