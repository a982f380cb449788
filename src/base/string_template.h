#pragma once
// Text templates with square-bracket tokens: "[name]" is replaced by the value
// given for name. Filling is one pass, so values that themselves contain
// brackets are never expanded again; tokens without a value stay as written.
#include <map>
#include <string>

namespace quelvo {

class StringTemplate {
  public:
    explicit StringTemplate(std::string text) : m_text(std::move(text)) {}
    std::string fillText(const std::map<std::string, std::string>& values) const;

  private:
    std::string m_text;
};

} // namespace quelvo
