#include "base/output_files.h"

#include <climits>
#include <filesystem>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quelvo {

namespace fs = std::filesystem;

namespace {

// The same place in the file system: absolute, "." and ".." gone, links in
// the folders resolved. The last component is kept as it is: it may not
// exist yet, or be a link that appears later.
std::string placeOf(const std::string& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec).lexically_normal();
    if (ec) return fs::path(path).lexically_normal().string();
    const fs::path folder = fs::weakly_canonical(absolute.parent_path(), ec);
    return ((ec ? absolute.parent_path() : folder) / absolute.filename()).string();
}

std::mutex& newFilesMutex() {
    static std::mutex mutex;
    return mutex;
}

std::set<std::string>& newFiles() {
    static std::set<std::string> files;
    return files;
}

} // namespace

std::string writeTargetOf(const std::string& path) {
    fs::path current(path);
    // As many links as the system itself follows before it gives up.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current.string();
        std::vector<char> buffer(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (n < 0 || static_cast<size_t>(n) >= buffer.size()) return current.string();
        const fs::path link(std::string(buffer.data(), static_cast<size_t>(n)));
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
    return current.string();
}

bool sameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    struct stat sa {
    }, sb{};
    const bool aThere = ::stat(a.c_str(), &sa) == 0, bThere = ::stat(b.c_str(), &sb) == 0;
    if (aThere && bThere) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    if (aThere != bThere) return false;
    return placeOf(writeTargetOf(a)) == placeOf(writeTargetOf(b));
}

std::optional<std::string> notWritableBecause(const std::string& path) {
    struct stat st {};
    if (::stat(writeTargetOf(path).c_str(), &st) != 0 || S_ISREG(st.st_mode)) return std::nullopt;
    if (S_ISDIR(st.st_mode)) return "it is a folder, not a file";
    if (S_ISFIFO(st.st_mode)) return "it is a named pipe, not a file";
    if (S_ISSOCK(st.st_mode)) return "it is a socket, not a file";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "it is a device, not a file";
    return "it is not a regular file";
}

std::optional<std::string> checkOutputPlan(const OutputPlan& plan) {
    for (size_t i = 0; i < plan.outputs.size(); ++i) {
        const std::string& output = plan.outputs[i];
        if (output.empty()) continue;
        for (const std::string& input : plan.inputs)
            if (sameFile(output, input))
                return "cannot write " + output + ": it is one of " + plan.inputsName;
        for (size_t j = 0; j < i; ++j)
            if (sameFile(output, plan.outputs[j]))
                return "cannot write " + output + ": it is the same file as " + plan.outputs[j] +
                       ", another output; give each output its own name";
        if (const auto why = notWritableBecause(output))
            return "cannot write " + output + ": " + *why;
    }
    for (const std::string& output : plan.outputs) {
        if (output.empty() || plan.replaceExisting) continue;
        struct stat st {};
        if (::lstat(output.c_str(), &st) == 0)
            return output + " already exists; use --force to replace it";
    }
    if (!plan.replaceExisting)
        for (const std::string& output : plan.outputs)
            if (!output.empty()) mustStayNew(output);
    return std::nullopt;
}

void mustStayNew(const std::string& path) {
    std::lock_guard lock(newFilesMutex());
    newFiles().insert(placeOf(writeTargetOf(path)));
}

bool isMarkedNew(const std::string& target) {
    std::lock_guard lock(newFilesMutex());
    return newFiles().count(placeOf(target)) > 0;
}

} // namespace quelvo
