// FilterExpression: a dataset filter text compiled once against the dataset's fields
// and then tested against each row. The language is the one forms write:
//   mx_uid='3F2A...'   selected=true   (sl > 0 and not zfflag) or kh_id = 12
// comparisons = <> != < > <= >=, `is [not] null`, `and`, `or`, `not`, parentheses,
// quoted texts ('it''s'), numbers, true/false/null, field names (any case, [with blanks]).
// A comparison with a null field value is false; `field = null` tests for null.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/value.h"
#include "dataset/field.h"

namespace dataset {

class FilterExpression {
 public:
  //! Where a field name points in the row.
  struct FieldRef {
    int index = -1;
    FieldType type = FieldType::Text;
    std::string name;
  };
  //! Finds a field by name (any case); nullopt when there is none.
  using FieldResolver = std::function<std::optional<FieldRef>(std::string_view)>;

  //! Comparison operators, in the order of the precedence table.
  enum class CompareOp { Eq, Ne, Lt, Gt, Le, Ge };

  //! An expression that keeps every row.
  FilterExpression() = default;
  //! Compiles `text`; throws DataSetError with the position of the fault. Blank text
  //! keeps every row.
  static FilterExpression compile(std::string_view text, const FieldResolver& resolve);

  //! True when `row` (values in field order, each of its field's type) passes.
  bool matches(const std::vector<core::Value>& row) const;
  //! True when the expression keeps every row (blank text).
  bool keepsAll() const { return nodes_.empty(); }
  //! A test `textField = 'constant'` that every kept row must pass (the whole
  //! expression, or one side of a top-level `and`): field index and constant. Lets the
  //! dataset pick candidate rows from an index instead of testing every row.
  std::optional<std::pair<int, std::string>> requiredTextEquality() const;

  //! One node of the compiled tree; children are indices into the node list.
  struct Node {
    enum class Kind { Or, And, Not, Compare, IsNull, IsTrue, Const };
    Kind kind = Kind::Const;
    int left = -1, right = -1;            //!< children of Or / And / Not
    CompareOp op = CompareOp::Eq;         //!< Compare
    int leftField = -1, rightField = -1;  //!< field operands (-1 = use the constant)
    core::Value leftConst, rightConst;    //!< constant operands, of the field's type
    bool negate = false;                  //!< IsNull: `is not null`
    bool constResult = true;              //!< Const
  };

 private:
  friend class FilterParser;
  bool eval(int node, const std::vector<core::Value>& row) const;

  std::vector<Node> nodes_;
  int root_ = -1;
};

}  // namespace dataset
