// FirstRun: what a new shop's empty database gets before anyone can sign in — the
// branch, its first store and the owner as the first operator with every right and a
// password — in one transaction, so a failure leaves the database empty as it was.
#pragma once

#include <string>

#include "core/password_hasher.h"

namespace db {
class Connection;
}  // namespace db

namespace host {

struct FirstRunInput {
  std::string shop;            //!< the shop's name, printed on its bills
  std::string store = "总店";  //!< the first store's name
  std::string owner;           //!< the owner's name, the first operator
  std::string password;        //!< the owner's password (kept only as its hash)
};

//! The branch id and the codes the first run gives its store and owner.
inline constexpr const char* kFirstOrgid = "0001";
inline constexpr const char* kFirstStoreCode = "01";
inline constexpr const char* kFirstOwnerCode = "001";

//! Refuses, with a message for the user, a missing or too long name or a password
//! that is too short; runFirstRun() checks the same before it writes anything.
void validateFirstRun(const FirstRunInput& input);

//! True when the database holds no branch yet (vt_sys_org is empty).
bool needsFirstRun(db::Connection& db);

//! Creates the branch, its store, the owner (employee of that store, rights "*") and
//! his password hash, plus the branch's default settings. Throws std::runtime_error
//! with a message for the user when a name is missing or too long, the password is
//! too short, the database already holds a branch, or the database fails.
void runFirstRun(db::Connection& db, const FirstRunInput& input,
                 const core::PasswordHasher& hasher = core::PasswordHasher::production());

}  // namespace host
