// Subtitle files from other projects' test data that once lost text: stray
// NUL bytes, cues with a blank line inside or none between them, a block
// without a time line, and Western European legacy files read as Central
// European ones.
#include <iconv.h>

#include "support/test_support.h"
#include "titles/ky_srt.h"
#include "titles/text_encodings.h"

using namespace quelvo;
using namespace quelvo::test;

namespace {

// UTF-8 text in another encoding, for files as legacy tools write them.
std::string encode(const std::string& utf8, const char* to) {
    iconv_t cd = iconv_open(to, "UTF-8");
    std::string out(utf8.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(utf8.data());
    char* at = out.data();
    size_t inLeft = utf8.size(), outLeft = out.size();
    EXPECT_NE(iconv(cd, &in, &inLeft, &at, &outLeft), static_cast<size_t>(-1)) << to;
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

KySRT readBytes(const std::string& bytes) {
    TempDir dir;
    writeFile(dir / "subs.srt", bytes);
    return KySRT::fromFileUrl((dir / "subs.srt").string());
}

const std::string kTwo = "1\n00:00:01,000 --> 00:00:02,000\nOne\n\n2\n00:00:03,000 --> 00:00:04,000\nTwo\n";

} // namespace

TEST(SrtRealUse, StrayNulBytesAreDroppedAndUtf16StillFound) {
    KySRT padded = readBytes(kTwo + std::string(300, '\0'));
    ASSERT_EQ(padded.titles.size(), 2u);
    EXPECT_EQ(padded.titles[1].text, "Two");
    EXPECT_EQ(padded.droppedNuls, 300);
    EXPECT_EQ(padded.encoding, "UTF-8");

    std::string inside = kTwo;
    inside.insert(inside.find("One") + 1, 1, '\0');
    const KySRT one = readBytes(inside);
    ASSERT_EQ(one.titles.size(), 2u);
    EXPECT_EQ(one.titles[0].text, "One");

    const KySRT utf16 = readBytes(encode(kTwo, "UTF-16LE"));
    ASSERT_EQ(utf16.titles.size(), 2u);
    EXPECT_EQ(utf16.encoding, "UTF-16LE");
}

TEST(SrtRealUse, ACounterAndTimeLineStartABlockWhereverTheyStand) {
    // A blank line inside the last cue keeps the rest of it.
    const KySRT last = KySRT::fromText(kTwo + "\nand more of two\n");
    ASSERT_EQ(last.titles.size(), 2u);
    EXPECT_EQ(last.titles[1].text, "Two\n\nand more of two");
    // No blank line between two cues: the second is a cue of its own.
    const KySRT tight = KySRT::fromText("1\n00:00:01,000 --> 00:00:02,000\nOne\n2\n00:00:03,000 --> 00:00:04,000\nTwo\n");
    ASSERT_EQ(tight.titles.size(), 2u);
    EXPECT_EQ(tight.titles[0].text, "One");
    EXPECT_EQ(tight.titles[1].id, 2);
    // A broken block in the middle is skipped and counted; the rest is read.
    const KySRT broken = KySRT::fromText("1\n00:00:01,000 --> 00:00:02,000\nOne\n\n2\nno time\nat all\n\n" +
                                         kTwo.substr(kTwo.find("2\n")));
    ASSERT_EQ(broken.titles.size(), 2u);
    EXPECT_EQ(broken.titles[1].text, "Two");
    EXPECT_EQ(broken.skippedBlocks, 1);
    EXPECT_EQ(broken.skippedLines, 3);
}

TEST(SrtRealUse, LegacyEightBitFilesAreReadInTheEncodingTheyAreIn) {
    struct Case {
        const char* encoding;
        std::string text;
        const char* expectedName;
    };
    const Case cases[] = {
        {"WINDOWS-1252", "Où est la gare ? À gauche, après l'église. Très bien, merci à vous.", "WINDOWS-1252"},
        // 0x83, 0x88 and 0x98 have no character in Windows-1250.
        {"WINDOWS-1252", "Voilà… « Ça va ? » — Oui, ça va très bien. L'œuvre coûte ˆ˜ ƒ.", "WINDOWS-1252"},
        {"WINDOWS-1252", "Größe und Übermaß: die Straße führt über die Brücke nach München.", "WINDOWS-1252"},
        {"WINDOWS-1250", "Příliš žluťoučký kůň úpěl ďábelské ódy. Řekl jsem mu, že to není pravda.", "WINDOWS-1250"},
        {"WINDOWS-1250", "Zażółć gęślą jaźń. Pójdźże, kiń tę chmurność w głąb flaszy! Święty Łukasz.", "WINDOWS-1250"},
        {"ISO-8859-2", "Zażółć gęślą jaźń. Pójdźże, kiń tę chmurność w głąb flaszy! Święty Łukasz.", "ISO-8859-2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const KySRT srt = readBytes(encode("1\n00:00:01,000 --> 00:00:02,000\n" + c.text + "\n", c.encoding));
        ASSERT_EQ(srt.titles.size(), 1u);
        EXPECT_EQ(srt.titles[0].text, c.text);
        EXPECT_EQ(srt.encoding, c.expectedName);
    }
}
