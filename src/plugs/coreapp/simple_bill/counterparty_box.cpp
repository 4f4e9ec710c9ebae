// CounterpartyBox: the box is named "edtwldw", the name beside it "edtwldwmc", as every
// bill made out to a customer or supplier names them.
#include "plugs/coreapp/simple_bill/counterparty_box.h"

#include <string>
#include <utility>
#include <vector>

#include "core/json.h"
#include "host/plug/t_plugs_pool.h"

namespace plugs::coreapp {

void CounterpartyBox::add(std::function<void()> onButton) {
  host::Control& box = form_.addControl(host::Control("edtwldw", host::ControlKind::ButtonEdit, "往来单位："));
  box.onButtonClick = std::move(onButton);
  form_.addControl(host::Control("edtwldwmc", host::ControlKind::Edit));
}

void CounterpartyBox::clear() {
  form_.control("edtwldw").text.clear();
  form_.control("edtwldw").tag = 0;
  form_.control("edtwldwmc").text.clear();
}

void CounterpartyBox::show(const dataset::ClientDataSet& master) {
  form_.control("edtwldw").tag = master.fieldByName(counterparty_.idField).asInteger();
  form_.control("edtwldw").text = master.fieldByName(counterparty_.codeField).asString();
  form_.control("edtwldwmc").text = master.fieldByName(counterparty_.nameField).asString();
}

void CounterpartyBox::setReadOnly(bool readOnly) {
  form_.control("edtwldw").readOnly = readOnly;
  form_.control("edtwldwmc").readOnly = readOnly;
}

std::int64_t CounterpartyBox::id() const { return form_.control("edtwldw").tag; }

void CounterpartyBox::pick() {
  host::TPlugItem* lookup = host::plugsPool().plugbyName(counterparty_.lookup);
  if (lookup == nullptr) form_.refuse(std::string(counterparty_.lookup) + "不可用，请检查系统安装。");
  const std::string picked = lookup->selectData(&form_, "", "");
  if (picked.empty()) return;
  const std::vector<core::JsonRow> rows = form_.chosenRows(picked, "往来单位选择结果无法识别：");
  if (rows.empty()) return;
  form_.control("edtwldw").text = rows.front().get("code");
  form_.control("edtwldw").tag = rows.front().value("id").asInteger();
  form_.control("edtwldwmc").text = rows.front().get("name");
}

}  // namespace plugs::coreapp
