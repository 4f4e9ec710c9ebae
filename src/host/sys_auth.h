// SysAuth: the signed-in user as the host keeps it after login. Forms read it through
// sysAuth() (store id for ":orgid", bill-number tag, outlet, operator).
#pragma once

#include <cstdint>
#include <string>

namespace host {

struct SysAuth {
  std::string orgid;        //!< store id (text); stands for ":orgid" in every SQL text
  std::string tag;          //!< bill-number tag
  std::int64_t ck_id = 0;   //!< outlet
  std::int64_t czy_id = 0;  //!< operator, also his employee id
  std::string code;         //!< operator code
  std::string name;         //!< operator name
};

}  // namespace host
