// Translation time of one deeply nested expression, "((@d + 1.5) * 2 - @d) ..." over
// a decimal variable, as the nesting grows (16 to 256 levels), with the plan cache out
// of the way (the translator alone). Each node's type is worked out once, so the time
// should grow about linearly with the depth (the complexity counter reports the fit).
#include <benchmark/benchmark.h>

#include <string>

#include "tsql/parser/parser.h"
#include "tsql/translate/sql_translator.h"

namespace {

//! One declared decimal(18,4) variable, @d; no tables.
class OneVariable final : public tsql::translate::TranslateEnv {
 public:
  OneVariable() : type_(tsql::ast::typeFromName("decimal")) {
    type_.precision = 18;
    type_.scale = 4;
  }
  const tsql::ast::DataType* variableType(const std::string& name) const override {
    return name == "@d" ? &type_ : nullptr;
  }
  const std::string* tableVariable(const std::string&) const override { return nullptr; }
  tsql::ast::DataType hostParameterType(const std::string&) const override { return {}; }
  const std::vector<tsql::catalog::ColumnInfo>* columns(const std::string&) override { return nullptr; }
  bool isIdentity(const std::string&, const std::string&) override { return false; }

 private:
  tsql::ast::DataType type_;
};

std::string nestedSelect(int depth) {
  std::string e = "@d";
  for (int i = 0; i < depth; ++i) e = "(" + e + (i % 3 == 0 ? " + 1.5)" : i % 3 == 1 ? " * 2)" : " - @d)");
  return "select " + e;
}

void BM_TranslateNestedExpression(benchmark::State& state) {
  tsql::ast::Batch batch = tsql::Parser::parse(nestedSelect(static_cast<int>(state.range(0))));
  const auto& select = tsql::ast::nodeCast<tsql::ast::SelectStmt>(*batch.statements[0]);
  OneVariable env;
  for (auto _ : state) {
    tsql::translate::SqlTranslator translator(env);
    tsql::translate::Translation t = translator.query(select.query);
    benchmark::DoNotOptimize(t.sql.data());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_TranslateNestedExpression)->RangeMultiplier(2)->Range(16, 256)->Complexity()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
