// Rights checks and control rules of the signed-in user.
#include "host/services/t_auth.h"

#include "core/abort.h"
#include "host/host.h"
#include "host/services/sys_services.h"

namespace host {

bool TAuth::check(std::string_view code, int /*flag: always 0 in this system*/) {
  return currentHost().rights.has(code);
}

std::string TAuth::controlRules(std::string_view name) {
  const auto& rules = currentHost().controlRules;
  auto it = rules.find(std::string(name));
  return it == rules.end() ? std::string() : it->second;
}

void TAuth::requireRight(std::string_view code) {
  if (check(code, 0)) return;
  MessageMyDlg(kNoRightText, kNoRightCaption, mtInformation, mbOK, true);
  throw core::Abort();
}

}  // namespace host
