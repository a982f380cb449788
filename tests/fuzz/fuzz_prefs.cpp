// The preferences loader on arbitrary file contents: it must never crash, and
// a damaged file must be kept aside, never overwritten.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "base/settings_store.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fs::path dir = [] {
        const fs::path d =
            fs::temp_directory_path() / ("quelvo-fuzz-prefs-" + std::to_string(::getpid()));
        fs::create_directories(d);
        setenv("QUELVO_CONFIG_DIR", d.c_str(), 1);
        return d;
    }();
    for (const auto& e : fs::directory_iterator(dir))
        fs::remove_all(e.path());
    {
        std::ofstream out(dir / "settings.json", std::ios::binary);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    auto& store = quelvo::SettingsStore::instance();
    store.reload();
    (void)quelvo::storedDouble("duck.threshold", -24);
    (void)quelvo::storedString("duck.filler", "");
    (void)quelvo::storedBool("decreaseToZero", false);
    (void)quelvo::storeDouble("duck.decrease", -12);
    return 0;
}
