// The pages' HTML, built from escaped text only: names from the database go through
// core::escapeHtml like anything else.
#include "apps/coreapp/serve/web_pages.h"

#include "core/strings.h"

namespace serve {

namespace {

using core::escapeHtml;

std::string head(const std::string& title) {
  return "<!doctype html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
         "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">"
         "<title>" +
         escapeHtml(title) +
         "</title><link rel=\"stylesheet\" href=\"/assets/app.css\">"
         "<script src=\"/assets/app.js\" defer></script></head>";
}

std::string tabs(const WebUser& user, const WebPage& current) {
  std::string html = "<nav class=\"tabs\">";
  for (const WebPage& p : WebReports::pages()) {
    if (!user.has(p.right)) continue;
    html += "<a href=\"" + p.path + "\"" + (p.path == current.path ? " class=\"on\"" : "") + ">" +
            escapeHtml(p.caption) + "</a>";
  }
  return html + "</nav>";
}

std::string storePicker(const std::vector<std::pair<std::int64_t, std::string>>& stores) {
  std::string html = "<label class=\"pick\" data-field=\"store\">门店<select id=\"store\">";
  for (const auto& [id, name] : stores)
    html += "<option value=\"" + std::to_string(id) + "\">" + escapeHtml(name) + "</option>";
  return html + "</select></label>";
}

}  // namespace

std::string signInPage(const std::string& shop, const std::string& message) {
  return head("登录 - " + shop) + "<body class=\"signin\"><main><h1>" + escapeHtml(shop) +
         "</h1><p class=\"sub\">店主手机查看</p>" +
         (message.empty() ? "" : "<p class=\"error\">" + escapeHtml(message) + "</p>") +
         "<form method=\"post\" action=\"/login\">"
         "<label>操作员<input name=\"user\" autocomplete=\"username\" maxlength=\"50\" "
         "required></label>"
         "<label>密码<input name=\"password\" type=\"password\" "
         "autocomplete=\"current-password\" maxlength=\"200\" required></label>"
         "<button type=\"submit\">登录</button></form></main></body></html>";
}

std::string reportPage(const std::string& shop, const WebUser& user, const WebPage& page,
                       const std::vector<std::pair<std::int64_t, std::string>>& stores) {
  return head(page.caption + " - " + shop) + "<body data-page=\"" + page.api +
         "\"><header><span class=\"shop\">" + escapeHtml(shop) + "</span><span class=\"who\">" +
         escapeHtml(user.name) +
         "</span><form method=\"post\" action=\"/logout\"><button>退出</button></form>"
         "</header>" +
         tabs(user, page) + "<section class=\"filters\">" + storePicker(stores) +
         "<label class=\"pick\" data-field=\"from\">从<input type=\"date\" id=\"from\"></label>"
         "<label class=\"pick\" data-field=\"to\">至<input type=\"date\" id=\"to\"></label>"
         "<label class=\"pick\" data-field=\"day\">日期<input type=\"date\" id=\"day\"></label>"
         "</section><main id=\"out\"><p class=\"wait\">加载中…</p></main></body></html>";
}

std::string messagePage(const std::string& title, const std::string& message) {
  return head(title) + "<body class=\"signin\"><main><h1>" + escapeHtml(title) + "</h1><p>" +
         escapeHtml(message) + "</p><p><a href=\"/\">返回</a></p></main></body></html>";
}

}  // namespace serve
