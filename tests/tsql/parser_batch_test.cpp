// Parser and lexer: statement boundaries without semicolons, operator precedence
// (rendered as prefix trees), names and literals, and the position of syntax errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tsql/lexer/lexer.h"
#include "tsql/parser/parser.h"

namespace {

using namespace tsql;
using ast::NodeKind;

std::vector<NodeKind> kinds(const std::string& text) {
  std::vector<NodeKind> out;
  for (const auto& s : Parser::parse(text).statements) out.push_back(s->kind);
  return out;
}

// Renders an expression as a prefix tree: (+ a (* b c)).
std::string render(const ast::Expr& e) {
  switch (e.kind) {
    case NodeKind::Literal: {
      const auto& l = ast::nodeCast<ast::LiteralExpr>(e);
      return l.literalKind == ast::LiteralKind::String ? "'" + l.text + "'"
             : l.literalKind == ast::LiteralKind::Null ? "null" : l.text;
    }
    case NodeKind::ColumnRef: {
      std::string s;
      for (const auto& p : ast::nodeCast<ast::ColumnRefExpr>(e).parts) s += (s.empty() ? "" : ".") + p;
      return s;
    }
    case NodeKind::Variable: return ast::nodeCast<ast::VariableExpr>(e).name;
    case NodeKind::SystemVariable: return ast::nodeCast<ast::SystemVariableExpr>(e).name;
    case NodeKind::HostParameter: return ":" + ast::nodeCast<ast::HostParameterExpr>(e).name;
    case NodeKind::Unary: {
      const auto& u = ast::nodeCast<ast::UnaryExpr>(e);
      const char* op = u.op == ast::UnaryOp::Not ? "not" : u.op == ast::UnaryOp::Negate ? "neg" : "~";
      return std::string("(") + op + " " + render(*u.operand) + ")";
    }
    case NodeKind::Binary: {
      const auto& b = ast::nodeCast<ast::BinaryExpr>(e);
      static const char* ops[] = {"+", "-", "*", "/", "%", "&", "|", "^", "=", "<>", "<", "<=", ">", ">=", "and", "or"};
      return std::string("(") + ops[static_cast<int>(b.op)] + " " + render(*b.lhs) + " " + render(*b.rhs) + ")";
    }
    case NodeKind::FunctionCall: {
      const auto& f = ast::nodeCast<ast::FunctionCallExpr>(e);
      std::string s = f.name + "(" + (f.star ? "*" : "");
      for (std::size_t i = 0; i < f.args.size(); ++i) s += (i ? "," : "") + render(*f.args[i]);
      return s + ")";
    }
    case NodeKind::In: {
      const auto& in = ast::nodeCast<ast::InExpr>(e);
      return std::string("(") + (in.negated ? "notin " : "in ") + render(*in.operand) +
             (in.subquery ? " subquery" : " list" + std::to_string(in.list.size())) + ")";
    }
    case NodeKind::Between: {
      const auto& b = ast::nodeCast<ast::BetweenExpr>(e);
      return "(between " + render(*b.operand) + " " + render(*b.low) + " " + render(*b.high) + ")";
    }
    case NodeKind::Like: {
      const auto& l = ast::nodeCast<ast::LikeExpr>(e);
      return std::string("(") + (l.negated ? "notlike " : "like ") + render(*l.operand) + " " + render(*l.pattern) + ")";
    }
    case NodeKind::IsNull: {
      const auto& n = ast::nodeCast<ast::IsNullExpr>(e);
      return std::string("(") + (n.negated ? "isnotnull " : "isnull ") + render(*n.operand) + ")";
    }
    case NodeKind::Cast: return "cast(" + render(*ast::nodeCast<ast::CastExpr>(e).operand) + ")";
    case NodeKind::Case: return "case";
    case NodeKind::Exists: return "exists";
    case NodeKind::Subquery: return "subquery";
    default: return "?";
  }
}

std::string firstItem(const std::string& text) {
  auto batch = Parser::parse(text);
  const auto& sel = ast::nodeCast<ast::SelectStmt>(*batch.statements.at(0));
  return render(*sel.query.cores.at(0).items.at(0).expr);
}

TEST(ParserStatements, BoundariesNeedNoSemicolons) {
  struct Row {
    const char* text;
    std::vector<NodeKind> expected;
  } rows[] = {
      {"begin tran begin try select 1 end try begin catch rollback end catch",
       {NodeKind::BeginTran, NodeKind::TryCatch}},
      {"BEGIN TRANSACTION\r\nBEGIN\r\n select 1\r\nEND\r\nCOMMIT TRAN", {NodeKind::BeginTran, NodeKind::Block, NodeKind::Commit}},
      {"return\nselect 1", {NodeKind::Return, NodeKind::Select}},
      {"return 5 select 1", {NodeKind::Return, NodeKind::Select}},
      {"set @a = 1 set @b = @a + 1", {NodeKind::Set, NodeKind::Set}},
      {"declare @zzry varchar(max) set @zzry = ''  select @zzry = @zzry + max(t2.name) + ',' from t1 t2 group by t2.id update t set a = @zzry",
       {NodeKind::Declare, NodeKind::Set, NodeKind::Select, NodeKind::Update}},
      {"if @x = '' raiserror('失败', 16, 1) insert into t values(1)", {NodeKind::If, NodeKind::Insert}},
      {"if 1=1 begin select 1 end else if 2=2 select 2 else select 3 delete from t", {NodeKind::If, NodeKind::Delete}},
      {"exec [dbo].[p] @a ,@b ,1, @c OUTPUT\nset @c = isnull(@c, '')", {NodeKind::Exec, NodeKind::Set}},
      {"exec p select 1", {NodeKind::Exec, NodeKind::Select}},
      {"while @i < 3 set @i = @i + 1 print @i", {NodeKind::While, NodeKind::Print}},
      {"select 1; select 2;;", {NodeKind::Select, NodeKind::Select}},
      {"create table t(id int identity(1,1) primary key, n money default 0, s varchar(10) not null)\ncreate index ix on t(s)",
       {NodeKind::CreateTable, NodeKind::CreateIndex}},
      {"drop table if exists t drop view v truncate table x", {NodeKind::Drop, NodeKind::Drop, NodeKind::Truncate}},
      {"create view v as select a from t union all select b from u", {NodeKind::CreateView}},
      {"set nocount on select 1", {NodeKind::SetOption, NodeKind::Select}},
      {"begin try select 1; throw 50001, 'x', 1 end try begin catch throw end catch select 2",
       {NodeKind::TryCatch, NodeKind::Select}},
      {"if @x = 1 throw 50001, 'x', 1; select 1", {NodeKind::If, NodeKind::Select}},
  };
  for (const auto& r : rows) EXPECT_EQ(kinds(r.text), r.expected) << r.text;
}

TEST(ParserStatements, ProcedureBodyRunsToGoAndKeepsItsText) {
  auto batch = Parser::parse("create procedure dbo.p @a int, @b varchar(5) = 'x' output as\nselect @a\nselect @b\ngo\nselect 2");
  ASSERT_EQ(batch.statements.size(), 2u);
  const auto& p = ast::nodeCast<ast::CreateProcedureStmt>(*batch.statements[0]);
  EXPECT_EQ(p.name, "p");
  ASSERT_EQ(p.params.size(), 2u);
  EXPECT_TRUE(p.params[1].output);
  EXPECT_TRUE(p.params[1].defaultValue);
  EXPECT_EQ(p.body.size(), 2u);
  EXPECT_EQ(p.text, "create procedure dbo.p @a int, @b varchar(5) = 'x' output as\nselect @a\nselect @b");
}

TEST(ParserExpressions, PrecedenceAndPredicates) {
  struct Row {
    const char* text;
    const char* tree;
  } rows[] = {
      {"select a + b * c", "(+ a (* b c))"}, {"select a - b - c", "(- (- a b) c)"},
      {"select sl*n*scjf*perc/100", "(/ (* (* (* sl n) scjf) perc) 100)"},
      {"select -a * b", "(* (neg a) b)"},
      {"select (a = 1 or b = 2 and c = 3)", "(or (= a 1) (and (= b 2) (= c 3)))"},
      {"select total = a + 1", "(+ a 1)"},
      {"select not a = 1 and b = 2", "(and (not (= a 1)) (= b 2))"},
      {"select a + 1 > b", "(> (+ a 1) b)"},
      {"select x between 1 and 2 and y = 3", "(and (between x 1 2) (= y 3))"},
      {"select x not in (1, 2, 3)", "(notin x list3)"},
      {"select id in (select id from t)", "(in id subquery)"},
      {"select name not like 'a%' or name is not null", "(or (notlike name 'a%') (isnotnull name))"},
      {"select t1.orgid = @orgid", "(= t1.orgid @orgid)"},
      {"select [dbo].[t].[a b] <> \"q\"", "(<> dbo.t.a b q)"},
      {"select @@TRANCOUNT > 0", "(> @@trancount 0)"}, {"select :OrgId", ":orgid"},
      {"select count(*) + isnull(max(x), 0)", "(+ count(*) isnull(max(x),0))"},
      {"select N'它''s' + 'x'", "(+ '它's' 'x')"},
      {"select left(a, 2) + right(b, 1)", "(+ left(a,2) right(b,1))"},
      {"select 1.5e3 - .5", "(- 1.5e3 .5)"}, {"select a & b | c", "(| (& a b) c)"},
  };
  for (const auto& r : rows) EXPECT_EQ(firstItem(r.text), r.tree) << r.text;
}

TEST(ParserQueries, SelectListsSourcesAndUpdateTargets) {
  auto batch = Parser::parse(
      "select top 5 t1.*, x = a, b as [my b], c 'c c' from dbo.t t1 left outer join (select 1 n) d on 1=1, @tv v "
      "where a > 0 group by a having count(*) > 1 order by 1 desc\n"
      "update @res set main.hxje_ok = 1 from @res main left join t on t.id = main.id");
  const auto& sel = ast::nodeCast<ast::SelectStmt>(*batch.statements[0]);
  const auto& core = sel.query.cores[0];
  ASSERT_EQ(core.items.size(), 4u);
  EXPECT_TRUE(core.items[0].star);
  EXPECT_EQ(core.items[0].starQualifier, "t1");
  EXPECT_EQ(core.items[1].alias, "x");
  EXPECT_EQ(core.items[2].alias, "my b");
  EXPECT_EQ(core.items[3].alias, "c c");
  ASSERT_EQ(core.from.size(), 2u);
  EXPECT_EQ(core.from[0]->kind, NodeKind::JoinedTable);
  EXPECT_EQ(ast::nodeCast<ast::NamedTableRef>(*core.from[1]).name, "@tv");
  EXPECT_TRUE(sel.query.orderBy[0].descending);
  const auto& upd = ast::nodeCast<ast::UpdateStmt>(*batch.statements[1]);
  EXPECT_EQ(upd.target, "@res");
  EXPECT_EQ(upd.sets[0].target, (std::vector<std::string>{"main", "hxje_ok"}));
  EXPECT_EQ(upd.from.size(), 1u);
}

// Grouping sets as the GROUP BY columns (in mention order) each set names, rendered
// "a b|a|" (sets separated by |); a plain GROUP BY keeps no sets.
TEST(ParserQueries, GroupingSetsExpandToTheirSets) {
  struct Row {
    const char* groupBy;
    const char* sets;
  };
  const Row rows[] = {
      {"a, b", ""}, {"rollup(a, b)", "a b|a|"}, {"cube(a, b)", "a b|a|b|"},
      {"a, rollup(b)", "a b|a"}, {"grouping sets ((a, b), (a), (), c)", "a b|a||c"},
      {"grouping sets (rollup(a), b), c", "a c|c|b c"}, {"year(d), cube(e)", "year(d) e|year(d)"},
  };
  for (const auto& r : rows) {
    auto batch = Parser::parse(std::string("select 1 from t group by ") + r.groupBy);
    const auto& core = ast::nodeCast<ast::SelectStmt>(*batch.statements[0]).query.cores[0];
    std::string sets;
    for (std::size_t i = 0; i < core.groupingSets.size(); ++i) {
      if (i) sets += '|';
      std::string set;
      for (std::size_t index : core.groupingSets[i]) set += (set.empty() ? "" : " ") + render(*core.groupBy[index]);
      sets += set;
    }
    EXPECT_EQ(sets, r.sets) << r.groupBy;
  }
}

TEST(ParserErrors, ReportLineAndColumn) {
  struct Row {
    const char* text;
    unsigned line, column;
    const char* message;
  } rows[] = {
      {"select 1 from t where a = 1\r\nselec 2", 2, 1, "Incorrect syntax near 'selec'"},
      {"select a from t where", 1, 22, "near the end of the batch"},
      {"select 'abc", 1, 8, "Unclosed quotation mark"},
      {"select 1 /* never closed", 1, 10, "Missing end comment mark"},
      {"\tinsert into t values (1,\n\t\t2", 2, 4, "Expected ')'"},
      {"select [a", 1, 8, "Unclosed quoted identifier"},
      {"declare @x nosuchtype", 1, 12, "cannot find data type nosuchtype"},
      {"select 1 ! 2", 1, 10, "Incorrect syntax near '!'"},
      {"-- 中文注释\nselect '中文' + from t", 2, 15, "Incorrect syntax near 'from'"},
      {"begin try select 1 end catch", 1, 24, "Incorrect syntax near 'catch'"},
      {"print 1\nTHROW 50001, 'x', 1", 2, 1, "Incorrect syntax near 'THROW'"},
      {"raiserror('x', 16, 1) with nowait, later", 1, 36, "Incorrect syntax near 'later'"},
  };
  for (const auto& r : rows) {
    try {
      Parser::parse(r.text);
      ADD_FAILURE() << "no error for " << r.text;
    } catch (const SyntaxError& e) {
      EXPECT_EQ(e.pos().line, r.line) << r.text;
      EXPECT_EQ(e.pos().column, r.column) << r.text;
      EXPECT_NE(std::string(e.what()).find(r.message), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("line " + std::to_string(r.line)), std::string::npos) << e.what();
    }
  }
}

TEST(Lexer, TokensOfTheAwkwardCases) {
  Lexer lex("N'x''y' [a]]b] @v @@ROWCOUNT :p1 'a:b' -- c\r\n/* x /* nested */ */ 12.5 BEGIN 0x1aF 0X 0");
  std::vector<std::pair<TokenKind, std::string>> got;
  for (Token t = lex.next(); t.kind != TokenKind::End; t = lex.next()) got.emplace_back(t.kind, std::string(t.text));
  std::vector<std::pair<TokenKind, std::string>> want = {
      {TokenKind::NString, "N'x''y'"}, {TokenKind::QuotedIdentifier, "[a]]b]"},
      {TokenKind::Variable, "@v"},     {TokenKind::SystemVariable, "@@ROWCOUNT"},
      {TokenKind::HostParameter, ":p1"}, {TokenKind::String, "'a:b'"},
      {TokenKind::Number, "12.5"},     {TokenKind::Identifier, "BEGIN"},
      {TokenKind::Binary, "0x1aF"},    {TokenKind::Binary, "0X"},
      {TokenKind::Integer, "0"}};
  EXPECT_EQ(got, want);
  Token bracket = Lexer("[a]]b]").next();
  EXPECT_EQ(unquoteIdentifier(bracket), "a]b");
  EXPECT_EQ(lookupKeyword("bEgIn"), Keyword::Begin);
  EXPECT_EQ(lookupKeyword("beginx"), Keyword::None);
}

}  // namespace
