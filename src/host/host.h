// Host: everything one session of the host holds for the forms — the database
// connection, the login, rights and control rules, settings, bill options, plug
// configuration documents, print and drawer set-up, and the Ui. The shell, the
// scenario player and the tests create one and make it current (HostScope); the free
// host services (sqlTemplate, execSQL, MessageMyDlg, ...) act on the current host.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "core/log.h"
#include "host/sys_auth.h"

namespace db {
class Connection;
}

namespace host {

class Ui;

//! The user's rights: every right, or the listed rights codes.
struct Rights {
  bool all = false;             //!< "*": every right
  std::set<std::string> codes;  //!< e.g. "1100_01"
  //! True when the user holds the right with this code.
  bool has(std::string_view code) const { return all || codes.count(std::string(code)) > 0; }
};

//! Per plug code: the bill options the user set (Tbilloptionsform).
struct BillOptions {
  std::string newbill = "0";  //!< '1' = a page opened without a bill starts a new one
};

class Host {
 public:
  db::Connection* connection = nullptr;             //!< not owned
  Ui* ui = nullptr;                                 //!< not owned
  SysAuth login;                                    //!< the signed-in user
  Rights rights;                                    //!< what he may do
  std::map<std::string, std::string> controlRules;  //!< per-user rules ("maxjmje")
  std::map<std::string, std::string> settings;      //!< host settings ("zidongchuku", ...)
  std::map<std::string, BillOptions> billOptions;   //!< by plug code
  std::map<std::string, std::string> plugInfo;      //!< configuration document by plug code
  //! Supplies the configuration document of a plug code that plugInfo does not hold
  //! (the defaults that ship with the program); "" when there is none.
  std::function<std::string(std::string_view code)> defaultPlugInfo;
  //! Per plug code: the user's field rules of its line grid (TCustBillRule), JSON text.
  std::map<std::string, std::string> custBillRules;
  //! Per plug code: the user's saved column layout of its line grid (TMyCxGrid).
  std::map<std::string, std::string> gridLayouts;
  std::string printFolder;          //!< where printed documents go ("" = a temp folder)
  std::string printTemplateFolder;  //!< <code>.json print templates overriding the defaults
  std::string moneyBoxCommand;      //!< shell command that opens the cash drawer ("" = none)
  //! Makes new unique keys for newid(); a random GUID when empty. The player may set a
  //! counter so transcripts repeat exactly.
  std::function<std::string()> idSource;
  //! Opens the server connection again after it went away, showing the attempts (the
  //! desktop's status bar); unset: host::reconnectCurrentHost's own series.
  std::function<bool()> reconnect;

  //! The connection; throws std::logic_error when none is set.
  db::Connection& db() const;
  //! The Ui; throws std::logic_error when none is set.
  Ui& screen() const;
  //! Bill options of a plug code (defaults when never set).
  BillOptions billOptionsOf(std::string_view code) const;
};

//! The current host; throws std::logic_error when none is current.
Host& currentHost();
//! True when a host is current.
bool hasCurrentHost();

//! Makes a host current for its lifetime and restores the previous one after. While
//! it is current, the debug log (core::LogMsg) goes to the host's Ui.
class HostScope {
 public:
  explicit HostScope(Host& host);
  ~HostScope();
  HostScope(const HostScope&) = delete;
  HostScope& operator=(const HostScope&) = delete;

 private:
  Host* previous_;
  core::ScopedLogSink log_;
};

}  // namespace host
