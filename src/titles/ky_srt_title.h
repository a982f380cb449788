#pragma once
// One parsed subtitle.
#include <cstdint>
#include <string>

namespace quelvo {

struct KySRTTitle {
    KySRTTitle(int64_t id, double startTime, double endTime, std::string text)
        : id(id), startTime(startTime), endTime(endTime), text(std::move(text)) {}

    int64_t id;       // the block's counter as written
    double startTime; // seconds
    double endTime;   // seconds
    std::string text; // several lines stay joined by line feeds

    bool operator==(const KySRTTitle&) const = default;
};

} // namespace quelvo
