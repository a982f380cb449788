// The send path of the 1.9 writer: with "send to Final Cut Pro without an XML
// file" set, nothing lands next to the dialogue; one complete document lands
// in the cache folder and is opened a second after the writer returns.
#include <chrono>

#include <gtest/gtest.h>

#include "fcpxml/ducking_cases.h"
#include "fcpxml/project_writer.h"
#include "movie/opener_recorder.h"
#include "platform/toolkit/concurrency.h"
#include "titles/settings/fcpxml_titles_settings.h"

namespace quelvo {
namespace {

double nowSeconds() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// Switches sending on for one test; the settings object lives for the process.
class SendingOn {
public:
    SendingOn() { FCPXML_Titles_Settings::shared().xmlExport.sendToFCPWithoutXMLFile = true; }
    ~SendingOn() {
        kykit::Queue::drain();
        FCPXML_Titles_Settings::shared().xmlExport.sendToFCPWithoutXMLFile = false;
    }
};

struct Sent {
    FCPXMLWriteResult result;
    double returnedAt = 0;
    std::vector<kykit::Status> reports;
    std::vector<std::string> copies; // the hand-over files the reports named
};

Sent send(const std::string& outputFile) {
    const auto c = test::duckingCases().front();
    const auto facts = test::caseFacts(c);
    auto reports = std::make_shared<std::vector<kymovie::KyFCPXML::HandOverResult>>();
    Sent sent;
    sent.result = writeProject(c.decreaseToZero, c.duckingDecrease, c.speech, test::caseRolls(),
                               c.overallMusicLevel, c.speakerPath, c.musicPath, std::nullopt,
                               c.eventName, c.projectName, {}, outputFile, facts,
                               [reports](const kymovie::KyFCPXML::HandOverResult& r) { reports->push_back(r); });
    sent.returnedAt = nowSeconds();
    kykit::Queue::drain();
    for (const auto& r : *reports) {
        sent.reports.push_back(r.status);
        sent.copies.push_back(r.file);
    }
    return sent;
}

TEST(SendToFCP, DocumentGoesToTheCacheFolderAndIsOpenedASecondLater) {
    test::OpenerRecorder opener;
    SendingOn sending;
    test::TempDir dialogueFolder;
    const auto output = dialogueFolder / "talk.fcpxml";
    const Sent sent = send(output.string());

    EXPECT_TRUE(sent.result.status.ok());
    EXPECT_TRUE(sent.result.sentToFCP);
    EXPECT_EQ(sent.result.outputPath, "");
    EXPECT_FALSE(std::filesystem::exists(output));
    EXPECT_TRUE(std::filesystem::is_empty(dialogueFolder.path()));

    const auto files = opener.handoffFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(test::readFile(files[0]), sent.result.document);
    EXPECT_EQ(files[0].filename().string().rfind("talk_duck_project-", 0), 0u) << files[0];
    EXPECT_EQ(opener.calls(), std::vector<std::string>{files[0].string()});
    // Never before the second is up (the queue never runs a block early).
    const auto times = opener.callTimes();
    ASSERT_EQ(times.size(), 1u);
    EXPECT_GE(times[0] - sent.returnedAt, 0.95);
    ASSERT_EQ(sent.reports.size(), 1u);
    EXPECT_TRUE(sent.reports[0].ok()) << sent.reports[0].message();
    EXPECT_EQ(files[0].string(), sent.copies[0]) << "the report names the copy";
    EXPECT_VALID_FCPXML(sent.result.document, "1.9");
}

TEST(SendToFCP, AFailedHandOverIsReportedNotSwallowed) {
    test::OpenerRecorder opener(4);
    SendingOn sending;
    const Sent sent = send("");
    EXPECT_TRUE(sent.result.sentToFCP);
    ASSERT_EQ(sent.reports.size(), 1u);
    EXPECT_FALSE(sent.reports[0].ok());
    EXPECT_NE(sent.reports[0].message().find("status 4"), std::string::npos)
        << sent.reports[0].message();
    // The copy stays, so the user can still open it by hand.
    const auto files = opener.handoffFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].string(), sent.copies[0]);
}

TEST(SendToFCP, WithoutAReportTheFailureGoesToStandardError) {
    test::OpenerRecorder opener(5);
    SendingOn sending;
    const auto c = test::duckingCases().front();
    const auto facts = test::caseFacts(c);
    testing::internal::CaptureStderr();
    writeProject(false, -20, {}, test::caseRolls(), 0, c.speakerPath, c.musicPath, std::nullopt,
                 "e", "p", {}, "", facts);
    kykit::Queue::drain();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("could not hand"), std::string::npos) << err;
    EXPECT_NE(err.find("status 5"), std::string::npos) << err;
}

TEST(SendToFCP, SendingOffWritesTheFileAndOpensNothing) {
    test::OpenerRecorder opener;
    test::TempDir dialogueFolder;
    const auto output = dialogueFolder / "talk.fcpxml";
    const Sent sent = send(output.string());
    EXPECT_FALSE(sent.result.sentToFCP);
    EXPECT_EQ(test::readFile(output), sent.result.document);
    EXPECT_TRUE(opener.calls().empty());
    EXPECT_TRUE(opener.handoffFiles().empty());
    EXPECT_TRUE(sent.reports.empty());
}

} // namespace
} // namespace quelvo
