// The title settings decoder on arbitrary text: the settings file a user
// edits by hand or a newer program wrote. Decoding must never crash; what
// decodes must encode to text that decodes again and is stable from then on;
// and a titles document made with those settings must be well-formed and
// DTD-valid in both versions (fonts, faces and numbers land in attributes).
//
// The first byte chooses the route: even bytes decode the text directly, odd
// ones go through the preferences store (the text stored under the settings
// key, read back by the loading constructor).
#include <cstdint>
#include <cstdio>
#include <string>

#include "base/settings_store.h"
#include "fuzz_support.h"
#include "titles/titles_settings.h"
#include "writers/titles_fcpxml.h"

using namespace quelvo;
namespace fs = std::filesystem;

namespace {

void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "fuzz_titles_settings: %s\n%s\n", what, detail.c_str());
    std::abort();
}

const std::vector<TimedTitle> kTitles = {
    {"Hello & <welcome>", 0.0, 1.5},
    {"Two\nlines \"quoted\" 'single'", 1.0, 3.0},
    {"", 3.0, 3.0},
    {"Last one \xC3\xA9t\xC3\xA9", 4.25, 9.0},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    fuzz::silenceStandardOutput();
    const fs::path& dir = fuzz::scratchDir();
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    std::optional<TitlesSettings> settings;
    if (data[0] & 1) {
        for (const auto& e : fs::directory_iterator(dir / "config"))
            fs::remove_all(e.path());
        quelvo::SettingsStore::instance().reload();
        (void)quelvo::storeString(kTitlesSettingsKey, std::string(text));
        settings = TitlesSettings::load();
    } else {
        settings = TitlesSettings::decodeText(text);
        const auto parsed = nlohmann::json::parse(text, nullptr, false);
        if (!parsed.is_discarded()) (void)TitlesSettings::decode(parsed);
    }
    if (!settings) return 0;

    const std::string once = settings->encodeToString();
    const auto again = TitlesSettings::decodeText(once);
    if (!again) fail("encoded settings do not decode", once);
    const std::string twice = again->encodeToString();
    const auto thrice = TitlesSettings::decodeText(twice);
    if (!thrice || thrice->encodeToString() != twice)
        fail("the round trip is not stable", once + "\n" + twice);

    for (const bool useV19 : {true, false}) {
        TitlesFcpxml titles("Event", kTitles, std::nullopt, *settings);
        const std::string xml =
            titles.documentXML(useV19, settings->avoidOverlap.value_or(false), "settings");
        fuzz::requireValidFcpxml(xml, useV19 ? "1.9" : "1.6");
    }
    return 0;
}
