// The job's send path for the 1.9 project: asked to send, nothing lands next
// to the dialogue; one complete document lands in the cache folder and is
// opened a second after the job returns.
#include <chrono>

#include <gtest/gtest.h>

#include "base/task_runner.h"
#include "ducking_cases.h"
#include "jobs/duck_job.h"
#include "support/opener_recorder.h"
#include "support/test_support.h"
#include "writers/fcpxml_writers.h"

namespace quelvo {
namespace {

double nowSeconds() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

struct Sent {
    DuckOutcome outcome;
    std::string document; // what the 1.9 writer makes of the job's description
    double returnedAt = 0;
    std::vector<Status> reports;
    std::vector<std::string> copies; // the hand-over files the reports named
};

// The job on real recordings with the speech given, asked to send the 1.9
// project or to write it to `outputFile`; `report` false leaves the job
// without a hand-over report.
Sent send(const std::string& outputFile, bool sending, bool report = true) {
    const auto data = test::sharedDir() / "testdata";
    DuckRequest request;
    request.inputs = {{(data / "dialogue" / "dev01_clean_wav48k_stereo.wav").string()},
                      (data / "music" / "dev_music_gaps.wav").string(),
                      ""};
    request.rolls = test::caseRolls();
    request.eventName = "talk_duck_event";
    request.projectName = "talk_duck_project";
    request.speech = ClusterList{{2.0, 8.5}};
    request.output = {ProjectFormat::fcpxml19, outputFile, sending, false};
    auto reports = std::make_shared<std::vector<fcpHandoff::HandOverResult>>();
    DuckJobContext context;
    if (report)
        context.onHandOver = [reports](const fcpHandoff::HandOverResult& r) {
            reports->push_back(r);
        };
    FixedFormatAnswer unused(std::nullopt);
    Sent sent;
    sent.outcome = duckAudioFiles(request, unused, context);
    sent.returnedAt = nowSeconds();
    sent.document = writeFcpxml19(sent.outcome.project);
    TaskRunner::shared().waitForAll();
    for (const auto& r : *reports) {
        sent.reports.push_back(r.status);
        sent.copies.push_back(r.file);
    }
    return sent;
}

TEST(SendToFCP, DocumentGoesToTheCacheFolderAndIsOpenedASecondLater) {
    QUELVO_REQUIRE_SHARED();
    test::OpenerRecorder opener;
    test::TempDir dialogueFolder;
    const auto output = dialogueFolder / "talk.fcpxml";
    const Sent sent = send(output.string(), true);

    EXPECT_TRUE(sent.outcome.success) << sent.outcome.message;
    EXPECT_TRUE(sent.outcome.sentToFCP);
    EXPECT_EQ(sent.outcome.outputPath, "");
    EXPECT_FALSE(std::filesystem::exists(output));
    EXPECT_TRUE(std::filesystem::is_empty(dialogueFolder.path()));

    const auto files = opener.handoffFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(test::readFile(files[0]), sent.document);
    EXPECT_EQ(files[0].filename().string().rfind("talk_duck_project-", 0), 0u) << files[0];
    EXPECT_EQ(opener.calls(), std::vector<std::string>{files[0].string()});
    // Never before the second is up (the queue never runs a block early).
    const auto times = opener.callTimes();
    ASSERT_EQ(times.size(), 1u);
    EXPECT_GE(times[0] - sent.returnedAt, 0.95);
    ASSERT_EQ(sent.reports.size(), 1u);
    EXPECT_TRUE(sent.reports[0].ok()) << sent.reports[0].message();
    EXPECT_EQ(files[0].string(), sent.copies[0]) << "the report names the copy";
    EXPECT_VALID_FCPXML(sent.document, "1.9");
}

TEST(SendToFCP, AFailedHandOverIsReportedNotSwallowed) {
    QUELVO_REQUIRE_SHARED();
    test::OpenerRecorder opener(4);
    const Sent sent = send("", true);
    EXPECT_TRUE(sent.outcome.sentToFCP);
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
    QUELVO_REQUIRE_SHARED();
    test::OpenerRecorder opener(5);
    testing::internal::CaptureStderr();
    send("", true, false);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("could not hand"), std::string::npos) << err;
    EXPECT_NE(err.find("status 5"), std::string::npos) << err;
}

TEST(SendToFCP, SendingOffWritesTheFileAndOpensNothing) {
    QUELVO_REQUIRE_SHARED();
    test::OpenerRecorder opener;
    test::TempDir dialogueFolder;
    const auto output = dialogueFolder / "talk.fcpxml";
    const Sent sent = send(output.string(), false);
    EXPECT_FALSE(sent.outcome.sentToFCP);
    EXPECT_EQ(test::readFile(output), sent.document);
    EXPECT_TRUE(opener.calls().empty());
    EXPECT_TRUE(opener.handoffFiles().empty());
    EXPECT_TRUE(sent.reports.empty());
}

} // namespace
} // namespace quelvo
