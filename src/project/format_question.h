#pragma once
// The question the ducking job asks once the speech is known and before
// anything is written: which editor the project is for. The desktop program
// shows a sheet on its window; the command line and the tests answer at once.
// The callback runs exactly once, on any thread, before or after ask()
// returns; no answer (nullopt) means the user cancelled and nothing is written.
#include <functional>
#include <optional>

#include "project/project_format.h"

namespace quelvo {

class FormatQuestion {
  public:
    using Answer = std::optional<ProjectFormat>;
    using Callback = std::function<void(Answer)>;

    virtual ~FormatQuestion() = default;
    // `preselected`: the choice to offer first, when the caller has one.
    virtual void ask(std::optional<ProjectFormat> preselected, Callback callback) = 0;
};

// Always answers the same at once (command line, tests).
class FixedFormatAnswer : public FormatQuestion {
  public:
    explicit FixedFormatAnswer(Answer answer) : m_answer(answer) {}
    void ask(std::optional<ProjectFormat>, Callback callback) override { callback(m_answer); }

  private:
    Answer m_answer;
};

} // namespace quelvo
