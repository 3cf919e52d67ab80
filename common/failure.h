#pragma once

#include <QString>

#include <exception>

// The one failure a handler raises: its message is what the error dialog shows.
// Handlers never catch it; the event guard does.
class Failure : public std::exception
{
public:
    explicit Failure(QString message) : message_(std::move(message)) {}

    const QString &message() const noexcept { return message_; }
    const char *what() const noexcept override { return "Talewick failure"; }

private:
    QString message_;
};
