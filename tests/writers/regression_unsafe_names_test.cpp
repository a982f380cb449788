// File names with characters XML cannot carry (a control character, a name
// in Latin-1 rather than UTF-8) once made both ducking documents ill-formed:
// names reached attributes as they were, and the 1.6 source path kept line
// breaks and control characters raw. Found by the command line's bad-input
// tests; a name now loses only what XML cannot hold, and a path stays a
// byte-exact URL.
#include <gtest/gtest.h>

#include "ducking_cases.h"
#include "project/volume_keyframes.h"
#include "support/test_support.h"
#include "writers/fcpxml_time.h"
#include "writers/fcpxml_writers.h"

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
    test::DuckingCase c = unsafeCase();
    c.duckingDecrease = -12;
    const ProjectDescription description = test::describeCase(c);

    const std::string project = writeFcpxml19(description);
    EXPECT_VALID_FCPXML(project, "1.9");
    EXPECT_NE(project.find("event name='talk \x7f caf\xef\xbf\xbd_duck_event'"), std::string::npos) << project;

    const std::string legacy = writeFcpxml16(description);
    EXPECT_VALID_FCPXML(legacy, "1.6");
    EXPECT_NE(legacy.find("src='file:///tmp/folder%0Awith%20break/talk%20%01%7F%20caf%E9.wav'"), std::string::npos)
        << legacy;
}

} // namespace
} // namespace quelvo
