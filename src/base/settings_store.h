#pragma once
// The user defaults store: one JSON object in one file, written atomically on
// every change. The file lives in $QUELVO_CONFIG_DIR when set (tests always set
// it), else in the platform's configuration folder. A file that cannot be
// parsed is kept aside as settings.json.corrupt-<time> and defaults are used;
// it is never silently overwritten. Safe to call from any thread, and from
// several processes: every write re-reads the file under a lock, so writers
// never drop each other's keys.
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/result.h"

namespace quelvo {

class SettingsStore {
  public:
    static SettingsStore& instance();

    std::string filePath() const;
    std::optional<nlohmann::json> value(const std::string& key);
    Status setValue(const std::string& key, nlohmann::json value);
    // Forgets what was read and reads the file again on next use, also from a
    // new $QUELVO_CONFIG_DIR (a fresh start of the program, as tests see it).
    void reload();
    // A warning about the file (kept aside, unreadable), or "" when none.
    std::string lastWarning();
    // Notes that the stored value under key cannot be used and its default
    // serves instead; `why` says so in a few words ("duck.decrease = 20 is
    // not within -60 to 0 dB; using its default -12"). Noted once per key
    // until the next reload.
    void noteUnusableValue(const std::string& key, const std::string& why);
    // The file's warning, then one per unusable value, each naming the file.
    std::vector<std::string> warnings();

  private:
    SettingsStore() = default;
    void ensureLoaded();
    nlohmann::json readFromDisk(const std::string& path);

    std::mutex m_mutex;
    bool m_loaded = false;
    std::string m_path;
    nlohmann::json m_values = nlohmann::json::object();
    std::string m_warning;
    std::vector<std::pair<std::string, std::string>> m_unusable; // key, warning
};

double storedDouble(const std::string& key, double defaultValue);
bool storedBool(const std::string& key, bool defaultValue);
std::string storedString(const std::string& key, const std::string& defaultValue);
Status storeString(const std::string& key, const std::string& value);
Status storeDouble(const std::string& key, double value);
Status storeBool(const std::string& key, bool value);

// A stored property: reads give the stored value or the default, writes store.
template <typename T> class StoredSetting;

template <> class StoredSetting<bool> {
  public:
    StoredSetting(std::string key, bool def) : m_key(std::move(key)), m_def(def) {}
    bool get() const { return storedBool(m_key, m_def); }
    Status set(bool value) const { return storeBool(m_key, value); }
    operator bool() const { return get(); }

  private:
    std::string m_key;
    bool m_def;
};

template <> class StoredSetting<double> {
  public:
    StoredSetting(std::string key, double def) : m_key(std::move(key)), m_def(def) {}
    double get() const { return storedDouble(m_key, m_def); }
    Status set(double value) const { return storeDouble(m_key, value); }
    operator double() const { return get(); }

  private:
    std::string m_key;
    double m_def;
};

template <> class StoredSetting<std::string> {
  public:
    StoredSetting(std::string key, std::string def)
        : m_key(std::move(key)), m_def(std::move(def)) {}
    std::string get() const { return storedString(m_key, m_def); }
    Status set(const std::string& value) const { return storeString(m_key, value); }
    operator std::string() const { return get(); }

  private:
    std::string m_key;
    std::string m_def;
};

} // namespace quelvo
