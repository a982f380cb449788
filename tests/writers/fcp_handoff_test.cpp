// Handing a document to Final Cut Pro: a new complete file in the cache
// folder, opened by the opener; failures come back, never swallowed.
#include <gtest/gtest.h>

#include "support/opener_recorder.h"
#include "writers/fcp_handoff.h"

namespace quelvo::fcpHandoff {
namespace {

using quelvo::test::OpenerRecorder;
using quelvo::test::readFile;

const std::string kDoc =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<fcpxml version=\"1.9\"><library>"
    "<event name='e'><project name='Talk &amp; &apos;Music&apos;'><sequence/></project></event>"
    "</library></fcpxml>\n";

TEST(FCPHandoff, WritesACompleteDocumentToTheCacheFolderAndOpensIt) {
    OpenerRecorder opener;
    ASSERT_TRUE(sendDirectlyToFCP("Quelvo", kDoc).ok());
    const auto files = opener.handoffFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(readFile(files[0]), kDoc);
    EXPECT_EQ(files[0].extension(), ".fcpxml");
    EXPECT_EQ(files[0].filename().string().rfind("Talk & 'Music'-", 0), 0u) << files[0];
    // The opener got the file, and nothing else.
    EXPECT_EQ(opener.calls(), std::vector<std::string>{files[0].string()});
}

TEST(FCPHandoff, EveryHandOverGetsItsOwnFile) {
    OpenerRecorder opener;
    ASSERT_TRUE(sendDirectlyToFCP("Quelvo", kDoc).ok());
    ASSERT_TRUE(sendDirectlyToFCP("Quelvo", kDoc + "<!-- 2 -->").ok());
    const auto files = opener.handoffFiles();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(opener.calls().size(), 2u);
    EXPECT_NE(readFile(files[0]), readFile(files[1]));
}

TEST(FCPHandoff, AFailingOpenerIsReportedWithTheFile) {
    OpenerRecorder opener(3);
    const auto status = sendDirectlyToFCP("Quelvo", kDoc);
    ASSERT_FALSE(status.ok());
    const auto files = opener.handoffFiles();
    ASSERT_EQ(files.size(), 1u);
    // The document stays, so the user can open it by hand.
    EXPECT_NE(status.message().find(files[0].string()), std::string::npos) << status.message();
    EXPECT_NE(status.message().find("status 3"), std::string::npos) << status.message();
}

TEST(FCPHandoff, AnOpenerThatCannotStartIsReported) {
    OpenerRecorder opener;
    setenv(kOpenerVariable, (opener.cacheHome() / "no-such-opener").c_str(), 1);
    const auto status = sendDirectlyToFCP("Quelvo", kDoc);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.message().find("no-such-opener"), std::string::npos) << status.message();
}

TEST(FCPHandoff, AnUnwritableCacheFolderIsReported) {
    OpenerRecorder opener;
    // A file where the folder should be stops the write, even for root.
    std::filesystem::create_directories(opener.handoffDir().parent_path());
    quelvo::test::writeFile(opener.handoffDir(), "in the way");
    const auto status = sendDirectlyToFCP("Quelvo", kDoc);
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message().find("could not hand the project to Final Cut Pro"),
              std::string::npos)
        << status.message();
    EXPECT_TRUE(opener.calls().empty());
}

TEST(FCPHandoff, OpenerCommandByPlatformAndOverride) {
    OpenerRecorder opener;
    EXPECT_EQ(openerCommand("/c/x.fcpxml"),
              (std::vector<std::string>{opener.script().string(), "/c/x.fcpxml"}));
    unsetenv(kOpenerVariable);
#ifdef __APPLE__
    EXPECT_EQ(openerCommand("/c/x.fcpxml"),
              (std::vector<std::string>{"open", "-a", "Final Cut Pro", "/c/x.fcpxml"}));
#else
    EXPECT_EQ(openerCommand("/c/x.fcpxml"), (std::vector<std::string>{"xdg-open", "/c/x.fcpxml"}));
#endif
}

TEST(FCPHandoff, FileNamesComeFromTheProjectAndAreSafe) {
    EXPECT_EQ(handoffBaseName("Quelvo", kDoc), "Talk & 'Music'");
    EXPECT_EQ(handoffBaseName("Quelvo", "<project name=\"a/b:c&lt;d&gt;\">"), "a_b_c_d_");
    EXPECT_EQ(handoffBaseName("Quelvo", "<project name='..hidden'>"), "hidden");
    EXPECT_EQ(handoffBaseName("Quelvo", "<fcpxml/>"), "Quelvo");
    EXPECT_EQ(handoffBaseName("", "<project name=''>"), "Quelvo");
    // Long names are cut between characters, never inside one.
    std::string longName;
    for (int i = 0; i < 50; ++i)
        longName += "é";
    const std::string cut = handoffBaseName("Quelvo", "<project name='" + longName + "'>");
    EXPECT_EQ(cut.size(), 80u);
    EXPECT_EQ(cut, longName.substr(0, 80));
}

} // namespace
} // namespace quelvo::fcpHandoff
