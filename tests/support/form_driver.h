#pragma once

#include "main_window/tform1.h"
#include "support/typing.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Fills the main window's fields and presses its buttons the way a user does:
// the page that holds a control is shown first, keys go to the focused widget.
class FormDriver
{
protected:
    void openForm()
    {
        form = new TForm1;
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form));
        memo = form->findChild<QPlainTextEdit *>("Memo1");
    }
    void closeForm() { delete form; }

    // A fresh working folder holding `folders` ("npc", "help"), made current as the
    // program's own folder is when it starts; leaveScratchFolder() goes back.
    void enterScratchFolder(const QStringList &folders)
    {
        scratch = std::make_unique<QTemporaryDir>();
        QVERIFY(scratch->isValid());
        for (const QString &folder : folders)
            QVERIFY(QDir(scratch->path()).mkdir(folder));
        QVERIFY(QDir::setCurrent(scratch->path()));
    }
    void leaveScratchFolder()
    {
        QDir::setCurrent(startFolder);
        scratch.reset();
    }

    // The group "NPC情報入力", in the order a user fills it.
    void headerFields(const QString &map, const QString &x, const QString &y, int facing, const QString &name,
                      const QString &picture)
    {
        type("ComboBox8", map);
        type("Edit1", x);
        type("Edit2", y);
        pick("ComboBox1", facing);
        type("Edit4", name);
        type("Edit3", picture);
    }

    QComboBox *box(const char *name) { return form->findChild<QComboBox *>(name); }
    QLineEdit *line(const char *name) { return form->findChild<QLineEdit *>(name); }

    // The text as the saved file holds it: CR LF between lines.
    QString fileText() const { return memo->toPlainText().replace("\n", "\r\n"); }

    void showPageOf(QWidget *widget)
    {
        auto *tabs = form->findChild<QTabWidget *>("PageControl1");
        for (int page = 0; page < tabs->count(); ++page) {
            if (tabs->widget(page)->isAncestorOf(widget))
                tabs->setCurrentIndex(page);
        }
    }

    void type(const char *field, const QString &text)
    {
        QWidget *widget = form->findChild<QWidget *>(field);
        QVERIFY2(widget, field);
        showPageOf(widget);
        QLineEdit *edit = qobject_cast<QComboBox *>(widget) ? static_cast<QComboBox *>(widget)->lineEdit()
                                                            : static_cast<QLineEdit *>(widget);
        // Keys go where the toolkit sends them: to the focused box or field.
        widget->setFocus();
        edit->selectAll();
        QTest::keyClick(widget, Qt::Key_Backspace);
        typeText(widget, text);
        QCOMPARE(edit->text(), text);
    }

    void pick(const char *list, int index)
    {
        QComboBox *widget = box(list);
        showPageOf(widget);
        widget->setCurrentIndex(index);
    }

    void press(const QString &button)
    {
        auto *widget = form->findChild<QPushButton *>(button);
        QVERIFY2(widget, qPrintable(button));
        showPageOf(widget);
        QVERIFY(widget->isVisible() && widget->isEnabled());
        QTest::mouseClick(widget, Qt::LeftButton);
    }

    TForm1 *form = nullptr;
    QPlainTextEdit *memo = nullptr;
    const QString startFolder = QDir::currentPath();
    std::unique_ptr<QTemporaryDir> scratch;
};
