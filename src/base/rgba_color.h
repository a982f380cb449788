#pragma once
// The toolkit's colour: red, green, blue and alpha in 0...1. Its JSON form is
// an object with the keys red, green, blue and alpha.
#include <nlohmann/json.hpp>

namespace quelvo {

struct RgbaColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    static RgbaColor pureBlack() { return {0, 0, 0, 1}; }
    static RgbaColor pureWhite() { return {1, 1, 1, 1}; }
    bool operator==(const RgbaColor&) const = default;
};

void to_json(nlohmann::json& j, const RgbaColor& c);
// Throws nlohmann::json exceptions when a key is missing or not a number.
void from_json(const nlohmann::json& j, RgbaColor& c);

} // namespace quelvo
