// The T-SQL files of db/schema and db/demo, embedded into the program at build time
// (cmake/embed_schema.cmake), so a database can be created wherever the binary runs.
#pragma once

#include <string_view>
#include <vector>

namespace schema {

//! One embedded T-SQL file: its file name and its whole text.
struct ScriptFile {
  std::string_view name;
  std::string_view text;
};

//! Tables, views and procedures, in load order (file-name order of db/schema).
const std::vector<ScriptFile>& schemaFiles();

//! Demo master data, in load order (file-name order of db/demo).
const std::vector<ScriptFile>& demoFiles();

}  // namespace schema
