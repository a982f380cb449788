#pragma once
// The audio role under which the music clip is written: dialogue, music or a
// custom name. Kept in the preferences store so it survives a restart.
#include <string>

namespace quelvo {

class SecondFileRole {
  public:
    enum class Role { dialogue = 0, music = 1, custom = 2 };
    static constexpr const char* kNotificationKey = "QVSecondFileRole.changed";

    static SecondFileRole& shared();

    Role role() const;
    void setRole(Role role);
    std::string customRole() const;
    void setCustomRole(const std::string& name);
    // "dialogue", "music" or the custom name ("music" when that is empty).
    std::string roleName() const;
};

std::string rawValue(SecondFileRole::Role role);

} // namespace quelvo
