#include "app/guarded_application.h"

#include "app/application_title.h"
#include "app/error_dialog.h"
#include "app/qt_translations.h"
#include "common/event_guard.h"

#include <QStyle>
#include <QStyleFactory>

GuardedApplication::GuardedApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(applicationTitle());
    setFailureReporter(showErrorDialog);
    setApplicationVersion(QStringLiteral(TALEWICK_VERSION));
    QtTranslations::installJapanese(*this);
    // The windows are laid out in classic desktop metrics: captions on the group
    // frames, 20-pixel fields. The user's own style choice still wins.
    if (qEnvironmentVariableIsEmpty("QT_STYLE_OVERRIDE")) {
        if (QStyle *classic = QStyleFactory::create(QStringLiteral("Windows")))
            setStyle(classic);
    }
}

GuardedApplication::~GuardedApplication()
{
    setFailureReporter(nullptr); // the dialog needs the application
}

bool GuardedApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = true;
    runGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
