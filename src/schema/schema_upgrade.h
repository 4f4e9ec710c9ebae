// Upgrading an older database when it is opened: a shop's file or server made by an
// earlier build lacks the tables added since, and gets each from the same script file
// that makes it in a new database, in that file's one transaction, so a shop never has
// to run anything by hand before it can sign in. Its procedures are renewed the same way.
#pragma once

#include "db/connection.h"

namespace schema {

//! What an upgrade changed.
struct Upgraded {
  bool tablesAdded = false;
  int proceduresRenewed = 0;
  bool any() const { return tablesAdded || proceduresRenewed > 0; }
};

//! Adds the tables the database lacks of those added since the first schema (the
//! operators' sign-in table vt_sys_user_login), then gives every procedure of the
//! scripts this build's text where the database keeps another (a fixed report, a bill
//! step made faster) or none. Throws SchemaError with the reason when the database
//! refuses, leaving the table or procedure at hand as it was.
Upgraded upgradeDatabase(db::Connection& connection);

}  // namespace schema
