// Parse throughput of the T-SQL parser on a large project-order save batch (100
// lines, 200 staff rows, 200 consumables, plus the performance, summary and total
// statements) and on a typical 4 KB order, as bytes per second; the typical batch is
// also measured seen before: through the plan cache, and on the engine from its text
// to its first statement run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <string>

#include "tsql/engine.h"
#include "tsql/exec/plan_cache.h"
#include "tsql/parser/parser.h"

namespace {

std::string saveBatch() {
  std::string b =
      "DECLARE @orgid varchar(50)\r\nDECLARE @category varchar(20)\r\nDECLARE @tag varchar(20)\r\n"
      "DECLARE @billno varchar(50)\r\nset @orgid = '0001'\r\nset @category = '1100'\r\nset @tag = 'A'\r\n"
      "begin tran\r\nbegin try\r\n"
      "exec [dbo].[sp_sys_genbillno] @orgid ,@category ,@tag ,1, @billno OUTPUT\r\n"
      "set @billno = isnull(@billno, '')\r\nif @billno = '' raiserror('单据保存失败', 16, 1)\r\n"
      "insert into vt_x_xmzzk(uid,orgid,billno,billdate,kh_id,khlx,lxr,tel,jhrq,jjcd,zdzk,status,gcxmmc,zzyq) "
      "values ('6F9619FF-8B86-D011-B42D-00C04FC964FF','0001',@billno,'2026-12-05 10:00:00',1,'现结','张三',"
      "'13900000000','2026-12-08 10:00:00','普通',1,0,'门头广告','按样稿制作')\r\n";
  for (int i = 0; i < 100; ++i)
    b += "insert into vt_x_xmzzk_mx(uid,orgid,billno,xm_id,sl,n,x,y,k,old_dj,dj,zk,je,gcxmmc,beizhu) values ('L" +
         std::to_string(i) + "-8B86-D011-B42D-00C04FC964FF','0001',@billno,3,2,1,1.2,0.8,1,35,35,1,67.2,'门头广告','')\r\n";
  for (int i = 0; i < 200; ++i)
    b += "insert into vt_x_xmzzk_mx_zzry(uid,orgid,billno,mx_uid,yg_id,perc) values ('S" + std::to_string(i) +
         "-8B86-D011-B42D-00C04FC964FF','0001',@billno,'L" + std::to_string(i / 2) +
         "-8B86-D011-B42D-00C04FC964FF',2,50)\r\n";
  for (int i = 0; i < 200; ++i)
    b += "insert into vt_x_xmzzk_mx_hc(uid,orgid,billno,mx_uid,sp_id,nsl,sl,shsl) values ('H" + std::to_string(i) +
         "-8B86-D011-B42D-00C04FC964FF','0001',@billno,'L" + std::to_string(i / 2) +
         "-8B86-D011-B42D-00C04FC964FF',5,1,2,0)\r\n";
  b += "update vt_x_xmzzk_mx_zzry\r\nset jxjf = sl*n*scjf*perc/100,\r\njxje = je*perc/100*jxbl/100\r\n"
       "from vt_x_xmzzk_mx_zzry t1\r\nleft join\r\n(select b1.uid, sl, n, x, y, old_dj, dj, zk,je, b2.jxbl, "
       "b2.scjf from vt_x_xmzzk_mx b1 left join vt_b_xmbmk b2 on b1.xm_id = b2.id) t2 on t1.mx_uid = t2.uid\r\n"
       "where t1.orgid=@orgid and t1.billno = @billno\r\n"
       "declare @zzry varchar(max) \r\nset @zzry = ''  \r\n"
       "select @zzry = @zzry + max(t2.name) + ',' from vt_x_xmzzk_mx_zzry t1 left join vt_b_ygbmk t2 on "
       "t1.yg_id = t2.id where t1.orgid=@orgid and billno = @billno group by t1.yg_id \r\n"
       "update vt_x_xmzzk set zzryinfo = @zzry where orgid=@orgid and billno=@billno\r\n"
       "update dbo.vt_x_xmzzk set hjje = (select sum(je) from dbo.vt_x_xmzzk_mx where billno = @billno) "
       "where orgid=@orgid and billno = @billno\r\n"
       "end try\r\nbegin catch\r\nif (@@trancount>0) rollback tran\r\nraiserror('单据保存失败', 16, 1)\r\n"
       "end catch\r\nif (@@trancount>0) commit tran\r\n";
  return b;
}

void BM_ParseSaveBatch(benchmark::State& state) {
  const std::string text = saveBatch();
  for (auto _ : state) {
    tsql::ast::Batch batch = tsql::Parser::parse(text);
    benchmark::DoNotOptimize(batch.statements.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
  state.counters["batch_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ParseSaveBatch)->Unit(benchmark::kMicrosecond);

// A typical order: a few lines, staff and consumables (about 4 KB of text): the header
// part, the first 5 of each kind of row and the tail statements.
std::string typicalBatch() {
  std::string full = saveBatch();
  std::string text;
  std::size_t pos = 0;
  int lines = 0, staff = 0, hc = 0;
  while (pos < full.size()) {
    std::size_t end = full.find("\r\n", pos);
    std::string line = full.substr(pos, end - pos + 2);
    pos = end + 2;
    bool keep = true;
    if (line.rfind("insert into vt_x_xmzzk_mx(", 0) == 0) keep = lines++ < 5;
    if (line.rfind("insert into vt_x_xmzzk_mx_zzry(", 0) == 0) keep = staff++ < 5;
    if (line.rfind("insert into vt_x_xmzzk_mx_hc(", 0) == 0) keep = hc++ < 5;
    if (keep) text += line;
  }
  return text;
}

void BM_ParseTypicalBatch(benchmark::State& state) {
  const std::string text = typicalBatch();
  for (auto _ : state) {
    tsql::ast::Batch batch = tsql::Parser::parse(text);
    benchmark::DoNotOptimize(batch.statements.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
  state.counters["batch_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ParseTypicalBatch)->Unit(benchmark::kMicrosecond);

// The typical batch again with other values each time (another order number): its
// shape was seen before, so it is lexed and its kept tree takes the new literals.
void BM_PlanTypicalBatchSeenBefore(benchmark::State& state) {
  const std::string text = typicalBatch();
  std::string other = text;
  other.replace(other.find("'0001'"), 6, "'0002'");
  tsql::exec::PlanCache plans(8);
  plans.plan(text);
  bool flip = false;
  for (auto _ : state) {
    auto plan = plans.plan((flip = !flip) ? other : text);
    benchmark::DoNotOptimize(plan.get());
  }
  if (plans.hits() != static_cast<std::size_t>(state.iterations())) state.SkipWithError("shape not reused");
  state.counters["batch_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_PlanTypicalBatchSeenBefore)->Unit(benchmark::kMicrosecond);

// From the text of a batch seen before to its first statement run, on the engine:
// the batch begins with RETURN, so what is timed is the plan lookup, the schema check
// and one statement.
void BM_EngineTypicalBatchToFirstStatement(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  {
    tsql::Engine engine(db);
    const std::string text = "return\r\n" + typicalBatch();
    engine.run(text);
    for (auto _ : state) {
      tsql::BatchResult r = engine.run(text);
      if (!r.ok()) state.SkipWithError(r.errorMessage().c_str());
    }
    state.counters["batch_bytes"] = static_cast<double>(text.size());
  }
  sqlite3_close(db);
}
BENCHMARK(BM_EngineTypicalBatchToFirstStatement)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
