// FirstRun: every value is bound, never formatted into the batch, so a shop or owner
// name with quotes is kept as typed. The batch refuses itself when a branch appeared
// meanwhile (a second counter finishing its own first run at the same moment).
#include "host/services/first_run.h"

#include <stdexcept>

#include "core/strings.h"
#include "db/connection.h"
#include "host/services/operator_sign_in.h"

namespace host {

namespace {

constexpr std::string_view kFirstRunBatch = R"(begin tran
begin try
if exists (select 1 from vt_sys_org) raiserror('数据库中已有分店资料', 16, 1)
insert into vt_sys_org(orgid, name) values (:orgid, :shop)
insert into vt_b_ckbmk(orgid, code, name, isort) values (:orgid, :ckcode, :store, 1)
declare @ck int
select @ck = id from vt_b_ckbmk where orgid = :orgid and code = :ckcode
insert into vt_b_ygbmk(orgid, code, name, ck_id) values (:orgid, :ygcode, :owner, @ck)
declare @yg int
select @yg = id from vt_b_ygbmk where orgid = :orgid and code = :ygcode
insert into vt_sys_user_rights(orgid, czy_id, rightcode) values (:orgid, @yg, '*')
insert into vt_sys_user_login(orgid, czy_id, pwdhash, failcount) values (:orgid, @yg, :pwdhash, 0)
insert into vt_sys_config(orgid, code, value, remark) values (:orgid, 'zidongchuku', '1', '添加项目时自动带出生产耗材')
insert into vt_sys_config(orgid, code, value, remark) values (:orgid, 'jiaohuoriqi', '3', '默认交货天数')
insert into vt_sys_config(orgid, code, value, remark) values (:orgid, 'lxrzxuanze', '0', '选择客户后选择联系人')
commit tran
end try
begin catch
if (@@trancount > 0) rollback tran
declare @msg varchar(500)
set @msg = error_message()
raiserror(@msg, 16, 1)
end catch)";

// Characters, not bytes, of UTF-8 text: what the name columns count.
std::size_t characters(std::string_view utf8) {
  std::size_t n = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

std::string requireName(const std::string& text, std::string_view what, std::size_t most) {
  std::string name = core::trim(text);
  if (name.empty()) throw std::runtime_error("请输入" + std::string(what));
  if (characters(name) > most)
    throw std::runtime_error(std::string(what) + "不能超过" + std::to_string(most) + "个字");
  return name;
}

}  // namespace

bool needsFirstRun(db::Connection& db) {
  db::BatchResult r = db.execBatch("select count(*) from vt_sys_org");
  if (!r.ok()) throw std::runtime_error(r.errorMessage());
  return r.resultSets.empty() || r.resultSets.back().rows.empty() ||
         r.resultSets.back().rows.front()[0].asInteger() == 0;
}

void validateFirstRun(const FirstRunInput& input) {
  requireName(input.shop, "店名", 100);
  requireName(input.store, "门店名称", 100);
  requireName(input.owner, "店主姓名", 50);
  OperatorSignIn::requireAcceptable(input.password);
}

void runFirstRun(db::Connection& db, const FirstRunInput& input,
                 const core::PasswordHasher& hasher) {
  const std::string shop = requireName(input.shop, "店名", 100);
  const std::string store = requireName(input.store, "门店名称", 100);
  const std::string owner = requireName(input.owner, "店主姓名", 50);
  OperatorSignIn::requireAcceptable(input.password);
  const db::BatchResult r =
      db.execBatch(kFirstRunBatch, {{"orgid", core::Value(std::string(kFirstOrgid))},
                                    {"shop", core::Value(shop)},
                                    {"store", core::Value(store)},
                                    {"owner", core::Value(owner)},
                                    {"ckcode", core::Value(std::string(kFirstStoreCode))},
                                    {"ygcode", core::Value(std::string(kFirstOwnerCode))},
                                    {"pwdhash", core::Value(hasher.hash(input.password))}});
  if (!r.ok()) throw std::runtime_error(r.errorMessage());
}

}  // namespace host
