#include "project/project_format.h"

#include <array>

namespace quelvo {
namespace {

struct FormatRow {
    ProjectFormat format;
    std::string_view option;
    std::string_view extension;
    int stored;
};

constexpr std::array<FormatRow, 4> kFormats{{
    {ProjectFormat::fcpxml19, "1.9", "fcpxml", 1},
    {ProjectFormat::fcpxml16, "1.6", "fcpxml", 0},
    {ProjectFormat::xmeml, "xmeml", "xml", 2},
    {ProjectFormat::mlt, "mlt", "mlt", 3},
}};

const FormatRow& rowOf(ProjectFormat format) {
    for (const FormatRow& row : kFormats)
        if (row.format == format) return row;
    return kFormats.front();
}

} // namespace

std::string_view formatOption(ProjectFormat format) {
    return rowOf(format).option;
}

std::optional<ProjectFormat> formatFromOption(std::string_view option) {
    for (const FormatRow& row : kFormats)
        if (row.option == option) return row.format;
    return std::nullopt;
}

std::string formatOptionList() {
    std::string list;
    for (const FormatRow& row : kFormats) {
        if (!list.empty()) list += '|';
        list += row.option;
    }
    return list;
}

std::string_view fileExtension(ProjectFormat format) {
    return rowOf(format).extension;
}

bool isFinalCutPro(ProjectFormat format) {
    return format == ProjectFormat::fcpxml16 || format == ProjectFormat::fcpxml19;
}

int storedChoice(ProjectFormat format) {
    return rowOf(format).stored;
}

std::optional<ProjectFormat> formatFromStoredChoice(int stored) {
    for (const FormatRow& row : kFormats)
        if (row.stored == stored) return row.format;
    return std::nullopt;
}

std::vector<ProjectFormat> allProjectFormats() {
    std::vector<ProjectFormat> formats;
    for (const FormatRow& row : kFormats)
        formats.push_back(row.format);
    return formats;
}

} // namespace quelvo
