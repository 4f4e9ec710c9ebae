// DataType: a T-SQL type as written in DECLARE, CAST, CREATE TABLE and procedure
// parameters. Also the type lattice the translator uses to decide what `+` means.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tsql::ast {

enum class TypeKind : std::uint8_t {
  Unknown,  //!< not known before run time
  Null,     //!< the NULL literal
  Bit, Int, BigInt, Decimal, Money, Float,
  Varchar, NVarchar,
  DateTime, SmallDateTime, Date, DateTime2,
  Table,  //!< a table variable
};

struct DataType {
  TypeKind kind = TypeKind::Unknown;
  int length = 0;  //!< varchar(n): n; -1 = max; 0 = not given
  int precision = 0;
  int scale = 0;
  bool fixed = false;  //!< char(n) / nchar(n): blank-padded to `length` characters
  bool guid = false;   //!< uniqueidentifier: a varchar(36) that holds only a GUID's text
  //! varbinary(n) / binary(n): a varchar holding the bytes as "0x" and upper-case hex
  //! digits, `length` counting bytes
  bool binary = false;
  //! datetimeoffset(n): a varchar holding "YYYY-MM-DD hh:mm:ss.fffffff +hh:mm" with
  //! `precision` fraction digits (7 unless given)
  bool offset = false;
  //! time(n): a varchar holding "hh:mm:ss.fffffff" (always seven digits, rounded to
  //! `precision`, shown with `precision` digits, 7 unless given)
  bool time = false;

  bool isText() const { return kind == TypeKind::Varchar || kind == TypeKind::NVarchar; }
  bool isNumeric() const { return kind >= TypeKind::Bit && kind <= TypeKind::Float; }
  bool isDate() const {
    return kind == TypeKind::DateTime || kind == TypeKind::SmallDateTime || kind == TypeKind::Date ||
           kind == TypeKind::DateTime2;
  }
  bool isKnown() const { return kind != TypeKind::Unknown; }
  //! smallmoney: money of ten digits (its range is +-214,748.3647).
  bool isSmallMoney() const { return kind == TypeKind::Money && precision == kSmallMoneyPrecision; }
  static constexpr int kSmallMoneyPrecision = 10;
  //! real: a float of 24 bits (four bytes); float(n) with n up to 24 is the same.
  bool isReal() const { return kind == TypeKind::Float && precision > 0 && precision <= kRealPrecision; }
  static constexpr int kRealPrecision = 24;
  //! The characters a value of this type takes as text (a byte is two hex digits).
  int textLength() const { return offset || time ? 0 : binary && length > 0 ? 2 + 2 * length : length; }
  bool operator==(const DataType&) const = default;
};

//! The full type a T-SQL type name stands for before any length: smallmoney and
//! uniqueidentifier are marked as such; Unknown when the name is not supported.
DataType typeFromName(std::string_view name);

//! The type named by a T-SQL type name ("int", "varchar", "money" ...), any case;
//! Unknown when the name is not one we support.
TypeKind typeKindFromName(std::string_view name);

//! The type as T-SQL writes it: "varchar(50)", "money", "decimal(18,4)".
std::string typeToSql(const DataType& t);

//! The type of a SQLite column declared as `decl` (our tables keep T-SQL names).
DataType typeFromDeclaration(std::string_view decl);

//! T-SQL data type precedence: the operand with the higher one wins in arithmetic.
int typePrecedence(TypeKind k);

}  // namespace tsql::ast
