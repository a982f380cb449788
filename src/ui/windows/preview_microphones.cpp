#include "ui/windows/preview_microphones.h"

#include <algorithm>

#include <QMetaObject>
#include <QPointer>

namespace quelvo::ui {

using quelvo::preview::BackgroundAnalysis;

struct PreviewMicrophones::Runner {
    Track track;
    bool done = false;
    // Last: destroyed first, it waits for its thread while the rest is alive.
    std::unique_ptr<BackgroundAnalysis> analysis;
};

PreviewMicrophones::PreviewMicrophones(QObject* parent) : QObject(parent) {}

PreviewMicrophones::~PreviewMicrophones() {
    for (auto& [path, runner] : m_runners)
        runner->analysis->cancel();
}

void PreviewMicrophones::start(const std::vector<std::string>& paths, FeaturesWhen features) {
    for (auto it = m_runners.begin(); it != m_runners.end();) {
        if (std::find(paths.begin(), paths.end(), it->first) == paths.end()) {
            it->second->analysis->cancel();
            it = m_runners.erase(it);
        } else {
            ++it;
        }
    }
    for (const std::string& path : paths) {
        if (m_runners.count(path)) continue;
        auto runner = std::make_unique<Runner>();
        Runner* raw = runner.get();
        // The runner's answers come on its thread; Qt drops the queued call
        // once this object is gone, and the map entry is checked on arrival.
        QPointer<PreviewMicrophones> self(this);
        runner->analysis = std::make_unique<BackgroundAnalysis>(
            [](unsigned, double) {},
            [self, path, raw](const BackgroundAnalysis::Outcome& outcome) {
                QMetaObject::invokeMethod(
                    self,
                    [self, path, raw, outcome] {
                        auto it = self->m_runners.find(path);
                        if (it == self->m_runners.end() || it->second.get() != raw) return;
                        if (!outcome.featuresPending) raw->analysis->reap();
                        raw->done = !outcome.featuresPending;
                        if (outcome.dialogue) raw->track = outcome.dialogue;
                        emit self->trackArrived(QString::fromStdString(path),
                                                QString::fromStdString(outcome.problem));
                    },
                    Qt::QueuedConnection);
            });
        m_runners.emplace(path, std::move(runner));
        raw->analysis->start(path, "", nullptr, nullptr, features);
    }
}

PreviewMicrophones::Track PreviewMicrophones::track(const std::string& path) const {
    const auto it = m_runners.find(path);
    return it == m_runners.end() ? nullptr : it->second->track;
}

bool PreviewMicrophones::isRunning() const {
    return std::any_of(m_runners.begin(), m_runners.end(),
                       [](const auto& r) { return !r.second->done; });
}

} // namespace quelvo::ui
