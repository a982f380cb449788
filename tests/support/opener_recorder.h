#pragma once
// A stand-in for Final Cut Pro's opener: $QUELVO_FCP_OPENER points at a small
// script that records every call (its arguments, and when), and
// $XDG_CACHE_HOME at a fresh folder, so a test sees exactly which documents
// were handed over. Header-only: the movie and the writer tests share it.
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "base/numbers.h"
#include "base/strings.h"
#include "test_support.h"

namespace quelvo::test {

class OpenerRecorder {
  public:
    // exitCode is what the opener answers (0: opened).
    explicit OpenerRecorder(int exitCode = 0)
        : m_dir(m_tmp.path()), m_oldOpener(getEnv("QUELVO_FCP_OPENER")),
          m_oldCache(getEnv("XDG_CACHE_HOME")) {
        fs::create_directories(cacheHome());
        const std::string calls = (m_dir / "calls.txt").string();
        const std::string times = (m_dir / "times.txt").string();
        writeFile(script(), "#!/bin/sh\n"
                            "date +%s.%N >> '" +
                                times +
                                "'\n"
                                "( IFS='|'; printf '%s\\n' \"$*\" ) >> '" +
                                calls +
                                "'\n"
                                "exit " +
                                std::to_string(exitCode) + "\n");
        fs::permissions(script(), fs::perms::owner_all);
        setenv("QUELVO_FCP_OPENER", script().c_str(), 1);
        setenv("XDG_CACHE_HOME", cacheHome().c_str(), 1);
    }
    ~OpenerRecorder() {
        restoreEnv("QUELVO_FCP_OPENER", m_oldOpener);
        restoreEnv("XDG_CACHE_HOME", m_oldCache);
    }
    OpenerRecorder(const OpenerRecorder&) = delete;
    OpenerRecorder& operator=(const OpenerRecorder&) = delete;

    fs::path cacheHome() const { return m_dir / "cache"; }
    fs::path handoffDir() const { return cacheHome() / "Quelvo" / "handoff"; }
    fs::path script() const { return m_dir / "opener.sh"; }

    // Every call of the opener: its arguments joined by '|'.
    std::vector<std::string> calls() const { return quelvo::lines(readFile(m_dir / "calls.txt")); }

    // When each call happened, seconds since the epoch.
    std::vector<double> callTimes() const {
        std::vector<double> out;
        for (const auto& line : quelvo::lines(readFile(m_dir / "times.txt")))
            out.push_back(quelvo::toDouble(line).value_or(0));
        return out;
    }

    // The files in the hand-over folder, sorted.
    std::vector<fs::path> handoffFiles() const {
        std::vector<fs::path> out;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(handoffDir(), ec))
            out.push_back(entry.path());
        std::sort(out.begin(), out.end());
        return out;
    }

  private:
    static std::optional<std::string> getEnv(const char* name) {
        const char* v = std::getenv(name);
        return v ? std::optional<std::string>(v) : std::nullopt;
    }
    static void restoreEnv(const char* name, const std::optional<std::string>& value) {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }

    TempDir m_tmp;
    fs::path m_dir;
    std::optional<std::string> m_oldOpener;
    std::optional<std::string> m_oldCache;
};

} // namespace quelvo::test
