#pragma once
// The version sheet: asks which FCPXML version to write. The desktop program
// shows a window-modal dialog on the window it was made for; the command line
// answers from --format; tests answer as they please. The callback runs
// exactly once, on any thread, before or after showSheet returns.
#include <functional>
#include <optional>

namespace quelvo {

// The two Final Cut Pro project versions: 1.6 for older versions, 1.9 for
// Final Cut Pro 10.6 and later. The numbers are the ones the settings store
// keeps for a remembered choice.
enum class FcpxmlVersion { v1_6 = 0, v1_9 = 1 };

class VersionSheet {
  public:
    using Version = FcpxmlVersion;
    // Nothing: the user dismissed the question, and nothing is written.
    using Answer = std::optional<FcpxmlVersion>;
    using Callback = std::function<void(Answer)>;

    virtual ~VersionSheet() = default;
    virtual void showSheet(std::optional<FcpxmlVersion> defaultSelected, Callback callback) = 0;
};

// A sheet that always gives the same answer at once (command line, tests).
class FixedVersionSheet : public VersionSheet {
  public:
    explicit FixedVersionSheet(Answer answer) : m_answer(answer) {}
    void showSheet(std::optional<FcpxmlVersion>, Callback callback) override { callback(m_answer); }

  private:
    Answer m_answer;
};

} // namespace quelvo
