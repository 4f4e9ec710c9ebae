// Session: what the desktop shell needs before its main window opens — the database
// (the demo database made on first start, a file the user chose, or a shop's server
// named by a postgresql:// address), the lists the
// login offers (the branch, its stores and operators), and the sign-in that fills the
// host: login record, rights, settings (the branch's vt_sys_config over the defaults).
// No Qt here: the login window and the tests use the same functions.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/services/operator_sign_in.h"

namespace db {
class Connection;
}  // namespace db

namespace desktop {

//! One store or operator the login offers.
struct LoginEntry {
  std::int64_t id = 0;
  std::string code;
  std::string name;
  std::int64_t ck_id = 0;  //!< operators: the store they belong to (0 = any)
};

//! What the login window offers.
struct LoginLists {
  std::string orgid;    //!< the branch ("0001")
  std::string orgName;  //!< its name, for the window title
  std::vector<LoginEntry> stores;
  std::vector<LoginEntry> operators;
};

//! Opens a database file, or the server a postgresql:// (or postgres://) address names.
//! A missing file is made (schema and demo data) when `createDemo`, else refused; a
//! server database is made by its administrator and, when it holds no tables yet,
//! gets the schema (no demo data). A database made by an earlier build first gets the
//! tables added since (schema/schema_upgrade.h). Throws std::runtime_error with a
//! message for the user.
std::unique_ptr<db::Connection> openDatabase(const std::string& path, bool createDemo);

//! Reads the branch, its stores and operators. Throws std::runtime_error when the
//! database holds no branch or a query fails.
LoginLists readLoginLists(db::Connection& db);

//! Checks the operator's password (host/services/operator_sign_in.h); throws
//! host::SignInRefused with the one message for the user when it is refused. The
//! login window runs it before signIn(); on SetOwnPassword (a database without any
//! password yet) it signs in only once setOwnPassword() took the owner's new one.
[[nodiscard]] host::SignInStep checkPassword(db::Connection& db, const LoginLists& lists,
                                             std::int64_t czy_id, const std::string& password);
//! Keeps the first password of a database without any, typed by the operator whom
//! checkPassword() answered SetOwnPassword. Throws as OperatorSignIn::setOwnPassword.
void setOwnPassword(db::Connection& db, const LoginLists& lists, std::int64_t czy_id,
                    const std::string& password);

//! Signs `czy_id` in at store `ck_id`: the host's connection, login, rights and
//! settings. The rights are the operator's rows in the database, narrowed to `rights`
//! when given (from the command line: it can take rights away, never add one). Throws
//! std::runtime_error when the store or the operator is not in the lists.
void signIn(host::Host& host, db::Connection& db, const LoginLists& lists, std::int64_t ck_id,
            std::int64_t czy_id, std::optional<host::Rights> rights = std::nullopt);

//! The operator's rights as the database keeps them ("*" grants all).
host::Rights readRights(db::Connection& db, const std::string& orgid, std::int64_t czy_id);

//! Rights from a command-line text: "*" (or empty) for all, else codes split at ','.
host::Rights parseRights(const std::string& text);

}  // namespace desktop
