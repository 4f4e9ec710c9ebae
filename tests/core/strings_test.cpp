// Text helpers: replacing every occurrence without rescanning, ASCII-only case
// folding that leaves Chinese text intact, splitting with empty parts kept.
#include "core/strings.h"

#include <gtest/gtest.h>

namespace core {
namespace {

TEST(StringsTest, ReplaceAllReplacesEveryOccurrenceOnce) {
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
      {"where billno='TMP' or x='TMP'", "'TMP'", "@billno", "where billno=@billno or x=@billno"},
      {"aaa", "a", "aa", "aaaaaa"},  // replacements are not scanned again
      {"abc", "x", "y", "abc"}, {"", "a", "b", ""}, {"中文中文", "文", "", "中中"},
  };
  for (const auto& [text, from, to, expected] : cases)
    EXPECT_EQ(replaceAll(text, from, to), expected) << text;
}

TEST(StringsTest, CaseAndTrim) {
  EXPECT_TRUE(sameText("True", "tRUE"));
  EXPECT_FALSE(sameText("true", "true "));
  EXPECT_TRUE(sameText("合计Sum", "合计sum"));
  EXPECT_EQ(lowerCase("LookupComboBox 中文"), "lookupcombobox 中文");
  EXPECT_EQ(upperCase("a-b 中"), "A-B 中");
  EXPECT_EQ(trim(" \t x y \r\n"), "x y");
  EXPECT_EQ(trim("   "), "");
}

TEST(StringsTest, SplitKeepsEmptyPartsAndJoinInverts) {
  EXPECT_EQ(split("a,,b", ","), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(split("", ","), (std::vector<std::string>{""}));
  EXPECT_EQ(split("l1\r\nl2\r\n", "\r\n"), (std::vector<std::string>{"l1", "l2", ""}));
  for (const char* text : {"a,,b", "", "x", ",lead,trail,"}) EXPECT_EQ(join(split(text, ","), ","), text);
}

TEST(StringsTest, EscapeHtmlLeavesNoMarkupOrQuoteAndKeepsChinese) {
  EXPECT_EQ(escapeHtml("<a href=\"x\" title='y'>&amp;</a>"),
            "&lt;a href=&quot;x&quot; title=&#39;y&#39;&gt;&amp;amp;&lt;/a&gt;");
  EXPECT_EQ(escapeHtml("华宇地产 & 美味轩"), "华宇地产 &amp; 美味轩");
}

}  // namespace
}  // namespace core
