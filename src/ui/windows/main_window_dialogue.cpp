// The main window's dialogue list: several microphones recorded together,
// or a video whose sound is the dialogue. With one audio file the area looks
// as it always did (its name in the drop area, its duration below); several
// files or a video are listed one a row with their facts and a remove button.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include <QFileInfo>
#include <QLabel>
#include <QToolButton>

#include "base/files.h"
#include "base/services.h"
#include "media/read_failure_text.h"
#include "ui/kit/alert.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/text_field.h"
#include "ui/windows/dialogue_file_rows.h"
#include "ui/windows/main_window.h"
#include "ui/windows/missing_file_marker.h"

namespace quelvo::ui {

namespace {

QString fileName(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).fileName();
}

// The same file under another spelling (a link, "./", another case on a
// case-insensitive disk) is the same microphone.
bool sameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

bool isVideoName(const std::string& path) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    for (const char* ext : {"mov", "mp4", "m4v", "mkv", "mxf", "avi"})
        if (suffix == QLatin1String(ext)) return true;
    return false;
}

QString timeText(double seconds) {
    return QString::fromStdString(Timecode::withMilliseconds(seconds, false));
}

// "25 fps", "29.97 fps", "23.976 fps".
QString rateText(double rate) {
    return QString::number(std::round(rate * 1000) / 1000, 'g', 8) + " fps";
}

} // namespace

bool MainWindow::addDialogueFiles(const std::vector<std::string>& paths) {
    const std::string firstBefore = m_firstDialoguePath;
    QStringList refused;
    bool added = false;
    for (const std::string& path : paths) {
        const bool listed = std::any_of(m_dialoguePaths.begin(), m_dialoguePaths.end(),
                                        [&](const std::string& p) { return sameFile(p, path); });
        if (listed) {
            refused << tr("“%1” is already in the dialogue list.").arg(fileName(path));
        } else if (m_dialoguePaths.size() >= kMaxDialogueFiles) {
            refused << tr("Quelvo takes up to %1 dialogue files, so “%2” was not added.")
                           .arg(kMaxDialogueFiles)
                           .arg(fileName(path));
        } else {
            m_dialoguePaths.push_back(path);
            added = true;
        }
    }
    dialogueListChanged(firstBefore);
    if (!refused.isEmpty()) Alert::ok("Warning", refused.join('\n').toStdString(), this);
    return added;
}

void MainWindow::removeDialogueFile(int index) {
    if (index < 0 || index >= static_cast<int>(m_dialoguePaths.size())) return;
    const std::string firstBefore = m_firstDialoguePath;
    m_dialoguePaths.erase(m_dialoguePaths.begin() + index);
    dialogueListChanged(firstBefore);
}

void MainWindow::clearDialogueFiles() {
    const std::string firstBefore = m_firstDialoguePath;
    m_dialoguePaths.clear();
    dialogueListChanged(firstBefore);
}

void MainWindow::dialogueListChanged(const std::string& firstBefore) {
    m_firstDialoguePath = m_dialoguePaths.empty() ? std::string() : m_dialoguePaths.front();
    // The project is named after the first microphone, as after the one file.
    if (!m_firstDialoguePath.empty() && m_firstDialoguePath != firstBefore)
        m_projectName->setText(QString::fromStdString(
            quelvo::pathWithoutExtension(quelvo::fileNameOf(m_firstDialoguePath))));
    m_dialogueProblems.clear();
    refreshDialogueArea();
    refreshDurations();
    refreshMarkers();
}

