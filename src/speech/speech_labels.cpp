#include "speech/speech_labels.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "base/files.h"
#include "base/numbers.h"
#include "speech/speech_corrections.h"

namespace quelvo {

namespace {

// Fixed notation, never an exponent: some editors read no "1e-05".
std::string seconds(double value) {
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return std::string(text, written.ptr);
}

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    const char separator = line.find('\t') != std::string_view::npos ? '\t' : ' ';
    size_t from = 0;
    while (from <= line.size()) {
        const size_t to = std::min(line.find(separator, from), line.size());
        if (to > from || separator == '\t') out.push_back(line.substr(from, to - from));
        from = to + 1;
    }
    return out;
}

// A time in seconds; a decimal comma counts as a point.
std::optional<double> timeValue(std::string_view field) {
    std::string text(field);
    if (text.find('.') == std::string::npos) std::replace(text.begin(), text.end(), ',', '.');
    const std::optional<double> value = quelvo::toDouble(text);
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

// Counts a kind of mend, remembering the first line it happened on.
struct Mend {
    int count = 0;
    int firstLine = 0;
    void note(int line) {
        if (count++ == 0) firstLine = line;
    }
};

std::string linesText(const Mend& mend) {
    return mend.count == 1 ? "line " + std::to_string(mend.firstLine)
                           : std::to_string(mend.count) + " lines, the first line " +
                                 std::to_string(mend.firstLine) + ",";
}

// A field as the message shows it: short, and without control characters
// (a binary file given by mistake must not garble the terminal).
std::string quoted(std::string_view field) {
    std::string text(field.substr(0, 24));
    for (char& ch : text)
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f) ch = '?';
    return "\"" + text + (field.size() > 24 ? "…\"" : "\"");
}

struct LineResult {
    std::optional<Cluster> interval;
    std::string problem; // why the line is bad; "" when it is not
};

LineResult readLine(std::string_view line) {
    const std::vector<std::string_view> parts = fields(line);
    if (parts.size() < 2)
        return {std::nullopt, "has no end time (a label is start, tab, end, tab, text)"};
    const std::optional<double> start = timeValue(parts[0]);
    if (!start)
        return {std::nullopt,
                "starts with " + quoted(parts[0]) + ", which is not a time in seconds"};
    const std::optional<double> end = timeValue(parts[1]);
    if (!end)
        return {std::nullopt, "ends at " + quoted(parts[1]) + ", which is not a time in seconds"};
    if (*start < 0)
        return {std::nullopt, "starts before the recording does (" + std::string(parts[0]) + " s)"};
    if (*end < *start) return {std::nullopt, "ends before it starts"};
    return {Cluster{*start, *end}, {}};
}

} // namespace

std::string labelText(const ClusterList& intervals) {
    std::string text;
    for (const Cluster& c : intervals)
        text += seconds(c.start) + '\t' + seconds(c.end) + "\tspeech\n";
    return text;
}

LabelReading parseLabels(std::string_view text, double duration, const std::string& name) {
    LabelReading reading;
    Mend points, late, disorder;
    int number = 0;
    double latestEnd = 0;
    for (size_t from = 0; from < text.size();) {
        const size_t to = std::min(text.find('\n', from), text.size());
        std::string_view line = text.substr(from, to - from);
        from = to + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
        if (line.find_first_not_of(" \t") == std::string_view::npos || line.front() == '\\')
            continue;
        const LineResult read = readLine(line);
        if (!read.interval) {
            reading.status = Status::failure("Line " + std::to_string(number) + " of " + name +
                                             " " + read.problem + ".");
            reading.intervals.clear();
            return reading;
        }
        Cluster c = *read.interval;
        if (c.end == c.start) {
            points.note(number);
            continue;
        }
        if (duration > 0 && c.end > duration) {
            late.note(number);
            if (c.start >= duration) continue;
            c.end = duration;
        }
        if (!reading.intervals.empty() && c.start < latestEnd) disorder.note(number);
        latestEnd = std::max(latestEnd, c.end);
        reading.intervals.push_back(c);
    }
    reading.intervals = joinIntervals(std::move(reading.intervals));
    if (disorder.count)
        reading.warnings.push_back(
            "In " + name + ", " + linesText(disorder) +
            " overlapped or came before the one above; the intervals were sorted and joined.");
    if (points.count)
        reading.warnings.push_back("In " + name + ", " + linesText(points) +
                                   " marked a point, not an interval, and was skipped.");
    if (late.count)
        reading.warnings.push_back("In " + name + ", " + linesText(late) +
                                   " went past the recording's end (" + seconds(duration) +
                                   " s) and was cut there.");
    return reading;
}

LabelReading readLabelFile(const std::string& path, double duration) {
    std::string bytes, error;
    if (!quelvo::readFileBytes(path, bytes, &error)) {
        LabelReading failed;
        failed.status = Status::failure("Cannot read the label file " + path + ": " + error + ".");
        return failed;
    }
    return parseLabels(bytes, duration, path);
}

Status writeLabelFile(const std::string& path, const ClusterList& intervals) {
    return quelvo::atomicWriteFile(path, labelText(intervals));
}

} // namespace quelvo
