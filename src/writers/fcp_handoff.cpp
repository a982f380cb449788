#include "writers/fcp_handoff.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>

#include "base/files.h"
#include "base/strings.h"

extern char** environ;

namespace quelvo::fcpHandoff {

namespace fs = std::filesystem;

namespace {

// The value of the first project name attribute, with the five predefined
// entities read back.
std::string projectNameIn(const std::string& xml) {
    const std::string marker = "<project name=";
    const size_t at = xml.find(marker);
    if (at == std::string::npos || at + marker.size() >= xml.size()) return {};
    const char quote = xml[at + marker.size()];
    if (quote != '"' && quote != '\'') return {};
    const size_t start = at + marker.size() + 1;
    const size_t end = xml.find(quote, start);
    if (end == std::string::npos) return {};
    std::string name = xml.substr(start, end - start);
    for (const auto& [entity, text] :
         {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}})
        name = quelvo::replace(name, entity, text, false);
    return name;
}

// Keeps a name usable as a file name on every system Final Cut Pro users
// share files with; at most 80 bytes, cut between characters.
std::string safeFileName(const std::string& name) {
    std::string out;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        const bool forbidden = u < 0x20 || u == 0x7f || std::strchr("/\\:*?\"<>|", c) != nullptr;
        out += forbidden ? '_' : c;
    }
    out = quelvo::trimWhitespace(out);
    while (!out.empty() && out.front() == '.')
        out.erase(0, 1); // no hidden files
    if (out.size() > 80) {
        size_t cut = 80;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80)
            --cut;
        out.resize(cut);
    }
    return out;
}

// A file name no earlier hand-over used, so a document that Final Cut Pro is
// still reading is never replaced.
std::string newHandoffPath(const std::string& baseName) {
    const fs::path dir = handoffDirectory();
    const std::string stem = baseName + "-" + quelvo::fileTimeStamp();
    fs::path candidate = dir / (stem + ".fcpxml");
    for (int n = 2; fs::exists(candidate) && n < 10000; ++n)
        candidate = dir / (stem + "-" + std::to_string(n) + ".fcpxml");
    return candidate.string();
}

std::string describe(const std::vector<std::string>& command) {
    return command.empty() ? std::string("the opener") : command.front();
}

quelvo::Status runOpener(const std::vector<std::string>& command, const std::string& file) {
    std::vector<char*> argv;
    for (const auto& a : command)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The opener must not read from whatever stdin the program has.
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return quelvo::Status::failure("could not hand " + file +
                                       " to Final Cut Pro: cannot start " + describe(command) +
                                       ": " + std::strerror(spawned));
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return quelvo::Status::failure("could not hand " + file +
                                           " to Final Cut Pro: " + std::strerror(errno));
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return quelvo::Status::success();
    const std::string how =
        WIFEXITED(status) ? (WEXITSTATUS(status) == 127
                                 ? std::string("cannot start it")
                                 : "it exited with status " + std::to_string(WEXITSTATUS(status)))
                          : "it was stopped by signal " + std::to_string(WTERMSIG(status));
    return quelvo::Status::failure("could not hand " + file + " to Final Cut Pro: " +
                                   describe(command) + " failed (" + how + ")");
}

} // namespace

std::string handoffDirectory() {
    const fs::path dir = fs::path(quelvo::cacheDirectory()) / "handoff";
    std::error_code ec;
    fs::create_directories(dir, ec);
    return dir.string();
}

std::vector<std::string> openerCommand(const std::string& file) {
    if (const char* opener = std::getenv(kOpenerVariable); opener && *opener) return {opener, file};
#ifdef __APPLE__
    return {"open", "-a", "Final Cut Pro", file};
#else
    return {"xdg-open", file};
#endif
}

std::string handoffBaseName(const std::string& appName, const std::string& xml) {
    std::string name = safeFileName(projectNameIn(xml));
    if (name.empty()) name = safeFileName(appName);
    return name.empty() ? std::string("Quelvo") : name;
}

HandOverResult handOverToFCP(const std::string& appName, const std::string& xml) {
    const std::string file = newHandoffPath(handoffBaseName(appName, xml));
    if (auto written = quelvo::atomicWriteFile(file, xml); !written.ok())
        return {quelvo::Status::failure("could not hand the project to Final Cut Pro: " +
                                        written.message()),
                ""};
    return {runOpener(openerCommand(file), file), file};
}

quelvo::Status sendDirectlyToFCP(const std::string& appName, const std::string& xml) {
    return handOverToFCP(appName, xml).status;
}

} // namespace quelvo::fcpHandoff
