// Upgrading an older database when it is opened: a shop's file or server made by an
// earlier build lacks the tables added since, and gets each from the same script file
// that makes it in a new database, in that file's one transaction, so a shop never has
// to run anything by hand before it can sign in.
#pragma once

#include "db/connection.h"

namespace schema {

//! Adds the tables the database lacks of those added since the first schema (the
//! operators' sign-in table vt_sys_user_login); true when it added one. Throws
//! SchemaError with the reason when the database refuses, leaving it as it was.
bool upgradeDatabase(db::Connection& connection);

}  // namespace schema
