#include "base/files.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "base/output_files.h"
#include "base/strings.h"
#include "base/temporary_files.h"

namespace quelvo {

namespace fs = std::filesystem;

bool fileExists(const std::string& path, int minSizeInKB) {
    if (path.empty()) return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return st.st_size >= static_cast<off_t>(minSizeInKB) * 1024;
}

std::string fileNameOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string pathWithoutExtension(std::string_view path) {
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    // A leading dot names a hidden file, not an extension.
    if (dot == std::string_view::npos || dot <= nameStart) return std::string(path);
    return std::string(path.substr(0, dot));
}

namespace {

std::string errorText(int err) {
    return std::strerror(err);
}

// Tests set QUELVO_KILL_DURING_WRITE to prove that a crash half-way through a
// write leaves the old file untouched.
void maybeDieMidWrite() {
    const char* hook = std::getenv("QUELVO_KILL_DURING_WRITE");
    if (hook && *hook && std::strcmp(hook, "0") != 0) ::raise(SIGKILL);
}

bool writeRange(int fd, std::string_view bytes, int& err) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool writeAll(int fd, std::string_view bytes, int& err) {
    const size_t half = bytes.size() / 2;
    if (!writeRange(fd, bytes.substr(0, half), err)) return false;
    maybeDieMidWrite();
    return writeRange(fd, bytes.substr(half), err);
}

std::string decodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u32string out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        char32_t unit = bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const auto c0 = static_cast<unsigned char>(bytes[i + 2]);
            const auto c1 = static_cast<unsigned char>(bytes[i + 3]);
            const char32_t low = bigEndian ? (c0 << 8 | c1) : (c1 << 8 | c0);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out.push_back(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF) unit = 0xFFFD;
        out.push_back(unit);
    }
    return toUtf8(out);
}

// The file system's longest name in `folder` (255 bytes where it cannot say).
size_t longestName(const fs::path& folder) {
    const long max = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return max > 0 ? static_cast<size_t>(max) : 255;
}

std::string randomTag() {
    std::mt19937_64 rng(std::random_device{}());
    return std::to_string(::getpid()) + "-" + std::to_string(rng() % 1000000);
}

fs::path folderOf(const fs::path& target) {
    return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

// Rename without replacing: fails with EEXIST when something is at `to`.
int renameNoReplace(const char* from, const char* to) {
#if defined(__APPLE__)
    if (::renamex_np(from, to, RENAME_EXCL) == 0) return 0;
    if (errno != ENOTSUP && errno != EINVAL) return errno;
#elif defined(__linux__)
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EOPNOTSUPP) return errno;
#endif
    return linkIntoPlace(from, to);
}

// The last steps of every atomic write, once the temporary file is whole
// (`ok`) or not (`err` says why): it takes the replaced file's permissions
// and its place (a link's target's), and the folder is synced so that the
// rename survives a crash. A failed write leaves nothing behind.
Status putInPlace(const std::string& tmp, const std::string& path, bool ok, int err) {
    const std::string target = writeTargetOf(path);
    std::string why;
    if (ok) {
        if (const auto refused = notWritableBecause(target)) {
            ok = false;
            why = *refused;
        }
    }
    struct stat st {};
    if (ok && ::stat(target.c_str(), &st) == 0) ::chmod(tmp.c_str(), st.st_mode & 07777);
    if (ok && isMarkedNew(target)) {
        if (const int failed = renameNoReplace(tmp.c_str(), target.c_str())) {
            ok = false;
            err = failed;
            if (failed == EEXIST) why = "a file of that name appeared while it was being written";
        }
    } else if (ok && ::rename(tmp.c_str(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        discardTemporaryFile(tmp);
        return Status::failure("cannot write " + path + ": " +
                               (why.empty() ? errorText(err) : why));
    }
    forgetTemporaryFile(tmp);
    const int dirFd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return Status::success();
}

} // namespace

int linkIntoPlace(const char* from, const char* to) {
    if (::link(from, to) == 0) {
        ::unlink(from);
        return 0;
    }
    const int err = errno;
    if (err != EPERM && err != ENOTSUP && err != EOPNOTSUPP && err != ENOSYS) return err;
    struct stat st {};
    if (::lstat(to, &st) == 0) return EEXIST;
    return ::rename(from, to) == 0 ? 0 : errno;
}

Status atomicWriteFile(const std::string& path, std::string_view bytes) {
    if (path.empty()) return Status::failure("no output file was given");
    if (const auto refused = notWritableBecause(path))
        return Status::failure("cannot write " + path + ": " + *refused);
    const std::string tmp = temporaryPathBeside(path);
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int err = errno;
        forgetTemporaryFile(tmp);
        return Status::failure("cannot write " + path + ": " + errorText(err));
    }
    int err = 0;
    bool ok = writeAll(fd, bytes, err);
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        err = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    return putInPlace(tmp, path, ok, err);
}

