#include "base/string_template.h"

namespace quelvo {

std::string StringTemplate::fillText(const std::map<std::string, std::string>& values) const {
    std::string out;
    out.reserve(m_text.size());
    size_t i = 0;
    while (i < m_text.size()) {
        if (m_text[i] == '[') {
            const size_t close = m_text.find(']', i + 1);
            if (close != std::string::npos) {
                const auto it = values.find(m_text.substr(i + 1, close - i - 1));
                if (it != values.end()) {
                    out += it->second;
                    i = close + 1;
                    continue;
                }
            }
        }
        out.push_back(m_text[i++]);
    }
    return out;
}

} // namespace quelvo
