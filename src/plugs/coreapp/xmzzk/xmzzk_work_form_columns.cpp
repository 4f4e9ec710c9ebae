// Txmzzkworkform, the line grid: its columns are built at run time from the plug's
// configuration document (data.detail.columns) and the user's field rules, and the
// cell editors of button, file and lookup columns run their handlers from here.
// Values the settings editor writes as text ("100", "true") are read as such.
#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "core/json.h"
#include "core/strings.h"
#include "host/forms/money_format.h"
#include "host/forms/my_cx_grid.h"
#include "host/services/data_services.h"
#include "host/services/host_dialogs.h"
#include "host/services/sys_services.h"
#include "plugs/coreapp/xmzzk/line_dataset.h"
#include "plugs/coreapp/xmzzk/size_hints.h"
#include "plugs/coreapp/xmzzk/xmzzk_work_config.h"
#include "plugs/coreapp/xmzzk/xmzzk_work_form.h"

namespace plugs::coreapp::xmzzk {

namespace {

// An integer written as text or as a number; `fallback` when absent or not a number.
int intOr(const core::JsonNode& node, int fallback) {
  const std::string text = core::trim(node.asText());
  int out = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return (text.empty() || ec != std::errc() || end != text.data() + text.size()) ? fallback : out;
}

// A boolean written as text; `fallback` unless it reads as true or false.
bool boolOr(const core::JsonNode& node, bool fallback) {
  const std::string t = core::lowerCase(core::trim(node.asText()));
  if (t == "true" || t == "1") return true;
  if (t == "false" || t == "0") return false;
  return fallback;
}

core::JsonNode parseDocument(const std::string& code, const std::string& text) {
  try {
    return core::JsonNode::parse(text);
  } catch (const core::JsonError& e) {
    throw std::invalid_argument("plug " + code +
                                ": the configuration document is not valid JSON: " + e.what());
  }
}

std::string fileNameOnly(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void Txmzzkworkform::initColumns_(const std::string& code, host::Control& grid) {
  std::string text = host::getplugInfo(code);
  if (text.empty()) text = workFormDefaultConfig();
  const core::JsonNode columns = parseDocument(code, text).at("data.detail.columns");
  grid.columns.clear();
  detailColumns.clear();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const core::JsonNode obj = columns[i];
    if (!obj.isObject() || !obj.has("fieldname"))
      throw std::invalid_argument("plug " + code + ": data.detail.columns[" + std::to_string(i) +
                                  "] needs a \"fieldname\"");
    host::GridColumn c;
    WorkDetailColumn setup;
    c.field = setup.field = obj["fieldname"].asText();
    c.caption = obj["label"].asText();
    const host::CustFieldRule* rule = CustBillRule->rule(c.field);
    if (rule != nullptr) {
      if (!rule->caption.empty()) c.caption = rule->caption;
      c.visible = rule->visible;
    }
    c.width = intOr(obj["width"], 100);
    if (core::sameText(obj["footer"].asText(), "true")) {
      detailFooter = true;
      setup.footerItem = true;
      setup.footerSum = !obj.has("kind") || core::sameText(obj["kind"].asText(), "sum");
      if (setup.footerSum) c.footer = "sum";
    }
    c.readOnly = !boolOr(obj["editing"], true);
    setupEditor(obj, rule, c, setup);
    grid.columns.push_back(std::move(c));
    detailColumns.push_back(std::move(setup));
  }
  hintSizeColumns(grid.columns);
  // Twelve columns still fit the window; more keep their widths and scroll.
  columnAutoWidth = grid.columns.size() <= 12;
  host::TMyCxGrid::restoreGridColumnStyle(grid, code);
}

void Txmzzkworkform::setupEditor(const core::JsonNode& obj, const host::CustFieldRule* rule,
                                 host::GridColumn& c, WorkDetailColumn& setup) {
  const std::string type = core::lowerCase(obj["type"].asText());
  const std::string ruleType = rule != nullptr ? rule->typeName : std::string();
  if (type == "lookupcombobox" && obj["join"].isObject()) {
    setupLookupColumn(obj, c, setup);
  } else if (type == "combo") {
    c.editor = "combo";
    const core::JsonNode items = obj["items"];
    for (std::size_t i = 0; i < items.size(); ++i) c.items.push_back(items[i].asText());
  } else if (type == "money" || ruleType == "金额") {
    c.editor = "money";
    if (obj.has("decimal")) c.decimals = intOr(obj["decimal"], 4);
    c.format = obj.has("format") ? obj["format"].asText() : host::moneyFormat(host::MoneyKind::Amount);
    if (rule != nullptr) {
      c.decimals = std::max(2, rule->decimals);
      if (!rule->format.empty()) c.format = rule->format;
    }
  } else if (type == "date" || ruleType == "日期") {
    c.editor = "date";
    if (obj.has("format")) c.format = obj["format"].asText();
    if (rule != nullptr && !rule->format.empty()) c.format = rule->format;
  } else if (type == "button") {
    c.editor = "button";
    setup.buttonJson = obj.dump();
    addCellEditor(c, setup, host::ControlKind::ButtonEdit);
  } else if (type == "color") {
    c.editor = "color";
  } else if (ruleType == "整数" || ruleType == "小数") {
    c.editor = "money";
    c.decimals = ruleType == "整数" ? 0 : std::max(0, rule->decimals);
    if (ruleType == "小数") c.format = rule->format;
  } else if (ruleType == "文件") {
    c.editor = "button";
    setup.fileButton = true;
    addCellEditor(c, setup, host::ControlKind::ButtonEdit);
  }
}

void Txmzzkworkform::setupLookupColumn(const core::JsonNode& obj, host::GridColumn& c,
                                       WorkDetailColumn& setup) {
  const core::JsonNode join = obj["join"];
  std::unique_ptr<host::TjoinTableObject>& list = joinTableList[c.field];
  if (!list) {
    list = std::make_unique<host::TjoinTableObject>();
    list->sql =
        core::replaceAll(core::replaceAll(join["sql"].asText(), ":orgid", host::sysAuth().orgid),
                         ":iclass", plugCode());
    list->column = obj.dump();
    list->open();
  }
  c.editor = "lookupcombobox";
  setup.keyFieldNames = join["keyfieldnames"].asText();
  setup.listFieldNames = join["listfieldnames"].asText();
  const core::JsonNode fields = join["fields"];
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const core::JsonNode f = fields[i];
    if (f.has("visiable") && !boolOr(f["visiable"], true)) continue;
    host::GridColumn listColumn;
    listColumn.caption = f["caption"].asText();
    listColumn.field = f["fieldname"].asText();
    listColumn.width = intOr(f["width"], 80);
    setup.listColumns.push_back(std::move(listColumn));
  }
  list->fields = fields.dump();
  list->open();
  // The cell shows the first list field of the row whose key it holds.
  const std::string shown = core::split(setup.listFieldNames, ";").front();
  for (list->cds.first(); !list->cds.eof(); list->cds.next())
    if (const dataset::Field* f = list->cds.findField(shown)) c.items.push_back(f->asString());
  host::Control& editor = addCellEditor(c, setup, host::ControlKind::LookupCombo);
  editor.items = c.items;
  editor.hint = obj["hint"].asText();
}

host::Control& Txmzzkworkform::addCellEditor(const host::GridColumn& c, WorkDetailColumn& setup,
                                             host::ControlKind kind) {
  setup.editorControl = "cxgDetail_" + c.field;
  host::Control editor(setup.editorControl, kind, c.caption);
  editor.dataSet = "cdsDetail";
  editor.dataField = c.field;
  if (!setup.buttonJson.empty()) {
    editor.onButtonClick = [this, json = setup.buttonJson] { onButtonEditClick(json); };
  } else if (setup.fileButton) {
    editor.onButtonClick = [this, field = c.field] { onFileButtonEditClick(field); };
  } else {
    editor.onChange = [this, field = c.field] { onDbLookupComboBoxEditValueChange(field); };
  }
  return addControl(std::move(editor));
}

// ---- cell editors ----------------------------------------------------------------------

void Txmzzkworkform::onButtonEditClick(const std::string& columnJson) {
  const core::JsonNode column = core::JsonNode::parse(columnJson);
  const std::string text =
      hasLine() ? cdsDetail.fieldByName(column["fieldname"].asText()).asString() : std::string();
  if (isEditing(cdsDetail)) cdsDetail.cancel();
  if (column["event"].asText() != "select") return;
  addSelectedItems(runPlug(column["target"].asText(), text, ""));
}

void Txmzzkworkform::onFileButtonEditClick(const std::string& field) {
  std::string file;
  if (!host::openFileDialog(this, "所有文件|*.*", file)) return;
  if (cdsDetail.state() == dataset::DataSetState::Browse) cdsDetail.edit();
  cdsDetail.fieldByName(field).setValue(fileNameOnly(file));
}

void Txmzzkworkform::onDbLookupComboBoxEditValueChange(const std::string& field) {
  // The header is never edited here, so this copies only while some other code has
  // put it into edit state.
  if (cdsMaster.state() == dataset::DataSetState::Browse || !cdsMaster.active()) return;
  auto it = joinTableList.find(field);
  const host::Control* editor = findControl("cxgDetail_" + field);
  if (it == joinTableList.end() || editor == nullptr || editor->hint.empty()) return;
  const WorkDetailColumn* setup = nullptr;
  for (const WorkDetailColumn& c : detailColumns)
    if (c.field == field) setup = &c;
  if (setup == nullptr ||
      !it->second->cds.locate(setup->keyFieldNames, cdsDetail.fieldByName(field).value()))
    return;
  cdsMaster.fieldByName(editor->hint).setValue(it->second->cds.fieldByName("id").value());
}

}  // namespace plugs::coreapp::xmzzk