std::string temporaryPathBeside(const std::string& path) {
    const fs::path target(writeTargetOf(path));
    const fs::path folder = folderOf(target);
    // The target's name tells where a leftover came from; a name too long for
    // the additions gets a short one, so that every name that can be written
    // at all can be written atomically.
    std::string name = "." + target.filename().string() + ".tmp-" + randomTag();
    if (name.size() > longestName(folder)) name = ".quelvo.tmp-" + randomTag();
    const std::string tmp = (folder / name).string();
    rememberTemporaryFile(tmp);
    return tmp;
}

void discardTemporaryFile(const std::string& temporaryPath) {
    ::unlink(temporaryPath.c_str());
    forgetTemporaryFile(temporaryPath);
}

Status commitTemporaryFile(const std::string& temporaryPath, const std::string& path) {
    int err = 0;
    bool ok = true;
    const int fd = ::open(temporaryPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        ok = false;
        err = errno;
    }
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        err = errno;
    }
    if (fd >= 0) ::close(fd);
    maybeDieMidWrite();
    return putInPlace(temporaryPath, path, ok, err);
}

Status writeTextFile(const std::string& filePath, std::string_view text) {
    return atomicWriteFile(filePath, text);
}

bool readFileBytes(const std::string& path, std::string& bytes, std::string* error) {
    bytes.clear();
    // Without O_NONBLOCK, opening a named pipe waits for a writer that may
    // never come; the type check below then turns it away.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (error) *error = errorText(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error) *error = S_ISDIR(st.st_mode) ? "it is a folder" : "not a regular file";
        ::close(fd);
        return false;
    }
    bytes.reserve(static_cast<size_t>(st.st_size));
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (error) *error = errorText(errno);
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

std::string readTextFile(const std::string& path) {
    std::string bytes;
    if (!readFileBytes(path, bytes)) return {};
    if (startsWith(bytes, "\xEF\xBB\xBF"))
        bytes.erase(0, 3);
    else if (startsWith(bytes, "\xFF\xFE"))
        return decodeUtf16(std::string_view(bytes).substr(2), false);
    else if (startsWith(bytes, "\xFE\xFF"))
        return decodeUtf16(std::string_view(bytes).substr(2), true);
    return isValidUtf8(bytes) ? bytes : std::string();
}

std::string fileTimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &local);
    return buf;
}

std::string absolutePathOf(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    const std::filesystem::path absolute =
        std::filesystem::absolute(std::filesystem::path(path), ec);
    return (ec ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

std::string cacheDirectory() {
    fs::path base;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home) {
#ifdef __APPLE__
        base = fs::path(home) / "Library" / "Caches";
#else
        base = fs::path(home) / ".cache";
#endif
    } else {
        base = fs::temp_directory_path();
    }
    const fs::path dir = base / "Quelvo";
    std::error_code ec;
    fs::create_directories(dir, ec);
    return dir.string();
}

} // namespace quelvo
