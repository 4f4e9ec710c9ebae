// GOTO: the statement hands its label up as Flow::Goto; each statement list it leaves
// looks for the label among its statements and the blocks, IF branches and WHILE
// bodies inside them (never inside TRY or CATCH: the parser refuses such a jump), and
// goes on from there. A WHILE entered at a label finishes that pass of its body and
// then tests its condition as usual.
#include "tsql/exec/interpreter.h"

namespace tsql::exec {

namespace {

bool holdsLabel(const ast::Stmt& s, const std::string& label) {
  using ast::NodeKind;
  switch (s.kind) {
    case NodeKind::Label:
      return ast::nodeCast<ast::LabelStmt>(s).label == label;
    case NodeKind::Block:
      for (const auto& inner : ast::nodeCast<ast::BlockStmt>(s).body)
        if (holdsLabel(*inner, label)) return true;
      return false;
    case NodeKind::If: {
      const auto& i = ast::nodeCast<ast::IfStmt>(s);
      return holdsLabel(*i.thenStmt, label) || (i.elseStmt && holdsLabel(*i.elseStmt, label));
    }
    case NodeKind::While:
      return holdsLabel(*ast::nodeCast<ast::WhileStmt>(s).body, label);
    default:
      return false;
  }
}

}  // namespace

std::optional<std::size_t> Interpreter::labelPosition(const ast::StmtList& list) const {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (holdsLabel(*list[i], gotoLabel_)) return i;
  return std::nullopt;
}

Interpreter::Flow Interpreter::enterAtLabel(const ast::Stmt& s) {
  using ast::NodeKind;
  switch (s.kind) {
    case NodeKind::Label:
      return Flow::Normal;
    case NodeKind::Block: {
      const auto& body = ast::nodeCast<ast::BlockStmt>(s).body;
      return execList(body, *labelPosition(body), true);
    }
    case NodeKind::If: {
      const auto& i = ast::nodeCast<ast::IfStmt>(s);
      return enterAtLabel(holdsLabel(*i.thenStmt, gotoLabel_) ? *i.thenStmt : *i.elseStmt);
    }
    case NodeKind::While: {
      const auto& w = ast::nodeCast<ast::WhileStmt>(s);
      Flow f = enterAtLabel(*w.body);
      if (f == Flow::Break) return Flow::Normal;
      if (f == Flow::Return || f == Flow::Goto) return f;
      return execWhile(w);
    }
    default:
      assert(false && "a statement that holds no label");
      return Flow::Normal;
  }
}

}  // namespace tsql::exec
