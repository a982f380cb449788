#include "ui/windows/preview_analysis.h"

#include <QMetaObject>

#include "platform/toolkit/files.h"

namespace kyui {

namespace {

std::atomic<int> g_liveThreads{0};

} // namespace

PreviewAnalysis::PreviewAnalysis(QObject* parent) : QObject(parent) {
    qRegisterMetaType<Track>("Track");
}

PreviewAnalysis::~PreviewAnalysis() { cancel(); }

int PreviewAnalysis::liveThreads() { return g_liveThreads.load(); }

void PreviewAnalysis::cancel() {
    if (m_cancel) m_cancel->store(true);
    // The decoder checks the flag every second of audio, so this wait is short.
    if (m_thread.joinable()) m_thread.join();
    m_cancel.reset();
}

void PreviewAnalysis::start(const std::string& dialoguePath, const std::string& musicPath) {
    cancel();
    const unsigned generation = ++m_generation;
    Track dialogue = dialoguePath == m_dialoguePath ? m_dialogue : nullptr;
    Track music = musicPath == m_musicPath ? m_music : nullptr;
    m_dialoguePath = dialoguePath;
    m_musicPath = musicPath;
    m_dialogue = dialogue;
    m_music = music;
    const bool needDialogue = !dialogue && !dialoguePath.empty();
    const bool needMusic = !music && !musicPath.empty();
    if (!needDialogue && !needMusic) {
        emit finished(dialogue, music, QString());
        return;
    }
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    ++g_liveThreads;
    m_thread = std::thread([this, cancel = m_cancel, generation, dialoguePath, musicPath, dialogue, music,
                            needDialogue, needMusic]() mutable {
        QString problem;
        const double parts = (needDialogue ? 1 : 0) + (needMusic ? 1 : 0);
        double done = 0;
        const auto analyse = [&](const std::string& path, Track& into) {
            double shown = -1;
            const auto result = quelvo::preview::analyzeLevelTrack(path, cancel.get(), [&](double share) {
                if (share - shown < 0.01) return;  // a hundred steps make a smooth line
                shown = share;
                QMetaObject::invokeMethod(this, [this, share, done, parts] { emit progressed((done + share) / parts); },
                                          Qt::QueuedConnection);
            });
            done += 1;
            if (result.status) into = result.track;
            else if (!cancel->load() && problem.isEmpty())
                problem = QString::fromStdString("Cannot show " + kykit::fu_getFileNameFromPath(path) + ": " +
                                                 result.status.message() + ".");
        };
        if (needDialogue) analyse(dialoguePath, dialogue);
        if (needMusic && !cancel->load()) analyse(musicPath, music);
        if (!cancel->load())
            QMetaObject::invokeMethod(
                this, [this, generation, dialogue, music, problem] { deliver(generation, dialogue, music, problem); },
                Qt::QueuedConnection);
        --g_liveThreads;
    });
}

void PreviewAnalysis::deliver(unsigned generation, Track dialogue, Track music, QString problem) {
    // A newer start() has taken over; its own answer follows.
    if (generation != m_generation) return;
    if (m_thread.joinable()) m_thread.join();
    m_cancel.reset();
    m_dialogue = dialogue;
    m_music = music;
    emit finished(dialogue, music, problem);
}

} // namespace kyui
