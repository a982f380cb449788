// Stand-in until the settings model's JSON coding lands: defaults only.
#include "titles/settings/fcpxml_titles_settings.h"

namespace quelvo {

FCPXML_Titles_Settings& FCPXML_Titles_Settings::shared() {
    static FCPXML_Titles_Settings settings = load();
    return settings;
}

FCPXML_Titles_Settings FCPXML_Titles_Settings::load() { return FCPXML_Titles_Settings(); }

std::optional<FCPXML_Titles_Settings> FCPXML_Titles_Settings::decode(const nlohmann::json&) {
    return FCPXML_Titles_Settings();
}

nlohmann::json FCPXML_Titles_Settings::encode() const { return nlohmann::json::object(); }

kykit::Status FCPXML_Titles_Settings::save() const { return kykit::Status::success(); }

} // namespace quelvo
