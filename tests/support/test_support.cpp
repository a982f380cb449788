#include "support/test_support.h"

#include <array>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "base/settings_store.h"

extern char** environ;

namespace quelvo::test {

fs::path sharedDir() {
    if (const char* d = std::getenv("QUELVO_SHARED_DIR"); d && *d) return d;
    return fs::path(QUELVO_SHARED_DIR);
}
fs::path testDataDir() {
    return QUELVO_TEST_DATA_DIR;
}
fs::path goldenDir() {
    return QUELVO_GOLDEN_DIR;
}
fs::path binDir() {
    return QUELVO_BIN_DIR;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

TempDir::TempDir() {
    std::random_device rd;
    for (;;) {
        m_path = fs::temp_directory_path() / ("quelvo-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(m_path, ec)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    // Restore write permission on folders a test made read-only.
    for (auto it = fs::recursive_directory_iterator(m_path, ec); !ec && it != fs::end(it);
         it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

CommandResult runProgram(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extraEnv) {
    TempDir tmp;
    const fs::path outPath = tmp / "out", errPath = tmp / "err";
    CommandResult result;
    const pid_t pid = fork();
    if (pid == 0) {
        const int outFd = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFd = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nullFd = ::open("/dev/null", O_RDONLY);
        dup2(nullFd, 0);
        dup2(outFd, 1);
        dup2(errFd, 2);
        for (const auto& e : extraEnv)
            putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

int occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

int sox(std::vector<std::string> args) {
    args.insert(args.begin(), "/usr/bin/sox");
    return runProgram(args).exitCode;
}

fs::path mediaFile(const std::string& name) {
    return testDataDir() / "media" / name;
}

ValidationResult validateFcpxml(const std::string& xml, const std::string& version) {
    std::string dtdVersion = version;
    for (auto& c : dtdVersion)
        if (c == '.') c = '_';
    const fs::path dtd = sharedDir() / "fcpxml" / ("FCPXMLv" + dtdVersion + ".dtd");
    TempDir tmp;
    const fs::path doc = tmp / "doc.fcpxml";
    writeFile(doc, xml);
    const auto r = runProgram(
        {"/usr/bin/xmllint", "--noout", "--nonet", "--dtdvalid", dtd.string(), doc.string()});
    return {r.exitCode == 0, r.err + r.out};
}

void expectGolden(const std::string& name, const std::string& actual) {
    const fs::path path = goldenDir() / name;
    if (const char* u = std::getenv("UPDATE_GOLDEN"); u && std::string(u) == "1") {
        fs::create_directories(path.parent_path());
        writeFile(path, actual);
        return;
    }
    ASSERT_TRUE(fs::exists(path)) << "golden file missing: " << path
                                  << " (run with UPDATE_GOLDEN=1 and review the diff)";
    const std::string expected = readFile(path);
    EXPECT_EQ(expected, actual) << "differs from golden file " << path;
}

namespace {
std::unique_ptr<TempDir>& settingsFolder() {
    static std::unique_ptr<TempDir> folder;
    return folder;
}
} // namespace

void freshSettings() {
    auto& folder = settingsFolder();
    folder = std::make_unique<TempDir>();
    setenv("QUELVO_CONFIG_DIR", folder->path().c_str(), 1);
    quelvo::SettingsStore::instance().reload();
}

void dropSettings() {
    settingsFolder().reset();
}

::testing::TestEventListener* newSettingsFolderListener() {
    class Listener : public ::testing::EmptyTestEventListener {
        void OnTestStart(const ::testing::TestInfo&) override { freshSettings(); }
        void OnTestProgramEnd(const ::testing::UnitTest&) override { dropSettings(); }
    };
    return new Listener;
}

} // namespace quelvo::test
