#include "base/settings_store.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/files.h"

namespace quelvo {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::string settingsPath() {
    fs::path dir;
    if (const char* d = std::getenv("QUELVO_CONFIG_DIR"); d && *d) {
        dir = d;
    } else if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        dir = fs::path(xdg) / "quelvo";
    } else if (const char* home = std::getenv("HOME"); home && *home) {
#ifdef __APPLE__
        dir = fs::path(home) / "Library" / "Application Support" / "Quelvo";
#else
        dir = fs::path(home) / ".config" / "quelvo";
#endif
    } else {
        dir = fs::temp_directory_path() / "quelvo";
    }
    return (dir / "settings.json").string();
}

// Holds an advisory lock beside the settings file so that writers in other
// processes take turns; without a lock file (read-only folder) it holds none.
class FileLock {
  public:
    explicit FileLock(const std::string& settings) {
        std::error_code ec;
        fs::create_directories(fs::path(settings).parent_path(), ec);
        m_fd = ::open((settings + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd >= 0) {
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FileLock() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    int m_fd = -1;
};

} // namespace

SettingsStore& SettingsStore::instance() {
    static SettingsStore store;
    return store;
}

std::string SettingsStore::filePath() const {
    return settingsPath();
}

json SettingsStore::readFromDisk(const std::string& path) {
    std::string bytes, error;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        // No file is a first run. A settings folder that is a file is a
        // mistake the user should hear of: nothing could ever be stored.
        if (errno == ENOTDIR)
            m_warning = "cannot read settings file " + path + ": " +
                        fs::path(path).parent_path().string() + " is not a folder; using defaults";
        return json::object();
    }
    if (!readFileBytes(path, bytes, &error)) {
        m_warning = "cannot read settings file " + path + ": " + error + "; using defaults";
        return json::object();
    }
    json parsed = json::parse(bytes, nullptr, false);
    if (parsed.is_object()) return parsed;
    // Keep the damaged file for the user rather than overwrite it later.
    const std::string aside = path + ".corrupt-" + fileTimeStamp();
    if (::rename(path.c_str(), aside.c_str()) == 0)
        m_warning =
            "settings file " + path + " was damaged; kept as " + aside + " and using defaults";
    else
        m_warning = "settings file " + path +
                    " is damaged and cannot be moved aside: " + std::strerror(errno) +
                    "; using defaults";
    return json::object();
}

void SettingsStore::ensureLoaded() {
    if (m_loaded) return;
    m_path = settingsPath();
    m_values = readFromDisk(m_path);
    m_loaded = true;
}

std::optional<json> SettingsStore::value(const std::string& key) {
    std::lock_guard lock(m_mutex);
    ensureLoaded();
    const auto it = m_values.find(key);
    if (it == m_values.end()) return std::nullopt;
    return *it;
}

Status SettingsStore::setValue(const std::string& key, json value) {
    std::lock_guard lock(m_mutex);
    ensureLoaded();
    m_values[key] = value;
    FileLock fileLock(m_path);
    // Another process may have written since we read: merge into its file.
    json onDisk = readFromDisk(m_path);
    onDisk[key] = std::move(value);
    for (auto it = m_values.begin(); it != m_values.end(); ++it)
        if (!onDisk.contains(it.key())) onDisk[it.key()] = it.value();
    m_values = onDisk;
    return atomicWriteFile(m_path,
                           onDisk.dump(2, ' ', false, json::error_handler_t::replace) + "\n");
}

void SettingsStore::reload() {
    std::lock_guard lock(m_mutex);
    m_loaded = false;
    m_values = json::object();
    m_warning.clear();
    m_unusable.clear();
}

std::string SettingsStore::lastWarning() {
    std::lock_guard lock(m_mutex);
    ensureLoaded();
    return m_warning;
}

void SettingsStore::noteUnusableValue(const std::string& key, const std::string& why) {
    std::lock_guard lock(m_mutex);
    ensureLoaded();
    for (const auto& noted : m_unusable)
        if (noted.first == key) return;
    m_unusable.emplace_back(key, "settings file " + m_path + ": " + why);
}

std::vector<std::string> SettingsStore::warnings() {
    std::lock_guard lock(m_mutex);
    ensureLoaded();
    std::vector<std::string> all;
    if (!m_warning.empty()) all.push_back(m_warning);
    for (const auto& noted : m_unusable)
        all.push_back(noted.second);
    return all;
}

double storedDouble(const std::string& key, double defaultValue) {
    const auto v = SettingsStore::instance().value(key);
    return v && v->is_number() ? v->get<double>() : defaultValue;
}

bool storedBool(const std::string& key, bool defaultValue) {
    const auto v = SettingsStore::instance().value(key);
    return v && v->is_boolean() ? v->get<bool>() : defaultValue;
}

std::string storedString(const std::string& key, const std::string& defaultValue) {
    const auto v = SettingsStore::instance().value(key);
    return v && v->is_string() ? v->get<std::string>() : defaultValue;
}

Status storeString(const std::string& key, const std::string& value) {
    return SettingsStore::instance().setValue(key, value);
}

Status storeDouble(const std::string& key, double value) {
    return SettingsStore::instance().setValue(key, value);
}

Status storeBool(const std::string& key, bool value) {
    return SettingsStore::instance().setValue(key, value);
}

} // namespace quelvo
