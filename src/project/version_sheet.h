#pragma once
// The version sheet: asks which FCPXML version to write. The desktop program
// shows a window-modal dialog; the command line answers from --format; tests
// answer as they please. The callback runs exactly once, on any thread, before
// or after showSheet returns.
#include <functional>
#include <optional>

namespace kymovie {

class FCP106ExportOptionsVC {
public:
    // Index 0: older versions (legacy FCPXML 1.6); index 1: Final Cut Pro 10.6
    // and later (FCPXML 1.9).
    // `cancelled`: the user dismissed the question; nothing is written.
    enum class Version { olderVersions = 0, fcp106 = 1, cancelled = -1 };
    using Callback = std::function<void(Version)>;

    virtual ~FCP106ExportOptionsVC() = default;
    // presenter is the window the sheet is attached to (opaque to the core).
    virtual void showSheet(void* currentController, std::optional<Version> defaultSelected,
                           Callback callback) = 0;
};

// A sheet that always answers the same version at once (command line, tests).
class FixedVersionSheet : public FCP106ExportOptionsVC {
public:
    explicit FixedVersionSheet(Version version) : m_version(version) {}
    void showSheet(void*, std::optional<Version>, Callback callback) override { callback(m_version); }

private:
    Version m_version;
};

} // namespace kymovie
