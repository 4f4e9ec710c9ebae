// The PostgreSQL cluster of this test run. Under ctest the fixture `pg_cluster` has
// started it once (scripts/pg_cluster.sh) and left its URI in build/pg/uri; a test
// binary run by hand starts its own on first use and stops it at exit. Missing server
// binaries fail the test with the script's message on how to install them.
#pragma once

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "db/pg_runtime.h"

namespace pgtest {

inline std::string readFirstLine(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

inline bool answers(const std::string& uri) {
  PGconn* c = PQconnectdb(uri.c_str());
  bool ok = PQstatus(c) == CONNECTION_OK;
  PQfinish(c);
  return ok;
}

//! Starts (once) a cluster owned by this process; stopped when the process ends.
inline std::string ownCluster(std::string& failure) {
  static std::string uri;
  static std::string error;
  static bool tried = false;
  if (!tried) {
    tried = true;
    static const std::string state = std::string(COREAPP_BINARY_DIR) + "/pg-" + std::to_string(getpid());
    std::string script = std::string(COREAPP_SOURCE_DIR) + "/scripts/pg_cluster.sh";
    std::string cmd = "bash '" + script + "' start '" + state + "' 2>&1";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
      char buf[512];
      while (fgets(buf, sizeof buf, p)) out += buf;
      if (pclose(p) == 0) uri = readFirstLine(state + "/uri");
    }
    if (uri.empty()) error = "the PostgreSQL test cluster did not start:\n" + out;
    else
      std::atexit([] {
        std::string stop = "bash '" + std::string(COREAPP_SOURCE_DIR) + "/scripts/pg_cluster.sh' stop '" +
                           state + "' >/dev/null 2>&1";
        if (std::system(stop.c_str()) != 0) std::fputs("could not stop the test cluster\n", stderr);
      });
  }
  failure = error;
  return uri;
}

//! The cluster's URI (database "postgres"); empty with `failure` set when there is none.
inline std::string clusterUri(std::string& failure) {
  std::string shared = readFirstLine(std::string(COREAPP_BINARY_DIR) + "/pg/uri");
  if (!shared.empty() && answers(shared)) return shared;
  return ownCluster(failure);
}

//! Runs one statement on `uri`; the error text, or "" when it succeeded.
inline std::string run(const std::string& uri, const std::string& sql) {
  PGconn* c = PQconnectdb(uri.c_str());
  std::string error = PQstatus(c) == CONNECTION_OK ? "" : PQerrorMessage(c);
  PQsetNoticeProcessor(c, [](void*, const char*) {}, nullptr);  // "does not exist, skipping"
  if (error.empty()) error = db::pg::runScript(c, sql);
  PQfinish(c);
  return error;
}

//! A new database `name` on the cluster (dropped first if left from a past run), empty
//! or a copy of the database `from`; its URI. Fails the running test when the cluster
//! or the database cannot be made.
inline std::string freshDatabase(const std::string& name, const std::string& from = "template0") {
  std::string failure;
  std::string uri = clusterUri(failure);
  if (uri.empty()) {
    ADD_FAILURE() << failure;
    return {};
  }
  std::string error = run(uri, "DROP DATABASE IF EXISTS \"" + name + "\" WITH (FORCE)");
  if (error.empty()) error = run(uri, "CREATE DATABASE \"" + name + "\" TEMPLATE \"" + from + "\" ENCODING 'UTF8'");
  if (!error.empty()) {
    ADD_FAILURE() << "cannot create the test database " << name << ": " << error;
    return {};
  }
  const std::string cluster = "postgresql:///postgres";
  return "postgresql:///" + name + uri.substr(cluster.size());
}

}  // namespace pgtest
