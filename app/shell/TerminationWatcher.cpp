#include "shell/TerminationWatcher.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int wakeFds[2] = {-1, -1};

void onSigterm(int)
{
    // Only async-signal-safe work here: one byte for the event loop.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFds[0], &byte, 1);
}
}

void TerminationWatcher::catchSigterm()
{
    if (wakeFds[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakeFds) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = onSigterm;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
}

TerminationWatcher::TerminationWatcher(QObject* parent) : QObject(parent)
{
    catchSigterm();
    if (wakeFds[1] < 0)
        return;
    notifier_ = new QSocketNotifier(wakeFds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(wakeFds[1], &byte, 1);
        Q_EMIT terminationRequested();
    });
}

TerminationWatcher::~TerminationWatcher()
{
    ::signal(SIGTERM, SIG_DFL);
}
