#include "project/duck_settings.h"
#include "project/duck_flag_settings.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/settings_store.h"

namespace quelvo {

namespace {

// The shortest text that reads back as the value ("0.6", "-12", "1e+300").
std::string numberText(double value) {
    char text[32];
    const auto res = std::to_chars(text, text + sizeof text, value);
    return std::string(text, res.ptr);
}

std::string bounds(const NumberSetting& setting) {
    return numberText(setting.minimum) + " to " + numberText(setting.maximum);
}

} // namespace

bool isWithinRange(const NumberSetting& setting, double value) {
    return std::isfinite(value) && value >= setting.minimum && value <= setting.maximum;
}

std::string rangeText(const NumberSetting& setting) {
    return bounds(setting) + " " + setting.unit;
}

double storedNumber(const NumberSetting& setting) {
    SettingsStore& store = SettingsStore::instance();
    const std::optional<nlohmann::json> stored = store.value(setting.key);
    if (!stored || stored->is_null()) return setting.defaultValue;
    if (stored->is_number() && isWithinRange(setting, stored->get<double>()))
        return stored->get<double>();
    // The warning a settings file that cannot be used gets, for one value.
    const std::string what = stored->is_number()
                                 ? " = " + stored->dump() + " is not within " + rangeText(setting)
                                 : " is not a number";
    store.noteUnusableValue(setting.key, setting.key + what + "; using its default " +
                                             numberText(setting.defaultValue));
    return setting.defaultValue;
}

bool storedFlag(const FlagSetting& setting) {
    return quelvo::storedBool(setting.key, setting.defaultValue);
}

std::optional<std::string> optionValueProblem(const NumberSetting& setting, const std::string& text,
                                              bool whole) {
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    const char* first = digits.data();
    const char* last = first + digits.size();
    double value = NAN;
    bool read = false;
    if (whole) {
        long long n = 0;
        const auto [end, error] = std::from_chars(first, last, n);
        read = error == std::errc() && end == last && !digits.empty();
        value = static_cast<double>(n);
    } else {
        const auto [end, error] = std::from_chars(first, last, value);
        read = error == std::errc() && end == last && !digits.empty();
    }
    if (read && isWithinRange(setting, value)) return std::nullopt;
    return std::string("must be a ") + (whole ? "whole " : "") + "number of " + setting.unit +
           " from " + bounds(setting) + ", not " + text;
}

} // namespace quelvo
