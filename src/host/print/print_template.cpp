// Print templates: where a plug code's template comes from (file, registration,
// fallback), the known bill columns of the fallback and the fields never printed.
#include "host/print/print_template.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "core/strings.h"

namespace host {

namespace {

std::map<std::string, PrintTemplate, std::less<>>& registry() {
  static std::map<std::string, PrintTemplate, std::less<>> templates;
  return templates;
}

bool endsWith(std::string_view text, std::string_view tail) {
  return text.size() > tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

void registerPrintTemplate(std::string code, PrintTemplate t) {
  registry()[std::move(code)] = std::move(t);
}

PrintTemplate PrintTemplate::load(std::string_view folder, std::string_view code) {
  if (!folder.empty()) {
    std::filesystem::path file = std::filesystem::path(folder) / (std::string(code) + ".json");
    std::ifstream in(file);
    if (in) {
      std::stringstream text;
      text << in.rdbuf();
      return parse(text.str(), file.string());
    }
  }
  auto found = registry().find(code);
  return found != registry().end() ? found->second : PrintTemplate{};
}

bool isSecretField(std::string_view name) {
  const std::string lower = core::lowerCase(name);
  for (const char* secret : {"pwd", "password", "passwd", "secret"})
    if (lower.find(secret) != std::string::npos) return true;
  return false;
}

bool isKeyField(std::string_view name) {
  const std::string lower = core::lowerCase(name);
  return lower == "id" || lower == "uid" || lower == "orgid" || lower == "version" ||
         lower == "iid" || endsWith(lower, "_id") || endsWith(lower, "_uid");
}

const std::vector<PrintColumn>& PrintTemplate::knownHeader() {
  using F = PrintFormat;
  static const std::vector<PrintColumn> columns = {
      {"单据编号", "billno"},
      {"单据日期", "billdate", false, F::Date},
      {"客户", "kh_name"},
      {"供应商", "gys_name"},
      {"门店", "ck_name"},
      {"联系人", "lxr"},
      {"电话", "tel"},
      {"地址", "addr"},
      {"交货日期", "jhrq", false, F::DateTime},
      {"业务员", "ywy_name"},
      {"合计金额", "hjje", false, F::Money},
      {"减免", "jmje", false, F::Money},
      {"其它费用", "qtfy", false, F::Money},
      {"制作要求", "zzyq"},
      {"摘要", "zy"},
      {"备注", "remark"},
      {"制单人", "kdr_name"},
  };
  return columns;
}

const std::vector<PrintColumn>& PrintTemplate::knownLines() {
  using F = PrintFormat;
  static const std::vector<PrintColumn> columns = {
      {"编码", "xm_code"},
      {"名称", "xm_name"},
      {"编码", "sp_code"},
      {"名称", "sp_name"},
      {"规格", "xm_itemno"},
      {"规格", "itemno"},
      {"工程项目", "gcxmmc"},
      {"单位", "xm_baseunit"},
      {"单位", "baseunit"},
      {"长", "x", false, F::Quantity},
      {"宽", "y", false, F::Quantity},
      {"套数", "n", false, F::Quantity},
      {"数量", "sl", true, F::Quantity},
      {"单价", "dj", false, F::Price},
      {"折扣", "zk", false, F::Quantity},
      {"金额", "je", true, F::Money},
      {"核销金额", "hxje", true, F::Money},
      {"备注", "beizhu"},
      {"备注", "remark"},
  };
  return columns;
}

}  // namespace host
