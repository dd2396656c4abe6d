#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/system/terminalsession.h"

namespace {

int reportFd = -1;
volatile pid_t shellJob = 0;
volatile sig_atomic_t hungUp = 0;

void tell(char c) {
    [[maybe_unused]] const ssize_t n = ::write(reportFd, &c, 1);
}

void onHangUp(int) {
    hungUp = 1;
    tell('H');
}

// The program proper: it takes a hang-up as a request to close, and has a helper process.
[[noreturn]] void runTheProgram() {
    // Started before the program watches for hang-ups, as the engine's helpers are: a hang-up
    // ends it.
    const pid_t helper = ::fork();
    if (helper == 0) {
        for (;;) ::pause();
    }
    struct sigaction action {};
    action.sa_handler = onHangUp;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGHUP, &action, nullptr);
    tell('R');
    for (int i = 0; i < 100 && !hungUp; ++i) ::usleep(100000);
    // A helper that was sent the hang-up too may take a moment to end.
    int status = 0;
    bool alive = true;
    for (int i = 0; i < 30 && alive; ++i) {
        alive = ::waitpid(helper, &status, WNOHANG) == 0;
        if (alive) ::usleep(100000);
    }
    tell(alive ? 'A' : 'D');
    ::kill(helper, SIGKILL);
    ::waitpid(helper, &status, 0);
    tell('.');
    ::_exit(0);
}

// Reads what the program side reports until `last` comes or `seconds` pass.
std::string readReport(int fd, int seconds, char last) {
    std::string out;
    for (int waited = 0; waited < seconds * 10;) {
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, 100);
        if (ready == 0) {
            ++waited;
            continue;
        }
        char buffer[16];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        out.append(buffer, size_t(n));
        if (out.find(last) != std::string::npos) break;
    }
    return out;
}

// A terminal session as a shell makes it: a session leader with the terminal as its controlling
// one starts the program as a job of its own, and the program starts a helper process (as the
// web engine does).
// Then the terminal is closed. Reports: R ready, H the program was told of the hang-up, A or D
// whether its helper was alive after it, "." the end.
std::string closeTheTerminal(bool leaveSession, int* exitStatus) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return "no terminal";
    const std::string slaveName = ::ptsname(master);
    int report[2];
    if (::pipe(report) != 0) return "no pipe";

    const pid_t shell = ::fork();
    if (shell == 0) {
        ::close(report[0]);
        ::close(master);
        reportFd = report[1];
        ::setsid();
        const int slave = ::open(slaveName.c_str(), O_RDWR);
        if (slave < 0 || ::ioctl(slave, TIOCSCTTY, 0) != 0) ::_exit(3);
        // As a shell does when its terminal goes: the hang-up is passed to each job's group.
        struct sigaction action {};
        action.sa_handler = [](int) {
            if (shellJob > 0) ::kill(-shellJob, SIGHUP);
        };
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGHUP, &action, nullptr);
        int go[2];
        if (::pipe(go) != 0) ::_exit(4);
        const pid_t job = ::fork();
        if (job == 0) {
            ::close(go[1]);
            char byte;
            if (::read(go[0], &byte, 1) != 1) ::_exit(5);  // until the job is in the foreground
            signal(SIGHUP, SIG_DFL);
            kavrin::leaveTerminalSession(leaveSession);
            runTheProgram();
        }
        ::setpgid(job, job);
        ::tcsetpgrp(slave, job);
        shellJob = job;
        [[maybe_unused]] const ssize_t n = ::write(go[1], "g", 1);
        int status = 0;
        while (::waitpid(job, &status, 0) < 0 && errno == EINTR) {
        }
        ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status));
    }
    ::close(report[1]);
    std::string out = readReport(report[0], 10, 'R');
    ::close(master);  // the terminal goes
    out += readReport(report[0], 10, '.');
    ::close(report[0]);
    // A shell passes the hang-up on, and its own end hangs up the job's group once more: a
    // repeat is one request to the program, which is already closing.
    const size_t first = out.find('H');
    if (first != std::string::npos)
        out.erase(std::remove(out.begin() + ptrdiff_t(first) + 1, out.end(), 'H'), out.end());
    int status = 0;
    ::waitpid(shell, &status, 0);
    *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    return out;
}

}  // namespace

TEST(TerminalSessionTest, ClosingTheTerminalReachesTheProgramAloneAndSparesItsHelpers) {
    int status = -1;
    // Without its own session the helper dies with the terminal: what the program would need to
    // answer the save question is gone.
    EXPECT_EQ(closeTheTerminal(false, &status), "RHD.");
    // In its own session the program is told, its helper lives on, and the process that
    // stayed in the terminal ends with the program's status.
    EXPECT_EQ(closeTheTerminal(true, &status), "RHA.");
    EXPECT_EQ(status, 0);
}
