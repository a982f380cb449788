#include "titles/ass_markup.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

namespace quelvo::ass {

int leadingNumber(std::string_view s) {
    int value = 0;
    std::from_chars(s.data(), s.data() + s.size(), value);
    return value;
}

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), isDigit);
}

// The three spans the cue model carries, in the order they are opened.
enum Span { italic, bold, underline };
constexpr std::array<const char*, 3> kSpanNames = {"i", "b", "u"};

// Writes text with spans that open and close as the overrides ask, always
// properly nested: closing an outer span closes the inner ones and opens
// them again after it.
class SpanWriter {
  public:
    void want(Span span, bool on) { m_wanted[span] = on; }
    void wantNone() { m_wanted = {}; }

    void append(std::string_view text) {
        if (text.empty()) return;
        sync();
        m_out.append(text);
    }

    std::string finish() {
        while (!m_open.empty())
            closeTop();
        return std::move(m_out);
    }

  private:
    void sync() {
        // Close down to the deepest span no longer wanted, remembering what
        // must come back.
        size_t keep = 0;
        while (keep < m_open.size() && m_wanted[m_open[keep]])
            ++keep;
        std::vector<Span> reopen;
        while (m_open.size() > keep) {
            if (m_wanted[m_open.back()]) reopen.insert(reopen.begin(), m_open.back());
            closeTop();
        }
        for (const Span s : reopen)
            open(s);
        for (const Span s : {italic, bold, underline})
            if (m_wanted[s] && std::find(m_open.begin(), m_open.end(), s) == m_open.end()) open(s);
    }
    void open(Span s) {
        m_out += std::string("<") + kSpanNames[s] + ">";
        m_open.push_back(s);
    }
    void closeTop() {
        m_out += std::string("</") + kSpanNames[m_open.back()] + ">";
        m_open.pop_back();
    }

    std::array<bool, 3> m_wanted{};
    std::vector<Span> m_open;
    std::string m_out;
};

// \b takes 0/1 or a font weight: 600 and up is bold.
bool boldFrom(std::string_view value) {
    if (value.empty()) return false;
    const int v = leadingNumber(value);
    return v == 1 || v >= 600;
}

struct OverrideState {
    SpanWriter& writer;
    CuePlacement placement = CuePlacement::unset;
    bool drawing = false;
};

// One tag of an override block, without its backslash.
void applyTag(std::string_view tag, OverrideState& state) {
    const auto value = [&](size_t at) { return tag.substr(at); };
    if (tag.size() >= 2 && tag.substr(0, 2) == "an" && allDigits(value(2)) && tag.size() > 2) {
        if (state.placement == CuePlacement::unset)
            state.placement = placementFromNumpad(leadingNumber(value(2)));
    } else if (tag.size() > 1 && tag[0] == 'a' && allDigits(value(1))) {
        if (state.placement == CuePlacement::unset)
            state.placement = placementFromLegacy(leadingNumber(value(1)));
    } else if (!tag.empty() && tag[0] == 'i' && allDigits(value(1))) {
        state.writer.want(italic, value(1) == "1");
    } else if (!tag.empty() && tag[0] == 'b' && allDigits(value(1))) {
        state.writer.want(bold, boldFrom(value(1)));
    } else if (!tag.empty() && tag[0] == 'u' && allDigits(value(1))) {
        state.writer.want(underline, value(1) == "1");
    } else if (!tag.empty() && tag[0] == 'p' && allDigits(value(1))) {
        state.drawing = leadingNumber(value(1)) > 0;
    } else if (!tag.empty() && tag[0] == 'r') {
        state.writer.wantNone();
    }
}

void applyBlock(std::string_view block, OverrideState& state) {
    for (size_t at = block.find('\\'); at != std::string_view::npos;) {
        const size_t next = block.find('\\', at + 1);
        std::string_view tag =
            block.substr(at + 1, next == std::string_view::npos ? next : next - at - 1);
        while (!tag.empty() && (tag.back() == ' ' || tag.back() == '\t'))
            tag.remove_suffix(1);
        applyTag(tag, state);
        at = next;
    }
}

} // namespace

CuePlacement placementFromNumpad(int alignment) {
    return alignment >= 7 && alignment <= 9 ? CuePlacement::top : CuePlacement::bottom;
}

CuePlacement placementFromLegacy(int alignment) {
    return alignment >= 5 && alignment <= 7 ? CuePlacement::top : CuePlacement::bottom;
}

EventText convertEventText(std::string_view raw, bool softBreaksAreBreaks) {
    SpanWriter writer;
    OverrideState state{writer};
    size_t plainFrom = 0;
    const auto flush = [&](size_t to) {
        if (!state.drawing) writer.append(raw.substr(plainFrom, to - plainFrom));
    };
    for (size_t i = 0; i < raw.size();) {
        const char c = raw[i];
        if (c == '{') {
            const size_t close = raw.find('}', i);
            if (close == std::string_view::npos) break; // an unclosed brace is text
            flush(i);
            applyBlock(raw.substr(i + 1, close - i - 1), state);
            i = plainFrom = close + 1;
        } else if (c == '\\' && i + 1 < raw.size() &&
                   (raw[i + 1] == 'N' || raw[i + 1] == 'n' || raw[i + 1] == 'h')) {
            flush(i);
            const char e = raw[i + 1];
            if (!state.drawing)
                writer.append(e == 'N' || (e == 'n' && softBreaksAreBreaks) ? "\n"
                              : e == 'n'                                    ? " "
                                                                            : "\xC2\xA0");
            i = plainFrom = i + 2;
        } else {
            ++i;
        }
    }
    flush(raw.size());
    return {writer.finish(), state.placement};
}

CuePlacement takeOverrideBlocks(std::string& text) {
    CuePlacement placement = CuePlacement::unset;
    for (size_t at = text.find("{\\"); at != std::string::npos; at = text.find("{\\", at)) {
        const size_t close = text.find('}', at);
        if (close == std::string::npos) break;
        SpanWriter ignored;
        OverrideState state{ignored};
        applyBlock(std::string_view(text).substr(at + 1, close - at - 1), state);
        if (placement == CuePlacement::unset) placement = state.placement;
        text.erase(at, close - at + 1);
    }
    return placement;
}

} // namespace quelvo::ass
