// FileUpgrade: brings an embedded file of an earlier schema generation up to this
// build's, in one transaction, so a failure leaves the file as it was. Generation 1
// declared text columns with the engine's own collation, which no other SQLite tool
// knows, and kept the trailing blanks of varchar text; generation 2 declares them
// NOCASE, stores varchar text without trailing blanks and rebuilds every index in that
// order. Columns a later schema added to a table the file has are added to it too.
#pragma once

#include <stdexcept>
#include <string>

#include "db/embedded_connection.h"

namespace schema {

//! The file could not be upgraded; it was not changed.
class UpgradeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class FileUpgrade {
 public:
  //! What an upgrade found and did.
  struct Outcome {
    int hadVersion = 0;    //!< the file's generation before; this build's when up to date
    int addedColumns = 0;  //!< columns added to tables the file already had
  };
  //! True when the file behind `connection` is of an earlier generation.
  static bool needed(db::EmbeddedConnection& connection);
  //! Upgrades the file behind `connection`. Throws UpgradeError, the file unchanged.
  static Outcome run(db::EmbeddedConnection& connection);
  //! When the file needs it, backs it up beside itself (FILE.before-upgrade-<time>, with
  //! its checksum) and then upgrades it; returns the copy's path, "" when up to date.
  //! Throws UpgradeError (or db::BackupError when no copy could be made), unchanged.
  static std::string runKeepingCopy(db::EmbeddedConnection& connection);
};

}  // namespace schema
