#include "common/code_page.h"
#include "conversation/folder_functions.h"
#include "conversation_test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Conversation;
using namespace ConversationTest;

namespace {

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray script(const QString &text)
{
    return CodePage932::encode(QString(text).replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
}

} // namespace

class FolderFunctionsTest : public QObject
{
    Q_OBJECT

private slots:
    void find_functionInASubfolder_runsThereNamingItsFile()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("quests/helpers.txt"));
        write(path, script(QStringLiteral("// helpers\nfunction\tscript\tGreet\t{\n\tmes \"やあ \" + getarg(0);\n"
                                          "\treturn 5;\n}\n")));
        FolderFunctions neighbours(folder.path(), Commands::Table::builtIn());
        ScriptCheck check;
        load(check, npc(QStringLiteral("\tmes \"\" + callfunc(\"Greet\", \"Ann\");\n\tclose;")));
        const Run run(Source{&check, 0, 0, {}}, QString(),
                      [&neighbours](const QString &name) { return neighbours.find(name); });
        QCOMPARE(pagesOf(run.transcript()), QStringList{QStringLiteral("やあ Ann/5[閉じる]")});
        const std::optional<Source> found = neighbours.find(QStringLiteral("Greet"));
        QVERIFY(found);
        QCOMPARE(found->file, path);
        QCOMPARE(found->lineOffset, 1);
    }

    void find_unreadableOrForeignFiles_passedOverFirstPathWins()
    {
        QTemporaryDir folder;
        write(folder.filePath(QStringLiteral("a.txt")),
              QByteArray("function\tscript\tF\t{\r\n\tmes \"\xFF\xFF\";\r\n}"));
        write(folder.filePath(QStringLiteral("b.txt")),
              script(QStringLiteral("function\tscript\tF\t{\n\treturn 2;\n}")));
        write(folder.filePath(QStringLiteral("c.txt")),
              script(QStringLiteral("function\tscript\tF\t{\n\treturn 3;\n}")));
        write(folder.filePath(QStringLiteral("d.dat")), script(QStringLiteral("function\tscript\tG\t{\n}")));
        FolderFunctions neighbours(folder.path(), Commands::Table::builtIn());
        const std::optional<Source> found = neighbours.find(QStringLiteral("F"));
        QVERIFY(found);
        QCOMPARE(QFileInfo(found->file).fileName(), QStringLiteral("b.txt"));
        QVERIFY(!neighbours.find(QStringLiteral("G")));
        QVERIFY(!FolderFunctions(QString(), Commands::Table::builtIn()).find(QStringLiteral("F")));
    }
};

QTEST_GUILESS_MAIN(FolderFunctionsTest)
#include "test_folder_functions.moc"
