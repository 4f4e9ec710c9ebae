// TSysConfigCache: the host settings ("zidongchuku", "jiaohuoriqi", "lxrzxuanze") as
// the forms read them: SysConfigCache().get(key), SysConfigCache().isTrue(key).
#pragma once

#include <string>
#include <string_view>

namespace host {

class TSysConfigCache {
 public:
  //! The setting's text; "" when it is not set.
  std::string get(std::string_view key) const;
  //! The setting as a boolean: "1", "true", "yes", "y", "是" (any case) are true.
  bool isTrue(std::string_view key) const;
};

//! The settings of the current host.
TSysConfigCache SysConfigCache();

}  // namespace host
