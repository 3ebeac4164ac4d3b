// Every signal that ends the process puts the terminal back and lets go of
// the port first; Ctrl-Z hands the terminal to the shell. The handlers only
// choose between settings prepared beforehand.
#include <signal.h>

#include <cerrno>

#include "platform/posix/console.h"
#include "platform/posix/serial_state.h"

namespace platform::posix {

namespace {

// The signals whose default action ends the process (SIGKILL cannot be
// caught). Real-time signals are added below.
constexpr int ENDING_SIGNALS[] = {
    SIGHUP, SIGINT, SIGQUIT, SIGILL, SIGTRAP, SIGABRT, SIGBUS, SIGFPE, SIGUSR1, SIGSEGV, SIGUSR2, SIGPIPE,
    SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO, SIGSYS,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};

void restore_and_end(int signal_number) {
    const int saved = errno;
    restore_console();
    release_port();
    errno = saved;
    // The handler was reset on entry: the signal, raised again, ends the
    // process as it would have, once the handler returns.
    raise(signal_number);
}

void install(int signal_number, void (*handler)(int), int flags) {
    struct sigaction old{};
    sigaction(signal_number, nullptr, &old);
    if (old.sa_handler == SIG_IGN) return;  // as under nohup: stays ignored
    struct sigaction act{};
    act.sa_handler = handler;
    act.sa_flags = flags;
    sigemptyset(&act.sa_mask);
    sigaction(signal_number, &act, nullptr);
}

// Ctrl-Z: the terminal goes back to the shell, and the stop itself is left
// to the kernel's default, which discards it when nothing could continue
// us (an orphaned process group: no job-control shell). Either way we come
// back here and take key-by-key mode up again.
void stop_for_shell(int) {
    const int saved = errno;
    restore_console();
    signal(SIGTSTP, SIG_DFL);
    sigset_t tstp;
    sigemptyset(&tstp);
    sigaddset(&tstp, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &tstp, nullptr);
    raise(SIGTSTP);
    install(SIGTSTP, stop_for_shell, SA_RESTART);
    reapply_console();
    errno = saved;
}

void go_on(int) {
    const int saved = errno;
    reapply_console();
    errno = saved;
}

}  // namespace

void catch_signals() {
    for (int s : ENDING_SIGNALS) install(s, restore_and_end, SA_RESETHAND);
    for (int s = SIGRTMIN; s <= SIGRTMAX; ++s) install(s, restore_and_end, SA_RESETHAND);
    install(SIGTSTP, stop_for_shell, SA_RESTART);
    install(SIGCONT, go_on, SA_RESTART);
}

}  // namespace platform::posix
