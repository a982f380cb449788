#pragma once
// Scenes by name: each window or sheet registers how to make its controller
// under (storyboard, scene id), so presenters can ask for "ProgressVC" in
// "Main" the way the rest of the program names them.
#include <functional>

#include <QString>

namespace kyui {

class KyViewController;

class KyStoryboard {
public:
    using Factory = std::function<KyViewController*()>;
    static void registerScene(const QString& storyboard, const QString& sceneId, Factory factory);
    // A new controller, or nullptr when no such scene is registered.
    static KyViewController* instantiate(const QString& storyboard, const QString& sceneId);
};

// Registers a scene when the program starts: put one in the controller's .cpp.
struct KySceneRegistration {
    KySceneRegistration(const QString& storyboard, const QString& sceneId, KyStoryboard::Factory f) {
        KyStoryboard::registerScene(storyboard, sceneId, std::move(f));
    }
};

} // namespace kyui
