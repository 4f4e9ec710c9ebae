// JsonText: a JSON text read in place for the T-SQL JSON functions. Values are spans of
// the original text, so JSON_QUERY and OPENJSON hand back a fragment exactly as it was
// written ("1.50" stays "1.50", spacing kept); JSON_MODIFY writes the containers along
// its path again compactly and keeps every other value's text as it stands.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tsql/runtime/json_path.h"

namespace tsql::runtime {

class JsonText {
 public:
  //! OPENJSON's type column: 0 null, 1 string, 2 number, 3 true/false, 4 array, 5 object.
  enum class Kind : int { Null = 0, String = 1, Number = 2, Bool = 3, Array = 4, Object = 5 };
  struct Span {
    std::size_t begin = 0, end = 0;  //!< byte offsets of the value in the text
    Kind kind = Kind::Null;
  };
  struct Member {
    std::string key;  //!< a member's name (escapes undone), an element's index as text
    Span value;
  };

  //! Reads `text` (which must outlive this); throws RuntimeError 13609 at the first
  //! character that is not JSON.
  explicit JsonText(std::string_view text);
  //! The kind of the whole text when it is JSON; nullopt otherwise.
  static std::optional<Kind> kindOf(std::string_view text);

  Span root() const { return root_; }
  //! The value the first `count` steps lead to; nullopt where a member or element is missing.
  std::optional<Span> find(const std::vector<JsonPath::Step>& steps, std::size_t count) const;
  //! An object's members or an array's elements in order; empty for a scalar.
  std::vector<Member> children(Span container) const;
  std::string_view raw(Span s) const { return text_.substr(s.begin, s.end - s.begin); }
  //! A scalar as text: a string without quotes and escapes, a number as written,
  //! true/false; "" for null or a container.
  std::string scalarText(Span s) const;
  //! The text with the value `path` names set to `json` (a JSON value's text), removed
  //! when `json` is nullopt in lax mode (null in strict); unchanged where a lax path
  //! leads nowhere. Throws RuntimeError 13608 where a strict one does.
  std::string modify(const JsonPath& path, const std::optional<std::string>& json) const;

  //! Offset just past the string opening at `quote`; npos when it never closes.
  static std::size_t stringEnd(std::string_view text, std::size_t quote);
  //! A quoted JSON string's characters, escapes undone.
  static std::string unescape(std::string_view quoted);
  //! `text` as a JSON string: quotes, backslashes, slashes and control characters escaped.
  static std::string quote(std::string_view text);
  //! Bytes of the UTF-8 character that starts with `lead`.
  static std::size_t charBytes(char lead);
  //! Characters (not bytes) in UTF-8 text.
  static std::size_t charCount(std::string_view text);

 private:
  std::optional<std::string> modifyAt(Span node, const JsonPath& path, std::size_t step,
                                      const std::optional<std::string>& json) const;
  std::optional<std::string> appendAt(const JsonPath& path, const std::string& json) const;
  //! The container written compactly: members as (key, value text), keys quoted again.
  static std::string rebuild(Kind kind,
                             const std::vector<std::pair<std::string, std::string>>& parts);
  std::vector<std::pair<std::string, std::string>> parts(Span container) const;

  std::string_view text_;
  Span root_;
};

}  // namespace tsql::runtime
