#include "language_server/standard_streams.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <unistd.h>

namespace Lsp {

namespace {

// Writes all of `bytes`; false when the client is gone.
bool writeAll(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(STDOUT_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

bool inputWaiting()
{
    pollfd input{STDIN_FILENO, POLLIN, 0};
    return ::poll(&input, 1, 0) > 0;
}

} // namespace

int serveStandardStreams(Server::Settings settings)
{
    // A client that goes away mid-message is noticed by write's error, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    bool clientGone = false;
    Server server(std::move(settings), [&](const QByteArray &bytes) {
        if (!clientGone && !writeAll(bytes))
            clientGone = true;
    });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QTimer idle;
    idle.setSingleShot(true);
    idle.setInterval(0);
    // The conversation's flow costs a whole body: it waits until the input pauses.
    QTimer flowPause;
    flowPause.setSingleShot(true);
    flowPause.setInterval(Server::kFlowPauseMs);
    QObject::connect(&flowPause, &QTimer::timeout, [&] {
        if (server.judgeFlow())
            idle.start();
    });
    const auto finishIfDone = [&] {
        if (server.exited() || clientGone) {
            input.setEnabled(false);
            QCoreApplication::exit(clientGone ? 1 : server.exitCode());
            return true;
        }
        return false;
    };
    QObject::connect(&idle, &QTimer::timeout, [&] {
        if (server.idle())
            idle.start();
        finishIfDone();
    });
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        static char buffer[256 * 1024];
        ssize_t got;
        do {
            got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        } while (got < 0 && errno == EINTR);
        if (got <= 0)
            server.endOfInput();
        else
            server.receive(QByteArrayView(buffer, got));
        if (finishIfDone())
            return;
        // Diagnostics wait until the messages that came together are all handled.
        if (!inputWaiting())
            idle.start();
        flowPause.start();
    });
    return QCoreApplication::exec();
}

} // namespace Lsp
