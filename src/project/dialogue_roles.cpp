#include "project/dialogue_roles.h"

#include <algorithm>
#include <filesystem>

#include "base/files.h"

namespace quelvo {

namespace {

bool roleCanHold(unsigned char c) {
    // Bytes of multi-byte UTF-8 characters are letters of other scripts.
    return c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z') || c == ' ' || c == '_' || c == '-';
}

} // namespace

std::string subroleFor(const std::string& fileName) {
    std::string subrole;
    for (const char c : std::filesystem::path(fileName).replace_extension().string())
        subrole += roleCanHold(static_cast<unsigned char>(c)) ? c : '-';
    // Leading or trailing blanks would read as a different, invisible name.
    const size_t first = subrole.find_first_not_of(' ');
    if (first == std::string::npos) return "Dialogue";
    return subrole.substr(first, subrole.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> dialogueRoles(const std::vector<std::string>& paths) {
    if (paths.size() == 1) return {"dialogue"};
    std::vector<std::string> roles;
    for (const std::string& path : paths) {
        const std::string subrole = subroleFor(std::filesystem::path(path).filename().string());
        std::string role = "dialogue." + subrole;
        for (int n = 2; std::find(roles.begin(), roles.end(), role) != roles.end(); ++n)
            role = "dialogue." + subrole + "-" + std::to_string(n);
        roles.push_back(role);
    }
    return roles;
}

} // namespace quelvo
