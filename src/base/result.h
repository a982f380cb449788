#pragma once
// Errors inside the core are values: a Status says whether an operation
// worked and, when it did not, one short sentence saying why.
#include <string>
#include <utility>

namespace quelvo {

class Status {
  public:
    static Status success() { return Status(); }
    static Status failure(std::string message) { return Status(std::move(message)); }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const std::string& message() const { return m_message; }

  private:
    Status() = default;
    explicit Status(std::string message) : m_failed(true), m_message(std::move(message)) {}
    bool m_failed = false;
    std::string m_message;
};

} // namespace quelvo
