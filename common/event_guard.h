#pragma once

#include <QString>

#include <functional>

// Runs one event handler. A failure raised inside it ends the handler there,
// whatever it did before stays done, and the failure reporter shows the message.
// Returns false when the handler failed.
bool runGuarded(const std::function<void()> &handler);

// Who shows a failure's message to the user. The application installs its error
// dialog; until then, and after, messages go to standard error.
void setFailureReporter(std::function<void(const QString &message)> reporter);
