// The keys of test table t (column a), in order and comma-separated: what the db tests
// compare after a batch to see which rows it kept.
#pragma once

#include <string>

#include "db/connection.h"

namespace dbtest {

inline std::string keysOfT(db::Connection& c) {
  db::BatchResult r = c.execBatch("select a from t order by a");
  std::string out;
  for (const auto& row : r.resultSets.at(0).rows) out += (out.empty() ? "" : ",") + row.at(0).asText();
  return out;
}

}  // namespace dbtest
