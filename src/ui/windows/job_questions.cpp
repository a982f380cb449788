#include "ui/windows/job_questions.h"

#include <future>
#include <memory>

#include "base/files.h"
#include "base/keep_both.h"
#include "ui/kit/alert.h"
#include "ui/kit/task_delivery.h"

namespace quelvo::ui {

namespace {
std::string sentence(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text + ".";
}

AlertRequest replaceQuestion(const std::string& target, const std::string& other) {
    AlertRequest request;
    request.message = "Warning";
    request.informativeText = "\u201c" + quelvo::fileNameOf(target) +
                              "\u201d already exists. Replace it, or keep both and write \u201c" +
                              quelvo::fileNameOf(other) + "\u201d?";
    request.escapeButton = 2;
    return request;
}
} // namespace

void askBeforeReplacing(QWidget* parent, const std::string& target,
                        const std::function<void(const std::string& path)>& proceed) {
    if (!quelvo::somethingAt(target)) return proceed(target);
    const std::string other = quelvo::keepBothPath(target);
    AlertRequest request = replaceQuestion(target, other);
    request.buttons = {{"Replace", [proceed, target] { proceed(target); }},
                       {"Keep Both", [proceed, other] { proceed(other); }},
                       {"Cancel", nullptr}};
    request.parent = parent;
    Alert::service().present(request);
}

std::optional<std::string> askWhereToWrite(const QPointer<QWidget>& parent,
                                           const std::string& target) {
    using Answer = std::optional<std::string>;
    auto answer = std::make_shared<std::promise<Answer>>();
    std::future<Answer> chosen = answer->get_future();
    quelvo::onMainThread([parent, target, answer] {
        // The service runs exactly one completion; Escape chooses Cancel.
        auto once = std::make_shared<bool>(false);
        const auto reply = [answer, once](Answer path) {
            if (*once) return;
            *once = true;
            answer->set_value(std::move(path));
        };
        if (!parent) return reply(std::nullopt);
        const std::string other = quelvo::keepBothPath(target);
        AlertRequest request = replaceQuestion(target, other);
        request.buttons = {{"Replace", [reply, target] { reply(target); }},
                           {"Keep Both", [reply, other] { reply(other); }},
                           {"Cancel", [reply] { reply(std::nullopt); }}};
        request.parent = parent.data();
        Alert::service().present(request);
    });
    return chosen.get();
}

bool askToWriteWithoutSpeech(const QPointer<QWidget>& parent, const std::string& warning) {
    auto answer = std::make_shared<std::promise<bool>>();
    std::future<bool> chosen = answer->get_future();
    quelvo::onMainThread([parent, warning, answer] {
        AlertRequest request;
        request.message = "Warning";
        request.informativeText =
            sentence(warning) + " The project would leave the music as it is.";
        // The service runs exactly one completion; Escape chooses Cancel.
        auto once = std::make_shared<bool>(false);
        const auto reply = [answer, once](bool write) {
            if (*once) return;
            *once = true;
            answer->set_value(write);
        };
        request.buttons = {{"Write Anyway", [reply] { reply(true); }},
                           {"Cancel", [reply] { reply(false); }}};
        request.escapeButton = 1;
        request.parent = parent.data();
        Alert::service().present(request);
    });
    return chosen.get();
}

} // namespace quelvo::ui
