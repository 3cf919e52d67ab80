// Qt's own texts in Japanese once the program's translations are installed: the
// standard buttons, the file chooser and the text editor's context menu.
#include "app/qt_translations.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

class TestQtTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(QtTranslations::installJapanese(*QCoreApplication::instance())); }

    void standardButtons_speakJapanese_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Cancel") << int(QDialogButtonBox::Cancel) << QStringLiteral("キャンセル");
        QTest::newRow("Open") << int(QDialogButtonBox::Open) << QStringLiteral("開く");
        QTest::newRow("Yes") << int(QDialogButtonBox::Yes) << QStringLiteral("はい(&Y)");
    }
    void standardButtons_speakJapanese()
    {
        QFETCH(int, button);
        QFETCH(QString, expected);
        const QDialogButtonBox box{QDialogButtonBox::StandardButton(button)};
        QCOMPARE(box.button(QDialogButtonBox::StandardButton(button))->text(), expected);
    }

    void fileChooser_labelsItsFieldsInJapanese()
    {
        QFileDialog chooser;
        chooser.setOption(QFileDialog::DontUseNativeDialog);
        QStringList labels;
        for (const QLabel *label : chooser.findChildren<QLabel *>())
            labels.append(label->text());
        QVERIFY2(labels.contains(QStringLiteral("ファイル名(&N):")), qPrintable(labels.join(u'|')));
        QVERIFY2(!labels.contains(QStringLiteral("File &name:")), qPrintable(labels.join(u'|')));
    }

    void editorMenu_speaksJapanese()
    {
        QPlainTextEdit editor(QStringLiteral("台詞"));
        const std::unique_ptr<QMenu> menu(editor.createStandardContextMenu());
        QStringList texts;
        for (const QAction *action : menu->actions())
            texts.append(action->text().section(u'\t', 0, 0)); // the shortcut follows a tab
        QVERIFY2(texts.contains(QStringLiteral("すべてを選択")), qPrintable(texts.join(u'|')));
        QVERIFY2(texts.contains(QStringLiteral("貼り付け(&P)")), qPrintable(texts.join(u'|')));
    }
};

QTEST_MAIN(TestQtTranslations)
#include "test_qt_translations.moc"
