// The desktop version sheet: asked from a worker it shows on the GUI thread
// and answers on the worker; it preselects by the preferences and remembers
// the choice when told to.
#include <future>
#include <thread>

#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "project/fcp106_prefs.h"
#include "ui/kit/ky_check_button.h"
#include "ui/kit/ky_windows.h"
#include "ui/windows/desktop_version_sheet.h"
#include "ui/windows/fcp106_export_options_vc.h"
#include "ui/windows/quelvo_main_vc.h"
#include "ui_test_support.h"

namespace quelvo::test {
namespace {

using Version = kymovie::FCP106ExportOptionsVC::Version;
using kyui::DesktopVersionSheet;
using kyui::FCP106ExportOptionsVC;

class VersionSheetTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        presenter = showMainWindow();
    }

    FCP106ExportOptionsVC* waitForSheet() {
        FCP106ExportOptionsVC* sheet = nullptr;
        waitUntil([&] {
            sheet = window->findChild<FCP106ExportOptionsVC*>();
            return sheet && sheet->isVisible();
        });
        return sheet;
    }

    struct Answer {
        Version version;
        std::thread::id thread;
    };

    // Asks from a worker thread, as the job does.
    std::future<Answer> askFromWorker() {
        auto promise = std::make_shared<std::promise<Answer>>();
        auto answer = promise->get_future();
        void* from = static_cast<kyui::KyViewController*>(presenter);
        std::thread([promise, from] {
            DesktopVersionSheet::shared().showSheet(from, std::nullopt, [promise](Version v) {
                promise->set_value({v, std::this_thread::get_id()});
            });
        }).detach();
        return answer;
    }

