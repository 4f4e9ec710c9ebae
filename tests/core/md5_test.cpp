// MD5S over the 8-bit code page and newid. Expected digests come from outside this
// code: RFC 1321's test suite, and shell pipelines noted beside each value.
#include "core/md5.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "core/guid.h"

namespace core {
namespace {

// Restores the code page whatever a test sets.
class Md5Test : public ::testing::Test {
 protected:
  void TearDown() override { setAnsiCodePage("GBK"); }
};

TEST_F(Md5Test, DigestOfTheGbkBytes) {
  EXPECT_EQ(ansiCodePage(), "GBK");
  // printf '%s' '中文' | iconv -f UTF-8 -t GBK | md5sum
  EXPECT_EQ(MD5S("中文"), "bcce109775e8e1972e9f5fcda3e12895");
  // printf '%s' '会员密码123' | iconv -f UTF-8 -t GBK | md5sum
  EXPECT_EQ(MD5S("会员密码123"), "d19140505f430b4918bf72434f4ca856");
  // printf '%s' '中文' | iconv -f UTF-8 -t GBK | xxd -p  ->  d6d0cec4
  EXPECT_EQ(toAnsi("中文"), "\xD6\xD0\xCE\xC4");
  // RFC 1321 test suite.
  EXPECT_EQ(MD5S("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST_F(Md5Test, CodePageIsConfigurable) {
  setAnsiCodePage("UTF-8");
  // printf '%s' '中文' | md5sum
  EXPECT_EQ(MD5S("中文"), "a7bac2239fcdcb3a067903d8077c4a07");
  setAnsiCodePage("no-such-code-page");
  EXPECT_THROW(MD5S("x"), std::runtime_error);
}

TEST_F(Md5Test, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  // an emoji has no GBK code; a byte that is not UTF-8 at all; a cut-off character
  for (const char* text : {"a\xF0\x9F\x98\x80" "b", "a\xFF" "b", "a\xE4\xB8" "b"})
    EXPECT_EQ(toAnsi(text), "a?b") << text;
  EXPECT_EQ(toAnsi("\xE4\xB8"), "?");
  // printf '%s' 'a?b' | md5sum
  EXPECT_EQ(MD5S("a\xF0\x9F\x98\x80" "b"), "0166d849f21a9d699d896ea2a79a375f");
}

TEST(GuidTest, NewidLooksLikeTheDatabasesNewidAndIsUnique) {
  const std::regex shape("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
  std::set<std::string> seen;
  for (int i = 0; i < 1000; ++i) {
    const std::string id = newid();
    ASSERT_TRUE(std::regex_match(id, shape)) << id;
    seen.insert(id);
  }
  EXPECT_EQ(seen.size(), 1000u);
}

}  // namespace
}  // namespace core
