// Session: database, login lists and sign-in. Rights are the operator's rows of
// vt_sys_user_rights, narrowed by the command line's --rights when it names some.
#include "apps/coreapp-desktop/session.h"

#include <filesystem>
#include <stdexcept>

#include "db/embedded_connection.h"
#include "db/pg_connection.h"
#include "host/forms/bill_config.h"
#include "host/print/print_folder.h"
#include "host/services/operator_sign_in.h"
#include "schema/file_upgrade.h"
#include "schema/schema_script.h"
#include "schema/schema_upgrade.h"

namespace desktop {

namespace {

tsql::ResultSet query(db::Connection& db, const std::string& sql, const db::Params& params = {}) {
  db::BatchResult r = db.execBatch(sql, params);
  if (!r.ok()) throw std::runtime_error(r.errorMessage());
  return r.resultSets.empty() ? tsql::ResultSet{} : std::move(r.resultSets.back());
}

std::vector<LoginEntry> entries(const tsql::ResultSet& rs) {
  std::vector<LoginEntry> out;
  for (const auto& row : rs.rows)
    out.push_back({row[0].asInteger(), row[1].asText(), row[2].asText(),
                   row.size() > 3 ? row[3].asInteger() : 0});
  return out;
}

const LoginEntry* byId(const std::vector<LoginEntry>& list, std::int64_t id) {
  for (const LoginEntry& e : list)
    if (e.id == id) return &e;
  return nullptr;
}

void removeDatabaseFiles(const std::string& path) {
  std::error_code ignored;  // a side file that is not there is fine
  for (const char* suffix : {"", "-wal", "-shm", "-journal"})
    std::filesystem::remove(path + suffix, ignored);
}

// A new shop's server database, made empty by its administrator, gets the schema so
// that the first run can set the shop up; a fill that fails leaves it empty again.
void fillEmptyServer(db::PgConnection& server) {
  try {
    server.markUnfinished(true);
    schema::createDatabase(server, false);
    server.markUnfinished(false);
  } catch (const std::exception& e) {
    server.clearSchema();
    throw std::runtime_error(std::string("无法建立数据库：") + e.what());
  }
}

// A database made by an earlier build gets the tables added since (the sign-in's
// among them) before anyone signs in; refused, it is left as it was and not opened. A
// file of an earlier generation is first backed up beside itself and upgraded.
template <class Open>
Open upgraded(Open conn) {
  try {
    schema::upgradeDatabase(*conn);
  } catch (const std::exception& e) {
    throw std::runtime_error(std::string("无法升级数据库：") + e.what());
  }
  return conn;
}

}  // namespace

std::unique_ptr<db::Connection> openDatabase(const std::string& path, bool createDemo) {
  if (db::isServerUri(path)) {
    std::unique_ptr<db::PgConnection> server;
    try {
      server = db::openFinishedServer(path);
    } catch (const std::exception& e) {
      throw std::runtime_error(std::string("无法连接数据库服务器：") + e.what());
    }
    if (!server->holdsSchema()) {
      fillEmptyServer(*server);
      return server;
    }
    return upgraded(std::move(server));
  }
  std::error_code ec;
  const bool exists = std::filesystem::exists(path, ec);
  if (!exists && !createDemo) throw std::runtime_error("数据库文件不存在：" + path);
  if (exists) {
    db::EmbeddedConnection::Options options;
    options.create = false;
    auto file = std::make_unique<db::EmbeddedConnection>(path, options);
    try {
      schema::FileUpgrade::runKeepingCopy(*file);
    } catch (const std::exception& e) {
      throw std::runtime_error(std::string("无法升级数据库：") + e.what());
    }
    return upgraded(std::move(file));
  }
  const auto folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  try {
    auto conn = std::make_unique<db::EmbeddedConnection>(path);
    schema::createDatabase(*conn, true);
    return conn;
  } catch (...) {
    removeDatabaseFiles(path);  // no half-made demo database for the next start
    throw;
  }
}

LoginLists readLoginLists(db::Connection& db) {
  LoginLists lists;
  tsql::ResultSet org = query(db, "select orgid, name from vt_sys_org order by id");
  if (org.rows.empty()) throw std::runtime_error("数据库中没有分店资料（vt_sys_org）");
  lists.orgid = org.rows.front()[0].asText();
  lists.orgName = org.rows.front()[1].asText();
  const db::Params p = {{"orgid", core::Value(lists.orgid)}};
  lists.stores = entries(query(db,
                               "select id, code, name from vt_b_ckbmk where orgid = :orgid and "
                               "isnull(isdel, 0) = 0 order by id",
                               p));
  lists.operators = entries(query(db,
                                  "select id, code, name, ck_id from vt_b_ygbmk where orgid = "
                                  ":orgid and isnull(isdel, 0) = 0 order by code",
                                  p));
  return lists;
}

void signIn(host::Host& host, db::Connection& db, const LoginLists& lists, std::int64_t ck_id,
            std::int64_t czy_id, std::optional<host::Rights> rights) {
  const LoginEntry* store = byId(lists.stores, ck_id);
  const LoginEntry* op = byId(lists.operators, czy_id);
  if (store == nullptr) throw std::runtime_error("请选择门店");
  if (op == nullptr) throw std::runtime_error("请选择操作员");
  host.connection = &db;
  host.login = host::SysAuth{lists.orgid, "A", ck_id, czy_id, op->code, op->name};
  host.rights = readRights(db, lists.orgid, czy_id);
  if (rights && !rights->all) {
    host::Rights narrowed;
    for (const std::string& code : rights->codes)
      if (host.rights.has(code)) narrowed.codes.insert(code);
    host.rights = std::move(narrowed);
  }
  host.settings = {{"zidongchuku", "1"}, {"jiaohuoriqi", "3"}, {"lxrzxuanze", "0"}};
  for (const auto& row :
       query(db, "select code, value from vt_sys_config where orgid = :orgid order by id",
             {{"orgid", core::Value(lists.orgid)}})
           .rows)
    host.settings[row[0].asText()] = row[1].asText();
  host.defaultPlugInfo = [](std::string_view code) { return host::defaultBillConfig(code); };
  host.printFolder = host::printFolderOf(db);
}

host::SignInStep checkPassword(db::Connection& db, const LoginLists& lists, std::int64_t czy_id,
                               const std::string& password) {
  return host::OperatorSignIn(db, lists.orgid).check(czy_id, password);
}

void setOwnPassword(db::Connection& db, const LoginLists& lists, std::int64_t czy_id,
                    const std::string& password) {
  host::OperatorSignIn(db, lists.orgid).setOwnPassword(czy_id, password);
}

host::Rights readRights(db::Connection& db, const std::string& orgid, std::int64_t czy_id) {
  host::Rights rights;
  for (const auto& row : query(db,
                               "select rightcode from vt_sys_user_rights where orgid = :orgid "
                               "and czy_id = :czy_id",
                               {{"orgid", core::Value(orgid)}, {"czy_id", core::Value(czy_id)}})
                             .rows) {
    const std::string code = row[0].asText();
    if (code == "*")
      rights.all = true;
    else
      rights.codes.insert(code);
  }
  return rights;
}

host::Rights parseRights(const std::string& text) {
  host::Rights rights;
  if (text.empty() || text == "*") {
    rights.all = true;
    return rights;
  }
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) rights.codes.insert(text.substr(start, end - start));
    start = end + 1;
  }
  return rights;
}

}  // namespace desktop