void MainWindow::refreshDialogueArea() {
    const bool listed = m_dialoguePaths.size() > 1 ||
                        std::any_of(m_dialoguePaths.begin(), m_dialoguePaths.end(), isVideoName);
    m_dialogueRows->setPaths(listed ? m_dialoguePaths : std::vector<std::string>{});
    m_dialogueRows->setVisible(listed);
    // Tab goes from the drop area through the rows' remove buttons to the music.
    QWidget* previous = m_dialogueArea;
    for (int i = 0; i < m_dialogueRows->count(); ++i) {
        QWidget::setTabOrder(previous, m_dialogueRows->removeButton(i));
        previous = m_dialogueRows->removeButton(i);
    }
    QWidget::setTabOrder(previous, m_removeDialogue);
    m_removeDialogue->setVisible(m_dialoguePaths.size() == 1 && !listed);
    QStringList tip;
    for (const std::string& path : m_dialoguePaths)
        tip << QString::fromStdString(path);
    if (m_dialoguePaths.empty())
        m_dialogueArea->setText(tr("Drag Here"));
    else if (m_dialoguePaths.size() == 1)
        m_dialogueArea->setText(fileName(m_firstDialoguePath));
    else
        m_dialogueArea->setText(tr("%1 Dialogue Files").arg(m_dialoguePaths.size()));
    m_dialogueArea->setToolTip(tip.join('\n'));
}

MainWindow::FileFacts MainWindow::dialogueSummary(const std::vector<FileFacts>& facts) {
    if (facts.empty()) return {};
    for (const FileFacts& f : facts)
        if (!f.problem.empty()) return f;
    return *std::max_element(
        facts.begin(), facts.end(),
        [](const FileFacts& a, const FileFacts& b) { return a.duration < b.duration; });
}

void MainWindow::showDialogueFacts(const std::vector<FileFacts>& facts) {
    m_dialogueProblems.clear();
    std::vector<std::string> silent;
    for (size_t i = 0; i < facts.size() && i < m_dialoguePaths.size(); ++i) {
        const FileFacts& f = facts[i];
        m_dialogueProblems.push_back(f.problem);
        if (f.noSound) silent.push_back(m_dialoguePaths[i]);
        QString line = f.problem.empty()
                           ? timeText(f.duration)
                           : QString::fromStdString(quelvo::readFailureText(f.problem).brief);
        if (f.video && f.frameRate > 0) line += QStringLiteral(" · ") + rateText(f.frameRate);
        if (f.video && f.width > 0) line += QStringLiteral(" · %1×%2").arg(f.width).arg(f.height);
        m_dialogueRows->setFacts(static_cast<int>(i), line, f.poster);
    }
    if (m_dialoguePaths.size() > 1 && dialogueSummary(facts).problem.empty())
        m_dialogueDuration->setText(
            tr("Longest Dialogue File: %1").arg(timeText(dialogueSummary(facts).duration)));
    if (silent.empty()) return;
    // A picture without sound has no dialogue to duck under: it leaves the list.
    QStringList sentences;
    for (const std::string& path : silent) {
        sentences << tr("The video “%1” has no sound.").arg(fileName(path));
        const auto at = std::find(m_dialoguePaths.begin(), m_dialoguePaths.end(), path);
        if (at != m_dialoguePaths.end())
            removeDialogueFile(static_cast<int>(at - m_dialoguePaths.begin()));
    }
    Alert::ok("Warning", sentences.join('\n').toStdString(), this);
}

bool MainWindow::checkDialogueFiles() {
    if (m_dialoguePaths.empty()) {
        Alert::ok("Warning", "Speaker File Not Specified.", this);
        return false;
    }
    for (size_t i = 0; i < m_dialoguePaths.size(); ++i) {
        const std::string& path = m_dialoguePaths[i];
        if (!quelvo::fileExists(path, 0)) {
            const std::string sentence =
                m_dialoguePaths.size() == 1
                    ? "Speaker File Not Found."
                    : "Dialogue file “" + fileName(path).toStdString() + "” not found.";
            Alert::ok("Warning", sentence, this);
            return false;
        }
        const std::string problem =
            i < m_dialogueProblems.size() ? m_dialogueProblems[i] : std::string();
        if (warnIfUnreadable("dialogue", path, problem)) return false;
    }
    return true;
}

} // namespace quelvo::ui
