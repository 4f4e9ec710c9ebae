// The translator's operators on chains of operands: each operand is written into the
// statement once however deep the chain, so a long expression costs text in proportion
// to its length (no operator's translation repeats a side).
#include <gtest/gtest.h>

#include <string>

#include "tsql/ast/stmt.h"
#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

namespace {

using tsql::translate::TranslateEnv;

// No tables, variables or parameters: every operand below is a constant.
class ConstantsOnly : public TranslateEnv {
 public:
  const tsql::ast::DataType* variableType(const std::string&) const override { return nullptr; }
  const std::string* tableVariable(const std::string&) const override { return nullptr; }
  tsql::ast::DataType hostParameterType(const std::string&) const override { return {}; }
  const std::vector<tsql::catalog::ColumnInfo>* columns(const std::string&) override {
    return nullptr;
  }
  bool isIdentity(const std::string&, const std::string&) override { return false; }
};

// "select 1 <op> 2 <op> ... <op> n"
std::string chain(const std::string& op, int operands) {
  std::string text = "select 1";
  for (int i = 2; i <= operands; ++i) text += " " + op + " " + std::to_string(i);
  return text;
}

TEST(TranslateOperators, EveryOperandOfALongChainIsWrittenOnce) {
  constexpr int kOperands = 16;  // a side written twice would give 2^15 copies of the first
  for (const char* op : {"^", "|", "&", "+", "-", "*", "/", "%"}) {
    std::string text = chain(op, kOperands);
    tsql::ast::Batch batch = tsql::Parser::parse(text);
    ASSERT_EQ(batch.statements.size(), 1u) << text;
    const auto* select = tsql::ast::nodeAs<tsql::ast::SelectStmt>(batch.statements[0].get());
    ASSERT_NE(select, nullptr) << text;
    ConstantsOnly env;
    tsql::translate::SqlTranslator translator(env);
    tsql::translate::Translation t = translator.query(select->query);
    EXPECT_EQ(t.slots.size(), static_cast<std::size_t>(kOperands)) << op << ": " << t.sql;
  }
}

}  // namespace
