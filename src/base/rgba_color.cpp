#include "base/rgba_color.h"

namespace quelvo {

void to_json(nlohmann::json& j, const RgbaColor& c) {
    j = nlohmann::json{{"red", c.red}, {"green", c.green}, {"blue", c.blue}, {"alpha", c.alpha}};
}

void from_json(const nlohmann::json& j, RgbaColor& c) {
    c.red = j.at("red").get<double>();
    c.green = j.at("green").get<double>();
    c.blue = j.at("blue").get<double>();
    c.alpha = j.at("alpha").get<double>();
}

} // namespace quelvo
