#include "signal_watcher.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace process
{

namespace
{

int s_pipe[2] = {-1, -1};

extern "C" void on_signal(int signal_number)
{
    const int saved_errno = errno;
    const char byte = static_cast<char>(signal_number);
    [[maybe_unused]] const ssize_t written = ::write(s_pipe[1], &byte, 1);
    errno = saved_errno;
}

} // namespace

SignalWatcher::SignalWatcher(std::initializer_list<int> signal_numbers, QObject *parent)
    : QObject(parent)
{
    if (::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::read_pipe);
    struct sigaction action {
    };
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : signal_numbers) {
        if (::sigaction(number, &action, nullptr) == 0)
            m_signals.append(number);
    }
}

SignalWatcher::~SignalWatcher()
{
    for (int number : std::as_const(m_signals))
        ::signal(number, SIG_DFL);
    delete m_notifier;
    for (int &fd : s_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void SignalWatcher::read_pipe()
{
    char byte = 0;
    while (::read(s_pipe[0], &byte, 1) == 1)
        emit caught(static_cast<unsigned char>(byte));
}

} // namespace process
