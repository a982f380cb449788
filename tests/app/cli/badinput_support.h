#pragma once
// Shared by the bad-input tests of quelvo-cli: the program's path, small
// recordings made on the spot, a snapshot of a folder (to prove that nothing
// was left behind), the check of a one-line failure, and a log of every case
// for the reliability report ($QUELVO_BADINPUT_TABLE, when set, receives one
// tab-separated line per case: command, input, exit code, message).
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

#include "base/strings.h"
#include "support/test_support.h"

namespace quelvo::test::badinput {

inline fs::path cli() {
    return binDir() / "quelvo-cli";
}

#define QUELVO_REQUIRE_CLI()                                                                       \
    do {                                                                                           \
        if (!std::filesystem::exists(::quelvo::test::badinput::cli()))                             \
            GTEST_SKIP() << "quelvo-cli is not built at " << ::quelvo::test::badinput::cli();      \
    } while (0)

// A path as quelvo-cli's one-line messages show it: line breaks spelled out.
inline std::string shown(std::string_view path) {
    std::string out;
    for (const char c : path) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

// Every entry below a folder: its relative path, and its bytes for a file or
// a mark for anything else. Two equal snapshots mean nothing was added,
// changed or left behind (temporary files included).
using Tree = std::map<std::string, std::string>;
inline Tree snapshot(const fs::path& dir) {
    Tree tree;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        const std::string name = fs::relative(it->path(), dir).string();
        const fs::file_status st = it->symlink_status();
        if (fs::is_regular_file(st))
            tree[name] = readFile(it->path());
        else if (fs::is_directory(st))
            tree[name] = "<folder>";
        else
            tree[name] = "<other>";
    }
    return tree;
}

inline std::string describe(const Tree& tree) {
    std::string out;
    for (const auto& [name, bytes] : tree)
        out += "  " + shown(name) + " (" + std::to_string(bytes.size()) + " bytes)\n";
    return out;
}

// The lines of quelvo-cli's own messages; stage texts are the other lines.
inline std::vector<std::string> messages(const std::string& err) {
    std::vector<std::string> out;
    for (const std::string& line : quelvo::lines(err))
        if (line.rfind("quelvo-cli: ", 0) == 0) out.push_back(line);
    return out;
}

// Appends the case to $QUELVO_BADINPUT_TABLE.
inline void note(const std::string& command, const std::string& input, const CommandResult& r) {
    const char* table = std::getenv("QUELVO_BADINPUT_TABLE");
    if (!table || !*table) return;
    const auto lines = messages(r.err);
    std::ofstream out(table, std::ios::app);
    out << command << '\t' << shown(input) << '\t' << r.exitCode << '\t'
        << (lines.empty() ? std::string("(no message)") : lines.back()) << '\n';
}

// Failed with exitCode and exactly one message line, the last line on
// standard error, which names the input (as shown) and holds `reason` and
// `detail` (a part of the reason that may come later, such as FFmpeg's words).
inline void expectFailure(const CommandResult& r, int exitCode, const std::string& input,
                          const std::string& reason, const std::string& detail = "") {
    SCOPED_TRACE("input: " + shown(input));
    EXPECT_EQ(r.exitCode, exitCode) << r.err;
    const auto lines = messages(r.err);
    ASSERT_EQ(lines.size(), 1u) << r.err;
    const auto all = quelvo::lines(r.err);
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back(), lines[0]) << "the message is not the last line:\n" << r.err;
    EXPECT_NE(lines[0].find(shown(input)), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(reason), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(detail), std::string::npos) << lines[0];
    // Something is said after the input's name.
    const size_t at = lines[0].rfind(shown(input));
    EXPECT_GT(lines[0].size(), at + shown(input).size() + 2) << lines[0];
}

// Succeeded without any message but the optional warning given.
inline void expectSuccess(const CommandResult& r) {
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(messages(r.err).empty()) << r.err;
}

// A few seconds of audio and a subtitle file, made with sox in `dir`:
// talk.wav (a tone between silences: one speech interval) and bed.wav
// (stereo music), talk.srt (three subtitles).
struct Recordings {
    explicit Recordings(const fs::path& dir)
        : talk((dir / "talk.wav").string()), bed((dir / "bed.wav").string()),
          srt((dir / "talk.srt").string()) {
        made =
            sox({"-n", "-r", "44100", "-c", "1", talk, "synth", "1", "sine", "300", "pad", "1",
                 "1"}) &&
            sox({"-n", "-r", "44100", "-c", "2", bed, "synth", "4", "sine", "220", "gain", "-12"});
        fs::copy_file(testDataDir() / "srt" / "basic.srt", srt,
                      fs::copy_options::overwrite_existing);
    }
    static bool sox(std::vector<std::string> args) {
        args.insert(args.begin(), "/usr/bin/sox");
        return runProgram(args).exitCode == 0;
    }
    std::string talk, bed, srt;
    bool made = false;
};

// The first `fraction` of a file, as a copy cut short would be.
inline void writeCut(const fs::path& from, const fs::path& to, double fraction) {
    const std::string bytes = readFile(from);
    writeFile(to,
              bytes.substr(0, static_cast<size_t>(static_cast<double>(bytes.size()) * fraction)));
}

// Bytes that are no audio format at all, the same on every run.
inline std::string noise(size_t n, unsigned seed) {
    std::string bytes(n, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x >> 24);
    }
    return bytes;
}

} // namespace quelvo::test::badinput
