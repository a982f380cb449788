#include "titles/fcpxml_titles_settings.h"

#include <cstdio>

#include "base/settings_store.h"

namespace quelvo {

bool storedSendWithoutFile() {
    const auto stored = FCPXML_Titles_Settings::decodeText(kykit::storedString(kTitlesSettingsKey, ""));
    return stored && stored->xmlExport.sendToFCPWithoutXMLFile;
}

FCPXML_Titles_Settings& FCPXML_Titles_Settings::shared() {
    // A function-local static is built exactly once, also under concurrent first use.
    static FCPXML_Titles_Settings settings = load();
    return settings;
}

FCPXML_Titles_Settings FCPXML_Titles_Settings::load() {
    const std::string stored = kykit::storedString(kTitlesSettingsKey, "");
    auto decoded = decodeText(stored);
    if (!decoded) return FCPXML_Titles_Settings();
    // Saving at once writes back the defaults that filled bad or missing keys,
    // so the store holds a complete, readable set from now on.
    decoded->save();
    return std::move(*decoded);
}

kykit::Status FCPXML_Titles_Settings::save() const {
    const std::string text = encodeToString();
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    return kykit::storeString(kTitlesSettingsKey, text);
}

} // namespace quelvo
