#pragma once
// In-process notifications by keyword. Observers run on the thread that
// notifies; a window that must update on the GUI thread hops there itself.
#include <functional>
#include <string>

namespace quelvo {

class Notifier {
  public:
    using Callback = std::function<void()>;
    // Returns a token for removeObserver.
    static long observe(const std::string& keyword, Callback callback);
    static void removeObserver(long token);
    static void notify(const std::string& keyword);
};

} // namespace quelvo
