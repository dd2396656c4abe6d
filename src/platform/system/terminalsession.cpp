#include "platform/system/terminalsession.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <iterator>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kavrin {

namespace {

volatile sig_atomic_t programPid = 0;

constexpr int kForwarded[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};

void forward(int sig) {
    const int saved = errno;
    if (programPid > 0) ::kill(pid_t(programPid), sig);
    errno = saved;
}

[[noreturn]] void stayInTerminal(pid_t program, const bool ignored[]) {
    programPid = program;
    struct sigaction action {};
    action.sa_handler = forward;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kForwarded); ++i)
        if (!ignored[i]) ::sigaction(kForwarded[i], &action, nullptr);
    // Once the terminal is gone, what the program still writes to it must not end this process
    // before the program's status is known.
    ::signal(SIGPIPE, SIG_IGN);
    // Ctrl+Z would stop only this process; the program's windows go on either way.
    int status = 0;
    while (::waitpid(program, &status, 0) < 0) {
        if (errno != EINTR) ::_exit(1);
    }
    if (WIFEXITED(status)) ::_exit(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) {
        // End the same way, so that the shell reports what ended the program.
        const int sig = WTERMSIG(status);
        ::signal(sig, SIG_DFL);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, sig);
        ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
        ::raise(sig);
        ::_exit(128 + sig);
    }
    ::_exit(1);
}

}  // namespace

void leaveTerminalSession(bool hasTerminal) {
    if (!hasTerminal) return;
    bool ignored[std::size(kForwarded)] = {};
    for (size_t i = 0; i < std::size(kForwarded); ++i) {
        struct sigaction current {};
        ignored[i] = ::sigaction(kForwarded[i], nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
    }
    std::fflush(nullptr);
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) return;  // one process, as before
    if (child > 0) stayInTerminal(child, ignored);
    ::setsid();
    // Should the process in the terminal be killed outright, the program still closes politely
    // instead of running on with no way to be told to stop.
    ::prctl(PR_SET_PDEATHSIG, SIGHUP);
    if (::getppid() != parent) ::raise(SIGHUP);
}

void leaveTerminalSession() {
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) return;
    ::close(tty);
    leaveTerminalSession(true);
}

}  // namespace kavrin
