// "新客户" / "新供应商": the least a counter clerk needs to add a customer or supplier
// without leaving the bill: a name (required), a code (the next free "KH0001" /
// "GYS0001" style code when left empty), phone, contact and address.
#include "host/lookup/entry_plugs.h"

#include <cstdio>
#include <memory>
#include <string>

#include "host/host.h"
#include "host/plug/t_plugs_pool.h"
#include "host/services/data_services.h"
#include "host/services/sys_services.h"

namespace host {

namespace {

struct EntrySpec {
  const char* caption;   // plug caption
  const char* dialog;    // host dialog class
  const char* table;     // master table
  const char* codeStem;  // prefix of generated codes
  const char* what;      // "客户" / "供应商" for messages
};

const EntrySpec kEntries[] = {
    {"新客户", "Tkhbmkeditform", "vt_b_khbmk", "KH", "客户"},
    {"新供应商", "Tgysbmkeditform", "vt_b_gysbmk", "GYS", "供应商"},
};

std::string valueOf(const DialogReply& reply, const char* key) {
  auto it = reply.values.find(key);
  return it == reply.values.end() ? std::string() : it->second;
}

std::string nextCode(const EntrySpec& spec) {
  std::string sql = std::string("select isnull(max(id), 0) + 1 as n from ") + spec.table;
  db::BatchResult result = currentHost().db().execBatch(sql);
  std::int64_t n = 1;
  if (result.ok() && !result.resultSets.empty() && !result.resultSets.back().rows.empty())
    n = result.resultSets.back().rows.front().front().asInteger();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%04lld", spec.codeStem, static_cast<long long>(n));
  return buf;
}

// The row an entry made, kept for the window that opened it until that window takes it.
struct MadeEntry {
  const FormModel* owner = nullptr;
  std::string row;
};

MadeEntry& madeEntry() {
  static MadeEntry made;
  return made;
}

// The new row as a lookup returns it (codes typed twice: the newest row of the code).
std::string newRow(const EntrySpec& spec, const std::string& code) {
  return openDataJson(sqlTemplate(std::string("select top 1 * from ") + spec.table +
                                  " where orgid = :orgid and code = :code order by id desc"),
                      {{"code", core::Value(code)}});
}

void runEntry(const EntrySpec& spec, const FormModel* owner) {
  madeEntry() = {};
  DialogReply reply = currentHost().screen().hostDialog(spec.dialog, {});
  if (reply.result != mrOK) return;  // the user closed the dialog
  // A dialog answered with a single text (the scenario player's "text") names the row.
  std::string name = valueOf(reply, "name");
  if (name.empty()) name = reply.text;
  if (name.empty()) {
    MessageMyDlg(std::string("请输入") + spec.what + "名称", "提示", mtInformation);
    return;
  }
  std::string code = valueOf(reply, "code");
  if (code.empty()) code = nextCode(spec);
  std::string sql = std::string("insert into ") + spec.table +
                    "(orgid, code, name, fullname, lxr, tel, addr) values(:orgid, :code, :name, "
                    ":name, :lxr, :tel, :addr)";
  bool done = execSQL(sql, {{"code", core::Value(code)},
                            {"name", core::Value(name)},
                            {"lxr", core::Value(valueOf(reply, "lxr"))},
                            {"tel", core::Value(valueOf(reply, "tel"))},
                            {"addr", core::Value(valueOf(reply, "addr"))}});
  if (!done) {
    MessageMyDlg(std::string("新增") + spec.what + "失败：" + lastExecSQLError(), "提示", mtError);
    return;
  }
  if (owner != nullptr) madeEntry() = {owner, newRow(spec, code)};
}

}  // namespace

void registerEntryPlugs() {
  for (const EntrySpec& spec : kEntries) {
    auto item = std::make_unique<TPlugItem>();
    item->caption = spec.caption;
    item->formClass.name = spec.dialog;
    item->creator = [&spec](Owner owner, TPlugItem&, const std::string&, const std::string&,
                            const std::vector<std::string>&) { runEntry(spec, owner); };
    plugsPool().registerPlug(std::move(item));
  }
}

std::string takeEntryMadeFor(const FormModel* owner) {
  MadeEntry& made = madeEntry();
  if (made.owner != owner || owner == nullptr) return {};
  std::string row = std::move(made.row);
  made = {};
  return row;
}

}  // namespace host
