// The floor: a bare main window of Talewick's size with the same menu bar.
#include "startup_report.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QMainWindow window;
    QMenu *file = window.menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("新規"));
    file->addAction(QStringLiteral("保存"));
    file->addAction(QStringLiteral("終了"));
    QMenu *mode = window.menuBar()->addMenu(QStringLiteral("&Mode"));
    mode->addAction(QStringLiteral("Nomal"));
    mode->addAction(QStringLiteral("Shop"));
    mode->setEnabled(false);
    window.menuBar()->addMenu(QStringLiteral("&Help"))->addAction(QStringLiteral("バージョン情報"));
    window.move(241, 159);
    window.resize(711, 433 + window.menuBar()->heightForWidth(711));
    window.show();
    return reportExposed(&window);
}
