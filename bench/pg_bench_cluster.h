// The benchmarks' own throwaway PostgreSQL cluster (scripts/pg_cluster.sh), started on
// first use and stopped at exit, and a statement that must succeed.
#pragma once

#include <libpq-fe.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "db/pg_runtime.h"

namespace pgbench {

class Cluster {
 public:
  static const std::string& uri() {
    static Cluster cluster;
    return cluster.uri_;
  }

 private:
  Cluster() : state_("/tmp/coreapp-pg-bench-" + std::to_string(getpid())) {
    std::string script = std::string(COREAPP_SOURCE_DIR) + "/scripts/pg_cluster.sh";
    if (std::system(("bash '" + script + "' start '" + state_ + "' >/dev/null").c_str()) != 0)
      throw std::runtime_error("the PostgreSQL cluster did not start (see scripts/pg_cluster.sh)");
    std::ifstream in(state_ + "/uri");
    std::getline(in, uri_);
  }
  ~Cluster() {
    std::string script = std::string(COREAPP_SOURCE_DIR) + "/scripts/pg_cluster.sh";
    if (std::system(("bash '" + script + "' stop '" + state_ + "' >/dev/null").c_str()) != 0)
      std::fputs("could not stop the benchmark cluster\n", stderr);
  }
  std::string state_;
  std::string uri_;
};

inline void must(PGconn* c, const char* sql) {
  if (std::string error = db::pg::runScript(c, sql); !error.empty()) throw std::runtime_error(error);
}

}  // namespace pgbench
