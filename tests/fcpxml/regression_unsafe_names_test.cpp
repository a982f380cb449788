// File names with characters XML cannot carry (a control character, a name
// in Latin-1 rather than UTF-8) once made both ducking documents ill-formed:
// names reached attributes as they were, and the 1.6 source path kept line
// breaks and control characters raw. Found by the command line's bad-input
// tests; a name now loses only what XML cannot hold, and a path stays a
// byte-exact URL.
#include <gtest/gtest.h>

#include "ducking/volume_keyframes.h"
#include "fcpxml/ducking_cases.h"
#include "fcpxml/legacy_document.h"
#include "fcpxml/project_writer.h"
#include "platform/movie/fcpxml_time.h"
#include "support/test_support.h"

namespace quelvo {
namespace {

test::DuckingCase unsafeCase() {
    test::DuckingCase c;
    c.name = "unsafe";
    c.speakerPath = "/tmp/folder\nwith break/talk \x01\x7f caf\xe9.wav";
    c.musicPath = "/tmp/m\xc3\xbasica\t\x1f.mp3";
    c.fillerPath = "/tmp/fill\x02.wav";
    c.musicClusters = {{0, 10}, {12, 20}, {25, 30}};
    c.eventName = "talk \x01\x7f caf\xe9_duck_event";
    c.projectName = "line\nbreak \x1b_duck_project";
    return c;
}

TEST(UnsafeNamesRegression, SourcePathsEscapeControlCharactersAndNonUtf8Bytes) {
    using kymovie::FCPXMLUtils::fcpxmlPercEnc;
    EXPECT_EQ(fcpxmlPercEnc("/a\nb\x01\x7f.wav"), "file:///a%0Ab%01%7F.wav");
    EXPECT_EQ(fcpxmlPercEnc("/caf\xe9 1.wav"), "file:///caf%E9%201.wav");
    EXPECT_EQ(fcpxmlPercEnc("/caf\xc3\xa9.wav"), "file:///caf%C3%A9.wav");
}

TEST(UnsafeNamesRegression, BothDocumentsStayWellFormedAndValid) {
    const test::DuckingCase c = unsafeCase();
    const KnownMediaFacts facts = test::caseFacts(c);
    test::TempDir dir;

    const FCPXMLWriteResult project =
        writeProject(false, -12, c.speech, test::caseRolls(), 0, c.speakerPath, c.musicPath, c.fillerPath,
                     c.eventName, c.projectName, c.musicClusters, (dir / "p19.fcpxml").string(), facts);
    ASSERT_TRUE(project.status.ok()) << project.status.message();
    EXPECT_VALID_FCPXML(project.document, "1.9");
    EXPECT_NE(project.document.find("event name='talk \x7f caf\xef\xbf\xbd_duck_event'"), std::string::npos)
        << project.document;

    const auto info = [&](const std::string& p) { return facts.audioFile(p); };
    testing::internal::CaptureStdout();
    const FCPXMLWriteResult legacy = writeLegacyDocument(
        c.speakerPath, formatTenths(info(c.speakerPath).duration), info(c.speakerPath).sampleRate, c.musicPath,
        formatTenths(info(c.musicPath).duration), info(c.musicPath).sampleRate, c.fillerPath,
        formatTenths(info(c.fillerPath).duration), info(c.fillerPath).sampleRate, -12, c.speech,
        test::caseRolls(), 0, formatTenths(info(c.musicPath).duration), false, c.eventName, c.projectName,
        nullptr, (dir / "p16.fcpxml").string(), facts);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(legacy.status.ok()) << legacy.status.message();
    EXPECT_VALID_FCPXML(legacy.document, "1.6");
    EXPECT_NE(legacy.document.find("src='file:///tmp/folder%0Awith%20break/talk%20%01%7F%20caf%E9.wav'"),
              std::string::npos)
        << legacy.document;
}

} // namespace
} // namespace quelvo