    bool ready(std::future<Answer>& answer) {
        return waitUntil([&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    }

    kyui::QuelvoMainVC* presenter = nullptr;
};

TEST_F(VersionSheetTest, AskedFromAWorkerItShowsHereAndAnswersThere) {
    std::future<Answer> answer = askFromWorker();
    FCP106ExportOptionsVC* sheet = waitForSheet();
    ASSERT_NE(nullptr, sheet);
    EXPECT_EQ("Final Cut Pro 10.6 and later (FCPXML 1.9)", sheet->radFCP106->text().toStdString());
    EXPECT_EQ("Older versions (FCPXML 1.6)", sheet->radOlder->text().toStdString());
    EXPECT_TRUE(sheet->radFCP106->isChecked()) << "10.6 is preferred by default";
    EXPECT_EQ(Qt::WindowModal, sheet->window()->windowModality());
    EXPECT_EQ(window, sheet->window()->parentWidget());
    sheet->radOlder->click();
    sheet->btnContinue->click();
    ASSERT_TRUE(ready(answer));
    const Answer a = answer.get();
    EXPECT_EQ(Version::olderVersions, a.version);
    EXPECT_NE(std::this_thread::get_id(), a.thread) << "the writer must run on the job's thread";
    processEvents();
    EXPECT_EQ(nullptr, window->findChild<FCP106ExportOptionsVC*>()) << "the sheet closes";
}

TEST_F(VersionSheetTest, PreselectsOlderVersionsWhenTenSixIsNotPreferred) {
    kymovie::KyFCP106Prefs::shared().setPreferFCP106(false);
    std::future<Answer> answer = askFromWorker();
    FCP106ExportOptionsVC* sheet = waitForSheet();
    ASSERT_NE(nullptr, sheet);
    EXPECT_TRUE(sheet->radOlder->isChecked());
    QTest::keyClick(sheet->btnContinue, Qt::Key_Return);
    ASSERT_TRUE(ready(answer));
    EXPECT_EQ(Version::olderVersions, answer.get().version);
}

TEST_F(VersionSheetTest, AGivenDefaultWinsOverThePreference) {
    kymovie::KyFCP106Prefs::shared().setPreferFCP106(false);
    int calls = 0;
    Version chosen = Version::olderVersions;
    DesktopVersionSheet::shared().showSheet(static_cast<kyui::KyViewController*>(presenter), Version::fcp106,
                                            [&](Version v) {
                                                ++calls;
                                                chosen = v;
                                            });
    FCP106ExportOptionsVC* sheet = waitForSheet();
    ASSERT_NE(nullptr, sheet);
    EXPECT_TRUE(sheet->radFCP106->isChecked());
    EXPECT_EQ(0, calls) << "asked on the GUI thread, the answer comes when the user gives it";
    sheet->btnContinue->click();
    EXPECT_EQ(1, calls);
    EXPECT_EQ(Version::fcp106, chosen);
}

TEST_F(VersionSheetTest, ARememberedChoiceAnswersAtOnceWithoutAsking) {
    auto& prefs = kymovie::KyFCP106Prefs::shared();
    prefs.setRememberMyChoice(true);
    prefs.setRememberedChoice(Version::olderVersions);
    int calls = 0;
    Version chosen = Version::fcp106;
    DesktopVersionSheet::shared().showSheet(static_cast<kyui::KyViewController*>(presenter), std::nullopt,
                                            [&](Version v) {
                                                ++calls;
                                                chosen = v;
                                            });
    EXPECT_EQ(1, calls);
    EXPECT_EQ(Version::olderVersions, chosen);
    processEvents();
    EXPECT_EQ(nullptr, window->findChild<FCP106ExportOptionsVC*>());
}

TEST_F(VersionSheetTest, RememberMyChoiceKeepsTheAnswerForNextTime) {
    auto& prefs = kymovie::KyFCP106Prefs::shared();
    EXPECT_FALSE(prefs.rememberedChoice().has_value());
    std::future<Answer> first = askFromWorker();
    FCP106ExportOptionsVC* sheet = waitForSheet();
    ASSERT_NE(nullptr, sheet);
    EXPECT_FALSE(sheet->chkRememberMyChoice->isChecked());
    sheet->chkRememberMyChoice->click();
    EXPECT_TRUE(prefs.rememberMyChoice());
    sheet->radOlder->click();
    sheet->btnContinue->click();
    ASSERT_TRUE(ready(first));
    EXPECT_EQ(Version::olderVersions, first.get().version);
    ASSERT_TRUE(prefs.rememberedChoice().has_value());
    EXPECT_EQ(Version::olderVersions, *prefs.rememberedChoice());

    std::future<Answer> second = askFromWorker();
    ASSERT_TRUE(ready(second));
    EXPECT_EQ(Version::olderVersions, second.get().version);
}

TEST_F(VersionSheetTest, WithoutRememberingNothingIsKept) {
    std::future<Answer> answer = askFromWorker();
    FCP106ExportOptionsVC* sheet = waitForSheet();
    ASSERT_NE(nullptr, sheet);
    sheet->btnContinue->click();
    ASSERT_TRUE(ready(answer));
    EXPECT_FALSE(kymovie::KyFCP106Prefs::shared().rememberedChoice().has_value());
}

TEST_F(VersionSheetTest, CancelEscapeAndTheCloseButtonCancelAndItAnswersExactlyOnce) {
    std::vector<Version> answers;
    const auto ask = [&] {
        DesktopVersionSheet::shared().showSheet(static_cast<kyui::KyViewController*>(presenter),
                                                std::nullopt,
                                                [&](Version v) { answers.push_back(v); });
        return waitForSheet();
    };
    FCP106ExportOptionsVC* sheet = ask();
    ASSERT_NE(nullptr, sheet);
    QTest::keyClick(sheet->window(), Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return window->findChild<FCP106ExportOptionsVC*>() == nullptr; }));
    sheet = ask();
    ASSERT_NE(nullptr, sheet);
    closeByWindowManager(sheet);
    ASSERT_TRUE(waitUntil([&] { return window->findChild<FCP106ExportOptionsVC*>() == nullptr; }));
    sheet = ask();
    ASSERT_NE(nullptr, sheet);
    sheet->btnCancel->click();
    ASSERT_TRUE(waitUntil([&] { return window->findChild<FCP106ExportOptionsVC*>() == nullptr; }));
    EXPECT_EQ(answers, std::vector<Version>(3, Version::cancelled));
    EXPECT_FALSE(kymovie::KyFCP106Prefs::shared().rememberedChoice().has_value());
}

} // namespace
} // namespace quelvo::test
