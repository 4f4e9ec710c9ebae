// Node: the root of the AST. Every node has a kind tag and its source position;
// downcasts go through nodeCast<T>, which checks the tag (asserted) instead of
// paying for dynamic_cast. Children are owned through unique_ptr; a parsed batch's
// nodes are carved from its TreeArena (tree_arena.h).
#pragma once

#include <cassert>
#include <cstdint>
#include <memory>
#include <new>

#include "tsql/ast/tree_arena.h"
#include "tsql/lexer/token.h"

namespace tsql::ast {

enum class NodeKind : std::uint8_t {
  // expressions
  Literal, ColumnRef, Variable, SystemVariable, HostParameter, Unary, Binary, FunctionCall,
  Cast, Case, In, Exists, Between, Like, IsNull, Subquery, Quantified,
  // table sources
  NamedTable, DerivedTable, JoinedTable, FunctionTable, PivotTable,
  // statements
  Select, Insert, Update, Delete, Declare, Set, SetOption, If, Block, While, Break, Continue,
  Return, BeginTran, Commit, Rollback, SaveTran, TryCatch, Raiserror, Print, Exec, CreateTable,
  CreateProcedure, CreateView, CreateIndex, Drop, Truncate, Sequence, CheckIdent,
  DeclareCursor, CursorOp, ExecString, Goto, Label, ResultSets,
  Merge, CreateFunction,
};

struct Node {
  explicit Node(NodeKind k, SourcePos p = {})
      : kind(k), carved_(currentTreeArena() != nullptr), pos(p) {}
  virtual ~Node() = default;
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  //! From the current tree arena, if there is one (tree_arena.h).
  static void* operator new(std::size_t bytes) { return carveOrAllocate(bytes); }
  //! `delete` of a node: it knows whether it was carved, so reads that before it goes.
  static void operator delete(Node* n, std::destroying_delete_t) noexcept {
    const bool carved = n->carved_;
    n->~Node();
    if (!carved) ::operator delete(static_cast<void*>(n));
  }
  //! A constructor threw inside `new`: the arena that was current is current still.
  static void operator delete(void* p) noexcept {
    if (!currentTreeArena()) ::operator delete(p);
  }

  const NodeKind kind;

 private:
  // made while an arena was current: the memory is the arena's (padding room after `kind`)
  const bool carved_;

 public:
  SourcePos pos;
};

//! Checked downcast: asserts that the node's tag is T's.
template <class T>
T& nodeCast(Node& n) {
  assert(n.kind == T::kKind);
  return static_cast<T&>(n);
}
template <class T>
const T& nodeCast(const Node& n) {
  assert(n.kind == T::kKind);
  return static_cast<const T&>(n);
}
//! Downcast that yields nullptr when the tag differs.
template <class T>
const T* nodeAs(const Node* n) {
  return n && n->kind == T::kKind ? static_cast<const T*>(n) : nullptr;
}

}  // namespace tsql::ast
