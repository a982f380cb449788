#include "base/notifier.h"

#include <map>
#include <mutex>
#include <vector>

namespace quelvo {

namespace {

struct Registry {
    std::mutex mutex;
    long next = 1;
    std::map<long, std::pair<std::string, Notifier::Callback>> observers;
};

Registry& registry() {
    static Registry r;
    return r;
}

} // namespace

long Notifier::observe(const std::string& keyword, Callback callback) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    const long token = r.next++;
    r.observers.emplace(token, std::make_pair(keyword, std::move(callback)));
    return token;
}

void Notifier::removeObserver(long token) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.observers.erase(token);
}

void Notifier::notify(const std::string& keyword) {
    std::vector<Callback> toCall;
    {
        auto& r = registry();
        std::lock_guard lock(r.mutex);
        for (const auto& [token, entry] : r.observers)
            if (entry.first == keyword) toCall.push_back(entry.second);
    }
    // Called outside the lock so that an observer may observe or notify in turn.
    for (auto& cb : toCall)
        cb();
}

} // namespace quelvo
