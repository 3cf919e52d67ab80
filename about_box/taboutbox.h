#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TAboutBox;
}

// The About box: name, version, rights, a comment and a picture. It lives from
// start-up to the end, hidden until Help > バージョン情報 shows it; OK hides it.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);
    ~TAboutBox() override;

    // Shows the box without waiting, centred on the screen the first time only,
    // and brings it to the front.
    void showFromMenu();

public slots:
    void OKButtonClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void showPicture();
    QPoint centredOnScreen(QSize outer) const;

    std::unique_ptr<Ui::TAboutBox> ui;
    bool placed_ = false;
    bool centring_ = false;
    QPoint requested_;
};

// The one About box, created hidden at start-up; the main window reaches it here.
extern TAboutBox *AboutBox;
