#pragma once
// What the window tests share: answering alerts, notifications and the
// version sheet the way a user would, simulated drops, and waiting for the
// event loop without fixed sleeps.
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <QStringList>
#include <QWidget>

#include "project/version_sheet.h"
#include "support/test_support.h"
#include "ui/kit/alert.h"
#include "ui/kit/notification.h"

namespace quelvo::ui {
class MainWindow;
class ProgressDialog;
} // namespace quelvo::ui

namespace quelvo::test {

// The recordings most window tests choose: 15.88 s of speech, and 32 s of
// music with gaps.
inline const char* const kDialogue = "dialogue/dev01_clean_wav48k_stereo.wav";
inline const char* const kMusic = "music/dev_music_gaps.wav";

// Records every alert and answers it by choosing a button: the next index
// from `answers`, else the first button.
class ScriptedAlerts : public quelvo::ui::AlertService {
  public:
    struct Shown {
        std::string message;
        std::string informativeText;
        std::vector<std::string> buttons;
        std::string details;
    };
    void present(const quelvo::ui::AlertRequest& request) override;
    std::vector<Shown> shown;
    std::vector<int> answers;
};

class RecordingNotifications : public quelvo::ui::NotificationService {
  public:
    void post(const QString& title, const QString& informativeText) override {
        posted.push_back({title.toStdString(), informativeText.toStdString()});
    }
    std::vector<std::pair<std::string, std::string>> posted;
};

// Answers the version question at once with a fixed version, on the thread
// that asks, and remembers which thread that was.
class AnsweringVersionSheet : public quelvo::VersionSheet {
  public:
    explicit AnsweringVersionSheet(Answer answer) : m_version(answer) {}
    void showSheet(std::optional<Version>, Callback callback) override {
        ++asked;
        askedOn = std::this_thread::get_id();
        callback(m_version);
    }
    void answerWith(Answer answer) { m_version = answer; }
    std::atomic<int> asked{0};
    std::atomic<std::thread::id> askedOn{};

  private:
    std::atomic<Answer> m_version;
};

// Runs the event loop until done() holds or timeoutMs passed; true when it held.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 30000);
// Delivers everything posted so far, deferred deletes included.
void processEvents();

// Presses the window manager's close button of the widget's window: the
// widget gets a spontaneous close event, as from the title bar.
void closeByWindowManager(QWidget* widget);

// Drags the files over target and drops them; returns whether the drag was
// accepted on entering (a rejected drag never drops).
bool dropFiles(QWidget* target, const QStringList& paths);

// A recording from the shared test data, copied into dir (the job writes its
// project next to the dialogue, and the shared folder is read-only).
std::string copyRecording(const TempDir& dir, const std::string& relative,
                          const std::string& as = "");

// The open progress sheet, or nullptr.
quelvo::ui::ProgressDialog* openProgressSheet();

// The child of `parent` named `name` (its objectName), or nullptr.
template <class T> T* child(const QObject* parent, const char* name) {
    return parent ? parent->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}

// Answers alerts, notifications and the version sheet for each test, and
// after it closes every window and waits for any job it started.
class UiTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Makes and shows the main window as the program does, and waits until it
    // has appeared.
    quelvo::ui::MainWindow* showMainWindow();

    ScriptedAlerts alerts;
    RecordingNotifications notifications;
    AnsweringVersionSheet versionSheet{quelvo::FcpxmlVersion::v1_9};
    quelvo::ui::MainWindow* window = nullptr;

  private:
    quelvo::ui::AlertService* m_previousAlerts = nullptr;
    quelvo::ui::NotificationService* m_previousNotifications = nullptr;
    quelvo::VersionSheet* m_previousSheet = nullptr;
};

} // namespace quelvo::test
