// MasterDataSql: a refusal rolls back and ends the batch (RETURN), so nothing after it
// runs; the texts raised are the page's markers, never anything a user typed.
#include "plugs/coreapp/jczl/master_data_sql.h"

#include "host/forms/base_form.h"

namespace plugs::coreapp::jczl {

namespace {

std::string refuse(const char* marker) {
  return std::string("begin rollback tran raiserror('") + marker + "', 16, 1) return end\n";
}

std::string selectPart(const MasterDataPageSpec& spec) {
  std::string columns = "select t.id, t.code, t.name";
  std::string joins;
  int n = 0;
  for (const MasterField& f : spec.fields) {
    columns += ", t." + f.field;
    if (f.kind != FieldKind::Lookup) continue;
    const std::string alias = "j" + std::to_string(++n);
    columns += ", " + alias + ".name as " + f.field + "_name";
    joins += " left join " + std::string(host::hostListTable(f.list)) + " " + alias + " on " +
             alias + ".id = t." + f.field;
  }
  columns +=
      ", case when isnull(t.isdel, 0) = 1 then '停用' else '正常' end as zt, isnull(t.isdel, 0) as "
      "isdel, "
      "isnull(t.version, 0) as version";
  return columns + " from " + spec.table + " t" + joins + " where t.orgid = :orgid";
}

std::string codeTakenCheck(const MasterDataPageSpec& spec, bool otherRows) {
  return "if exists (select 1 from " + spec.table + " where orgid = :orgid and code = :code" +
         (otherRows ? " and id <> :id" : "") + ")\n" + refuse(MasterDataSql::kCodeTaken);
}

std::string changedCheck() { return "if @@rowcount = 0\n" + refuse(MasterDataSql::kChanged); }

}  // namespace

std::string MasterDataSql::listQuery(const MasterDataPageSpec& spec) {
  return selectPart(spec) + " and (t.code like :key or t.name like :key) order by t.code, t.id";
}

std::string MasterDataSql::rowQuery(const MasterDataPageSpec& spec) {
  return selectPart(spec) + " and t.id = :id";
}

namespace {

std::string insertHead(const MasterDataPageSpec& spec) {
  std::string columns = "orgid, code, name";
  for (const MasterField& f : spec.fields) columns += ", " + f.field;
  return "insert into " + spec.table + " (" + columns + ", isdel, version) values ";
}

std::string insertValues(const MasterDataPageSpec& spec, const std::string& suffix) {
  std::string values = "(:orgid, :code" + suffix + ", :name" + suffix;
  for (const MasterField& f : spec.fields) values += ", :" + f.field + suffix;
  return values + ", 0, 0)";
}

}  // namespace

std::string MasterDataSql::importBatch(const MasterDataPageSpec& spec, std::size_t count) {
  std::string batch = "begin tran\n";
  for (std::size_t n = 0; n < count; ++n) {
    batch += n % 1000 == 0 ? (n == 0 ? "" : "\n") + insertHead(spec) : ", ";
    batch += insertValues(spec, "_" + std::to_string(n));
  }
  return batch + "\nif exists (select code from " + spec.table +
         " where orgid = :orgid group by code having count(*) > 1)\n" + refuse(kCodeTaken) +
         "commit tran";
}

std::string MasterDataSql::insertBatch(const MasterDataPageSpec& spec,
                                       const std::string& children) {
  return "begin tran\n" + codeTakenCheck(spec, false) + insertHead(spec) + insertValues(spec, "") +
         "\n" + spec.saveTail + children + "commit tran";
}

std::string MasterDataSql::updateBatch(const MasterDataPageSpec& spec,
                                       const std::string& children) {
  std::string sets = "code = :code, name = :name";
  for (const MasterField& f : spec.fields) sets += ", " + f.field + " = :" + f.field;
  return "begin tran\n" + codeTakenCheck(spec, true) + "update " + spec.table + " set " + sets +
         ", version = isnull(version, 0) + 1 where orgid = :orgid and id = :id and isnull(version, "
         "0) = "
         ":version\n" +
         changedCheck() + spec.saveTail + children + "commit tran";
}

std::string MasterDataSql::childRows(const MasterDataPageSpec& spec, const std::vector<int>& rows) {
  std::string sql = "declare @parent_id int\nselect @parent_id = id from " + spec.table +
                    " where orgid = :orgid and code = :code\n";
  for (std::size_t k = 0; k < spec.children.size(); ++k) {
    const MasterChildSpec& child = spec.children[k];
    sql += "delete from " + child.table + " where " + child.parentKey + " = @parent_id\n";
    std::string columns = "orgid, " + child.parentKey;
    for (const MasterField& c : child.columns) columns += ", " + c.field;
    for (int r = 0; r < rows[k]; ++r) {
      std::string values = ":orgid, @parent_id";
      for (const MasterField& c : child.columns)
        values += ", :" + child.name + std::to_string(r) + "_" + c.field;
      sql += "insert into " + child.table + " (" + columns + ") values (" + values + ")\n";
    }
    if (!child.badRows.empty())
      sql += "if exists (" + child.badRows + ")\n" + refuse(child.refusal.c_str());
  }
  return sql;
}

std::string MasterDataSql::childQuery(const MasterChildSpec& child) {
  std::string columns = "select t.id";
  std::string joins;
  int n = 0;
  for (const MasterField& c : child.columns) {
    columns += ", t." + c.field;
    if (c.kind != FieldKind::Lookup) continue;
    const std::string alias = "j" + std::to_string(++n);
    columns += ", " + alias + ".name as " + c.field + "_name";
    joins += " left join " + std::string(host::hostListTable(c.list)) + " " + alias + " on " +
             alias + ".id = t." + c.field;
  }
  return columns + " from " + child.table + " t" + joins + " where t." + child.parentKey +
         " = :id order by t.id";
}

std::string MasterDataSql::stateBatch(const MasterDataPageSpec& spec) {
  return "begin tran\nupdate " + spec.table +
         " set isdel = :isdel, version = isnull(version, 0) + 1 where orgid = :orgid and id = :id "
         "and "
         "isnull(version, 0) = :version\n" +
         changedCheck() + "commit tran";
}

std::string MasterDataSql::deleteBatch(const MasterDataPageSpec& spec) {
  std::string batch = "begin tran\n";
  for (const MasterReference& r : spec.referencedBy)
    batch +=
        "if exists (select 1 from " + r.table + " where " + r.column + " = :id)\n" + refuse(kInUse);
  // The row's own child rows go with it.
  for (const MasterChildSpec& child : spec.children)
    batch += "delete from " + child.table + " where " + child.parentKey + " = :id\n";
  return batch + "delete from " + spec.table +
         " where orgid = :orgid and id = :id and isnull(version, 0) = :version\n" + changedCheck() +
         "commit tran";
}

}  // namespace plugs::coreapp::jczl
