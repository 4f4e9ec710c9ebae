// WebReports: the JSON behind the phone view — every report of `coreapp report` by its
// name, today's page (the day sheet with the last 30 days' takings), the receivable aging
// and one customer's running balance. Request values are checked against what each
// report takes (names, types, lengths) and bound, never put into SQL text; the rights
// and the store of the signed-in operator narrow what he may ask for.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "apps/coreapp/serve/read_only_database.h"
#include "apps/coreapp/serve/session_store.h"

namespace serve {

//! A request the server answers with `status` (400, 403, 404) and the message.
class WebError : public std::runtime_error {
 public:
  WebError(int status, const std::string& message) : std::runtime_error(message), status(status) {}
  int status;
};

//! The request's query values by name.
using Query = std::multimap<std::string, std::string>;

//! One page of the phone view: its path, tab caption, the right it needs and the API.
struct WebPage {
  std::string path, caption, right, api;
};

class WebReports {
 public:
  WebReports(ReadOnlyDatabase& db, std::string orgid, core::DateTime::Clock clock);

  //! The phone view's pages in tab order.
  static const std::vector<WebPage>& pages();
  //! The JSON of `/api/<name>`. Throws WebError: 404 for a name that is none, 403 for a
  //! report or store his rights do not allow, 400 for a malformed or unknown value.
  std::string api(const WebUser& user, const std::string& name, const Query& query);
  //! The stores he may choose: id and name, "0" (全部门店) first when he may see all.
  std::vector<std::pair<std::int64_t, std::string>> stores(const WebUser& user);

 private:
  std::string report(const WebUser& user, const std::string& name, const Query& query);
  std::string today(const WebUser& user, const Query& query);
  std::string receivables(const WebUser& user, const Query& query);
  std::string balance(const WebUser& user, const Query& query);
  std::string sets(std::string_view sql, const db::Params& params);

  ReadOnlyDatabase& db_;
  std::string orgid_;
  core::DateTime::Clock clock_;
};

}  // namespace serve
