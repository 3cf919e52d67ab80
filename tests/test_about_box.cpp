// The About box and its picture.
#include "about_box/jpeg_picture.h"
#include "about_box/taboutbox.h"
#include "main_window/tform1.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

class AboutBoxTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        form = new TForm1;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        box = new TAboutBox;
        AboutBox = box;
    }
    void cleanup()
    {
        AboutBox = nullptr;
        delete box;
        delete form;
    }

    void picture_decodedFullSize_drawnStretched()
    {
        QFile file(":/talewick/about.jpg");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QImage picture = decodeJpeg(file.readAll());
        QCOMPARE(picture.size(), QSize(288, 352));
        choose("About1");
        const QPixmap shown = box->findChild<QLabel *>("ProgramIcon")->pixmap();
        QCOMPARE(shown.size(), QSize(57, 73));
        QCOMPARE(box->findChild<QLabel *>("ProgramIcon")->geometry(), QRect(8, 8, 57, 73));
    }

    void picture_corruptData_givesNoImage_data()
    {
        QFile file(":/talewick/about.jpg");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray good = file.readAll();
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a picture") << QByteArray("just some text, not a JPEG at all");
        QTest::newRow("header only") << good.left(200);
        QTest::newRow("marker soup") << QByteArray(4096, '\xff');
        QByteArray wrongSize = good;
        const int frame = int(wrongSize.indexOf("\xff\xc0"));
        wrongSize[frame + 5] = '\0'; // height 0
        wrongSize[frame + 6] = '\0';
        QTest::newRow("zero height") << wrongSize;
    }
    void picture_corruptData_givesNoImage()
    {
        QFETCH(QByteArray, data);
        QVERIFY(decodeJpeg(data).isNull());
    }

    void picture_truncatedBody_decodesWithoutCrash()
    {
        QFile file(":/talewick/about.jpg");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QImage partial = decodeJpeg(file.readAll().left(3000));
        QVERIFY(partial.isNull() || partial.size() == QSize(288, 352));
    }

    void window_asOpened_hasFixedSizeTitleAndPlaces()
    {
        QCOMPARE(box->windowTitle(), QString("バージョン情報"));
        QCOMPARE(box->size(), QSize(298, 171));
        QCOMPARE(box->minimumSize(), box->maximumSize());
        QCOMPARE(box->findChild<QLabel *>("ProductName")->text(), QString("Talewick"));
        QCOMPARE(box->findChild<QLabel *>("Version")->text(), QString("0.00 実験バージョン"));
        QCOMPARE(box->findChild<QLabel *>("Comments")->text(), QString("コメント:普通に書いた方が楽ですね（爆"));
        QVERIFY(!box->findChild<QLabel *>("Copyright")->text().isEmpty());
        auto *ok = box->findChild<QPushButton *>("OKButton");
        QCOMPARE(ok->geometry(), QRect(111, 140, 75, 25));
        QVERIFY(ok->isDefault());
        QVERIFY(!(box->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!box->testAttribute(Qt::WA_QuitOnClose));
        QCOMPARE(box->parentWidget(), nullptr);
    }

    void showing_centredFirstTime_thenWhereLeft()
    {
        choose("About1");
        QVERIFY(QTest::qWaitForWindowExposed(box));
        const QRect screen = box->screen()->geometry();
        const QSize outer = box->frameGeometry().size();
        QCOMPARE(box->frameGeometry().topLeft(),
                 QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2));
        box->move(10, 20);
        QTest::mouseClick(box->findChild<QPushButton *>("OKButton"), Qt::LeftButton);
        QTRY_VERIFY(!box->isVisible());
        choose("About1");
        QTRY_VERIFY(box->isVisible());
        QCOMPARE(box->pos(), QPoint(10, 20));
    }

    void keys_escapeDoesNothing_enterHides()
    {
        choose("About1");
        QVERIFY(QTest::qWaitForWindowActive(box));
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(box->isVisible());
        QTest::keyClick(box, Qt::Key_Return);
        QTRY_VERIFY(!box->isVisible());
        QVERIFY(form->isVisible());
    }

    void showingTwice_oneBox_mainWindowStaysUsable()
    {
        choose("About1");
        choose("About1");
        int shown = 0;
        for (QWidget *window : QApplication::topLevelWidgets())
            shown += qobject_cast<TAboutBox *>(window) && window->isVisible();
        QCOMPARE(shown, 1);
        QVERIFY(!box->isModal());
        QVERIFY(form->isEnabled());
        box->close();
        QVERIFY(!box->isVisible());
        QVERIFY(form->isVisible());
    }

private:
    void choose(const char *item) { form->findChild<QAction *>(item)->trigger(); }

    TForm1 *form = nullptr;
    TAboutBox *box = nullptr;
};

QTEST_MAIN(AboutBoxTest)
#include "test_about_box.moc"
