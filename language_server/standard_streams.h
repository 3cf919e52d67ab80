#pragma once

#include "language_server/server.h"

namespace Lsp {

// Runs the server on standard input and output until the client says exit or
// the input ends; returns the exit code. Needs a QCoreApplication.
int serveStandardStreams(Server::Settings settings);

} // namespace Lsp
