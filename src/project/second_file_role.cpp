#include "project/second_file_role.h"

#include "base/settings_store.h"
#include "base/strings.h"

namespace quelvo {

namespace {
constexpr const char* kRoleKey = "QVSecondFileRole.role";
constexpr const char* kCustomKey = "QVSecondFileRole.customRole";
} // namespace

SecondFileRole& SecondFileRole::shared() {
    static SecondFileRole role;
    return role;
}

SecondFileRole::Role SecondFileRole::role() const {
    const std::string raw = quelvo::storedString(kRoleKey, "music");
    if (raw == "dialogue") return Role::dialogue;
    if (raw == "custom") return Role::custom;
    return Role::music;
}

void SecondFileRole::setRole(Role role) {
    quelvo::storeString(kRoleKey, rawValue(role));
}

std::string SecondFileRole::customRole() const {
    return quelvo::storedString(kCustomKey, "");
}

void SecondFileRole::setCustomRole(const std::string& name) {
    quelvo::storeString(kCustomKey, name);
}

std::string SecondFileRole::roleName() const {
    switch (role()) {
    case Role::dialogue:
        return "dialogue";
    case Role::music:
        return "music";
    case Role::custom: {
        const std::string name = quelvo::trimWhitespace(customRole());
        return name.empty() ? "music" : name;
    }
    }
    return "music";
}

std::string rawValue(SecondFileRole::Role role) {
    switch (role) {
    case SecondFileRole::Role::dialogue:
        return "dialogue";
    case SecondFileRole::Role::music:
        return "music";
    case SecondFileRole::Role::custom:
        return "custom";
    }
    return "music";
}

} // namespace quelvo
