#pragma once

#include <functional>

// Runs one event handler. A failure raised inside it ends the handler there,
// whatever it did before stays done, and the error dialog shows the message.
// Returns false when the handler failed.
bool runGuarded(const std::function<void()> &handler);
