// JsonPath: the path argument of JSON_VALUE, JSON_QUERY, JSON_MODIFY and OPENJSON:
// [append] [lax | strict] $ { .key | ."quoted key" | [index] }. Lax is the default: a
// path that leads nowhere gives NULL; strict makes it an error.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tsql::runtime {

struct JsonPath {
  struct Step {
    bool isIndex = false;
    std::string key;        //!< a member's name, escapes undone
    std::size_t index = 0;  //!< an array element, from 0
  };
  bool strict = false;
  bool append = false;  //!< JSON_MODIFY's `append`: add to the array the path names
  std::vector<Step> steps;

  //! Reads a path; `append` allowed only where JSON_MODIFY reads it. Throws
  //! RuntimeError 13607 naming the first character it cannot read.
  static JsonPath parse(std::string_view text, bool allowAppend = false);
};

}  // namespace tsql::runtime
