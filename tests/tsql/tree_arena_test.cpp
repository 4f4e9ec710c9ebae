// The parsed batch's tree arena: a kept plan's blocks go with the plan, a rewrite's
// heap nodes live and die beside carved ones, and a batch moved over another frees the
// older tree before its arena. Run under valgrind's memcheck (or a sanitizer build) the
// cases also catch a node touched after its arena is gone.
#include "tsql/ast/tree_arena.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tsql/exec/plan_cache.h"
#include "tsql/parser/parser.h"

namespace {

using namespace tsql;

std::string shapeNumber(int i) {
  // each i gives another shape: the column list's length changes the key
  std::string text = "declare @v int\nset @v = 7\nselect 'x' as a0";
  for (int c = 0; c < i % 40 + 1; ++c)
    text += ", " + std::to_string(c) + " * @v as a" + std::to_string(c + 1);
  return text + (i >= 40 ? " where 1 = 0" : "");
}

TEST(TreeArena, KeptPlansHoldTheirBlocksAndEvictionFreesThem) {
  const std::size_t before = ast::TreeArena::liveBlocks();
  {
    exec::PlanCache plans(4);
    std::size_t most = 0;
    for (int i = 0; i < 80; ++i) {
      plans.plan(shapeNumber(i));
      most = std::max(most, ast::TreeArena::liveBlocks() - before);
    }
    EXPECT_EQ(plans.size(), 4u);
    EXPECT_EQ(plans.hits(), 0u);
    // four small batches fit one first block each; one more while a new plan is made
    EXPECT_LE(most, 5u);
    EXPECT_GE(ast::TreeArena::liveBlocks() - before, 4u);
    auto held = plans.plan(shapeNumber(3));  // a plan held by its caller outlives the cache's copy
    plans.clear();
    EXPECT_EQ(ast::TreeArena::liveBlocks() - before, 1u);
    ASSERT_EQ(held->batch.statements.size(), 3u);
    EXPECT_EQ(held->batch.statements[2]->kind, ast::NodeKind::Select);
  }
  EXPECT_EQ(ast::TreeArena::liveBlocks(), before);
}

TEST(TreeArena, RewrittenNodesAndMovedBatchesFreeInOrder) {
  const std::size_t before = ast::TreeArena::liveBlocks();
  ast::Batch batch = Parser::parse("declare @v int\nset @v = 1 + 2");
  ASSERT_NE(batch.arena, nullptr);
  auto& set = ast::nodeCast<ast::SetStmt>(*batch.statements[1]);
  // a rewrite after parsing: the heap node takes the carved one as its child
  auto negate = std::make_unique<ast::UnaryExpr>(set.value->pos);
  negate->op = ast::UnaryOp::Negate;
  negate->operand = std::move(set.value);
  set.value = std::move(negate);
  // a node deleted while another batch is being parsed is still the heap's to free
  auto stray = std::make_unique<ast::VariableExpr>(SourcePos{});
  {
    ast::TreeArena other;
    ast::TreeArenaScope carving(other);
    stray.reset();
    auto carved = std::make_unique<ast::VariableExpr>(SourcePos{});
    EXPECT_GT(other.reserved(), 0u);
  }
  EXPECT_EQ(ast::TreeArena::liveBlocks() - before, 1u);
  // a batch moved over this one: the old tree (heap and carved nodes) goes first
  batch = Parser::parse("print 'a long enough text to live outside the string itself'");
  EXPECT_EQ(ast::TreeArena::liveBlocks() - before, 1u);
  ASSERT_EQ(batch.statements.size(), 1u);
  EXPECT_EQ(batch.statements[0]->kind, ast::NodeKind::Print);
  ast::Batch moved(std::move(batch));
  EXPECT_EQ(ast::TreeArena::liveBlocks() - before, 1u);
  EXPECT_EQ(moved.statements[0]->kind, ast::NodeKind::Print);
}

TEST(TreeArena, AFailedParseLeavesNoBlocks) {
  const std::size_t before = ast::TreeArena::liveBlocks();
  EXPECT_THROW(Parser::parse("select 1 + (2 * \nselect from where"), SyntaxError);
  EXPECT_EQ(ast::TreeArena::liveBlocks(), before);
}

}  // namespace
