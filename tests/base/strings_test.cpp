// String services as the parsers and writers rely on them: character (not
// byte) positions, replacement, escaping, splitting and tag removal.
#include "base/string_template.h"
#include "base/strings.h"
#include "support/test_support.h"

using namespace quelvo;

TEST(CharacterPositions, CountUnicodeCharactersNotBytes) {
    const std::string s = "\xC3\xA9t\xC3\xA9\n-->x"; // "été\n-->x"
    EXPECT_EQ(characterCount(s), 8);
    EXPECT_EQ(characterPosition(s, "\n"), 3);
    EXPECT_EQ(characterPosition(s, "-->"), 4);
    EXPECT_EQ(characterPosition(s, "zz"), -1);
    EXPECT_EQ(characterPosition("a-b-c", "-", 0, 1), 3);
    EXPECT_EQ(characterPosition("a-b-c", "-", 2), 3);
    EXPECT_EQ(characterSubstring(s, 0, 3), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(characterSubstring(s, 2, 100), "\xC3\xA9\n-->x");
    EXPECT_EQ(characterSubstring(s, 5, 2), "");
    EXPECT_EQ(right(s, 2), ">x");
    EXPECT_EQ(stripRight(s, 5), "\xC3\xA9t\xC3\xA9");
}

TEST(CharacterPositions, InvalidBytesCountAsOneCharacterAndSurviveUnchanged) {
    const std::string s = "a\xFF\xC3z";
    EXPECT_EQ(characterCount(s), 4);
    EXPECT_EQ(toUtf8(toUtf32(s)), s);
    EXPECT_EQ(characterSubstring(s, 1, 3), "\xFF\xC3");
    EXPECT_FALSE(isValidUtf8(s));
}

TEST(Replace, CaseSensitiveAndIgnoringCase) {
    EXPECT_EQ(replace("a\n\n\nb", "\n\n\n", "\n\n", false), "a\n\nb");
    EXPECT_EQ(replace("x <I>y</i> z", "<i>", "", true), "x y</i> z");
    EXPECT_EQ(replace("file://FILE://a", "file://file://", "file://", true), "file://a");
    EXPECT_EQ(replace("abc", "", "z", false), "abc");
}

TEST(AttributeEscaping, EscapesForTheQuoteItLandsIn) {
    EXPECT_EQ(xmlEscapeAttribute("Tom & \"Jerry\" <1> it's", false),
              "Tom &amp; &quot;Jerry&quot; &lt;1&gt; it&apos;s");
    EXPECT_EQ(xmlEscapeAttribute("it's", true), "it's");
    EXPECT_EQ(xmlEscapeAttribute("Ünïcødé", false), "Ünïcødé");
    EXPECT_EQ(xmlEscapeText("a<b & 'c'"), "a&lt;b &amp; 'c'");
}

TEST(Split, CutsAtTheLastBlankBeforeTheLimitNeverInsideACharacter) {
    EXPECT_EQ(split("short", 10), std::vector<std::string>{"short"});
    EXPECT_EQ(split("one two three four", 9),
              (std::vector<std::string>{"one two", "three", "four"}));
    EXPECT_EQ(split("abcdefghij", 4), (std::vector<std::string>{"abcd", "efgh", "ij"}));
    EXPECT_EQ(split("\xC3\xA9\xC3\xA9\xC3\xA9", 2),
              (std::vector<std::string>{"\xC3\xA9\xC3\xA9", "\xC3\xA9"}));
    EXPECT_EQ(split("a b\nccc dd", 4), (std::vector<std::string>{"a b", "ccc", "dd"}));
}

TEST(Lines, CountsLinesAndTrims) {
    EXPECT_EQ(lines("").size(), 0u);
    EXPECT_EQ(lines("one").size(), 1u);
    EXPECT_EQ(lines("one\ntwo").size(), 2u);
    EXPECT_EQ(lines("one\ntwo\n").size(), 2u);
    EXPECT_EQ(trimWhitespace("\n\t a b \r\n"), "a b");
    EXPECT_EQ(trimNewLinesAtBeginning("\n\n1\n"), "1\n");
}

TEST(RemoveTag, DropsOpeningTagsWithAttributesAndClosingTags) {
    EXPECT_EQ(remove("<font color=\"#ff0000\">Red</font> text", "font"), "Red text");
    EXPECT_EQ(remove("<FONT face='x'>A</Font>", "font"), "A");
    EXPECT_EQ(remove("<fontish>keep</fontish>", "font"), "<fontish>keep</fontish>");
    EXPECT_EQ(remove("a < b", "font"), "a < b");
}

TEST(StringTemplate, FillsSquareBracketTokensOnce) {
    StringTemplate t("<a x=\"[x]\" y=\"[y]\" [missing]/>");
    EXPECT_EQ(t.fillText({{"x", "[y]"}, {"y", "2"}}), "<a x=\"[y]\" y=\"2\" [missing]/>");
}
