#pragma once

#include <QApplication>

// The application whose dispatch of every event runs inside the event guard, so
// that a failure escaping any handler is reported and the loop goes on. While it
// lives, failures are shown in the error dialog.
class GuardedApplication : public QApplication
{
    Q_OBJECT

public:
    GuardedApplication(int &argc, char **argv);
    ~GuardedApplication() override;

    bool notify(QObject *receiver, QEvent *event) override;
};
