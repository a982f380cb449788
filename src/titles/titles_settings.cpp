#include "titles/titles_settings.h"

#include <cstdio>

#include "base/settings_store.h"

namespace quelvo {

bool storedSendWithoutFile() {
    const auto stored = TitlesSettings::decodeText(quelvo::storedString(kTitlesSettingsKey, ""));
    return stored && stored->xmlExport.sendToFCPWithoutXMLFile;
}

TitlesSettings& TitlesSettings::shared() {
    // A function-local static is built exactly once, also under concurrent first use.
    static TitlesSettings settings = load();
    return settings;
}

TitlesSettings TitlesSettings::load() {
    const std::string stored = quelvo::storedString(kTitlesSettingsKey, "");
    auto decoded = decodeText(stored);
    if (!decoded) return TitlesSettings();
    // Saving at once writes back the defaults that filled bad or missing keys,
    // so the store holds a complete, readable set from now on.
    decoded->save();
    return std::move(*decoded);
}

Status TitlesSettings::save() const {
    const std::string text = encodeToString();
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    return quelvo::storeString(kTitlesSettingsKey, text);
}

} // namespace quelvo
