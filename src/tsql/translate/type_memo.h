// TypeMemo: each expression's static type, worked out once per scope it is resolved in
// and kept for the rest of the statement's translation. The key is the node and the
// scope together because the same node can mean different columns in different scopes
// (a flattened derived table's items, each copy of a core under grouping sets).
#pragma once

#include <cstdint>
#include <functional>
#include <unordered_map>

#include "tsql/ast/data_type.h"
#include "tsql/ast/expr.h"

namespace tsql::translate {

class TypeMemo {
 public:
  //! The remembered type of `e` in scope `scope`, or nullptr when not worked out yet.
  const ast::DataType* find(const ast::Expr& e, std::uint64_t scope) const {
    auto it = types_.find(Key{&e, scope});
    return it == types_.end() ? nullptr : &it->second;
  }
  const ast::DataType& remember(const ast::Expr& e, std::uint64_t scope, const ast::DataType& type) {
    return types_.insert_or_assign(Key{&e, scope}, type).first->second;
  }

 private:
  struct Key {
    const ast::Expr* expr;
    std::uint64_t scope;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const {
      return std::hash<const void*>()(k.expr) ^ (std::hash<std::uint64_t>()(k.scope) * 0x9E3779B97F4A7C15ULL);
    }
  };
  std::unordered_map<Key, ast::DataType, KeyHash> types_;
};

}  // namespace tsql::translate
