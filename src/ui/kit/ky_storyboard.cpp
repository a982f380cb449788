#include "ui/kit/ky_storyboard.h"

#include <map>
#include <mutex>

namespace kyui {

namespace {
struct Scenes {
    std::mutex mutex;
    std::map<std::pair<QString, QString>, KyStoryboard::Factory> factories;
};
// Built on first use: registrations run during static initialisation.
Scenes& scenes() {
    static Scenes s;
    return s;
}
} // namespace

void KyStoryboard::registerScene(const QString& storyboard, const QString& sceneId, Factory factory) {
    auto& s = scenes();
    std::lock_guard lock(s.mutex);
    s.factories[{storyboard, sceneId}] = std::move(factory);
}

KyViewController* KyStoryboard::instantiate(const QString& storyboard, const QString& sceneId) {
    Factory factory;
    {
        auto& s = scenes();
        std::lock_guard lock(s.mutex);
        auto it = s.factories.find({storyboard, sceneId});
        if (it == s.factories.end()) return nullptr;
        factory = it->second;
    }
    return factory();
}

} // namespace kyui
