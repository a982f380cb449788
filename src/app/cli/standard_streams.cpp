#include "app/cli/standard_streams.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <unistd.h>

#include "app/cli/commands.h"

namespace quelvo::cli {

namespace {
bool g_stdoutWasClosed = false;
}

void prepareStandardStreams() {
    std::signal(SIGPIPE, SIG_IGN);
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open() takes the lowest free descriptor: this one.
        ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (fd == STDOUT_FILENO) g_stdoutWasClosed = true;
    }
}

int finishStandardOutput(int exitCode) {
    // The stream's last buffer goes out here: its failure says why.
    errno = 0;
    std::cout.flush();
    const int flushError = errno;
    bool failed = !std::cout || std::fflush(stdout) != 0 || std::ferror(stdout);
    int reason = failed ? (flushError ? flushError : errno) : 0;
    if (::close(STDOUT_FILENO) != 0 && !failed && errno != EBADF) {
        failed = true;
        reason = errno;
    }
    if (g_stdoutWasClosed) {
        failed = true;
        reason = EBADF;
    }
    // A command that failed has said why already, in its one line.
    if (!failed || exitCode != 0) return exitCode;
    printError(std::string("cannot write to standard output: ") +
               (reason ? std::strerror(reason) : "it was closed early or is full"));
    return 1;
}

StdoutToStderr::StdoutToStderr() {
    std::cout.flush();
    std::fflush(stdout);
    m_saved = ::dup(STDOUT_FILENO);
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
}

StdoutToStderr::~StdoutToStderr() {
    std::cout.flush();
    std::fflush(stdout);
    if (m_saved >= 0) {
        ::dup2(m_saved, STDOUT_FILENO);
        ::close(m_saved);
    }
}

void StderrStatus::setStatus(const std::string& text) {
    std::cerr << text << std::endl;
}

} // namespace quelvo::cli
