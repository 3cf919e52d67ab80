#include "main_window/tform1.h"

#include "about_box/taboutbox.h"
#include "app/event_guard.h"
#include "main_window/drop_down_typing.h"
#include "main_window/label_hint.h"
#include "main_window/line_model.h"
#include "main_window/value_history.h"
#include "main_window/window_fonts.h"
#include "ui_tform1.h"

#include <QMouseEvent>

namespace {

// The layout's client area below the menu bar; the controls keep their margins in it.
constexpr int kClientWidth = 711;
constexpr int kClientHeight = 433;
constexpr QPoint kWindowPlace(241, 159);

struct FontSize
{
    const char *control;
    int pixels;
};
// Controls whose text is not at the window's 12 pixels; a group's children share its size.
constexpr FontSize kFontSizes[] = {
    {"Memo1", 16},  {"Memo2", 11},  {"Label1", 13}, {"Label2", 13}, {"Label3", 13},
    {"Label4", 13}, {"Label5", 13}, {"Label6", 13}, {"Label7", 13}, {"Label8", 13},
    {"Label9", 13}, {"GroupBox13", 13},
};

bool isLeftClickInside(QWidget *widget, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    return mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint());
}

} // namespace

TForm1::TForm1(QWidget *parent) : QMainWindow(parent), ui(new Ui::TForm1), buffer_(nullptr)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("Form1"));
    buffer_ = ScriptBuffer(ui->Memo1);
    applyFonts();
    setUpDropDowns();
    useShortHint(ui->Label6);
    connectHandlers();

    move(kWindowPlace);
    const int menuHeight = menuBar()->heightForWidth(kClientWidth);
    resize(kClientWidth, kClientHeight + (menuHeight > 0 ? menuHeight : menuBar()->sizeHint().height()));
    ui->Memo1->setFocus();

    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::applyFonts()
{
    setFont(japaneseUiFont(12));
    for (const FontSize &size : kFontSizes)
        findChild<QWidget *>(QLatin1String(size.control))->setFont(japaneseUiFont(size.pixels));
    // Labels size themselves to their text in whatever face the desktop gave us.
    for (QLabel *label : ui->centralwidget->findChildren<QLabel *>())
        label->adjustSize();
}

void TForm1::setUpDropDowns()
{
    for (QComboBox *box : ui->centralwidget->findChildren<QComboBox *>()) {
        if (box->isEditable())
            enableInlineCompletion(box);
        else
            enableTypeToSelect(box);
    }
}

void TForm1::onClick(QAbstractButton *button, void (TForm1::*handler)())
{
    connect(button, &QAbstractButton::clicked, this, [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); });
}

void TForm1::onTrigger(QAction *action, void (TForm1::*handler)())
{
    connect(action, &QAction::triggered, this, [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); });
}

void TForm1::connectHandlers()
{
    onClick(ui->Button1, &TForm1::Button1Click);
    onClick(ui->Button20, &TForm1::Button20Click);
    onClick(ui->Button21, &TForm1::Button21Click);
    onClick(ui->Button2, &TForm1::Button2Click);
    onClick(ui->Button19, &TForm1::Button19Click);
    onClick(ui->Button3, &TForm1::Button3Click);
    onClick(ui->Button4, &TForm1::Button4Click);
    onClick(ui->Button6, &TForm1::Button6Click);
    onClick(ui->Button7, &TForm1::Button7Click);
    onClick(ui->Button8, &TForm1::Button8Click);
    onClick(ui->Button9, &TForm1::Button9Click);
    onClick(ui->Button10, &TForm1::Button10Click);
    onClick(ui->Button5, &TForm1::Button5Click);
    onClick(ui->Button15, &TForm1::Button15Click);
    onClick(ui->Button16, &TForm1::Button16Click);
    onClick(ui->Button11, &TForm1::Button11Click);
    onClick(ui->Button12, &TForm1::Button12Click);
    onClick(ui->Button13, &TForm1::Button13Click);
    onClick(ui->Button14, &TForm1::Button14Click);
    onClick(ui->Button17, &TForm1::Button17Click);
    onClick(ui->Button18, &TForm1::Button18Click);
    onClick(ui->Button22, &TForm1::Button22Click);

    onTrigger(ui->N1, &TForm1::N1Click);
    onTrigger(ui->Save1, &TForm1::Save1Click);
    onTrigger(ui->Exit1, &TForm1::Exit1Click);
    onTrigger(ui->About1, &TForm1::About1Click);

    for (QGroupBox *group : {ui->GroupBox1, ui->GroupBox2, ui->GroupBox3, ui->GroupBox4, ui->GroupBox5, ui->GroupBox8,
                             ui->GroupBox12}) {
        group->setMouseTracking(true);
        group->installEventFilter(this);
    }
    ui->Label6->installEventFilter(this);
    ui->Edit6->installEventFilter(this);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    void (TForm1::*handler)() = nullptr;
    if (event->type() == QEvent::MouseMove) {
        if (watched == ui->GroupBox1)
            handler = &TForm1::GroupBox1MouseMove;
        else if (watched == ui->GroupBox2)
            handler = &TForm1::GroupBox2MouseMove;
        else if (watched == ui->GroupBox3)
            handler = &TForm1::GroupBox3MouseMove;
        else if (watched == ui->GroupBox4)
            handler = &TForm1::GroupBox4MouseMove;
        else if (watched == ui->GroupBox5)
            handler = &TForm1::GroupBox5MouseMove;
        else if (watched == ui->GroupBox8)
            handler = &TForm1::GroupBox8MouseMove;
        else if (watched == ui->GroupBox12)
            handler = &TForm1::GroupBox12MouseMove;
    } else if (watched == ui->Label6) {
        if (event->type() == QEvent::Enter)
            handler = &TForm1::Label6MouseEnter;
        else if (isLeftClickInside(ui->Label6, event))
            handler = &TForm1::Label6Click;
    } else if (watched == ui->Edit6 && isLeftClickInside(ui->Edit6, event)) {
        handler = &TForm1::Edit6Click;
    }
    if (handler)
        runGuarded([this, handler] { (this->*handler)(); });
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::FormCreate()
{
    buffer_.Clear();
    ui->Memo2->clear();
    ui->Memo2->setPlainText(QStringLiteral("ヘルプ表示予定(永遠未完成(ﾏﾃ"));
    LineModel::appendLine(*ui->Memo2->document(), QStringLiteral("ただ今一部簡易表示中"));
}

void TForm1::Button1Click() {}
void TForm1::Button20Click() {}
void TForm1::Button21Click() {}
void TForm1::Button2Click() {}
void TForm1::Button19Click() {}
void TForm1::Button3Click() {}
void TForm1::Button4Click() {}
void TForm1::Button6Click() {}
void TForm1::Button7Click() {}
void TForm1::Button8Click() {}
void TForm1::Button9Click() {}
void TForm1::Button10Click() {}
void TForm1::Button5Click() {}
void TForm1::Button15Click() {}
void TForm1::Button16Click() {}
void TForm1::Button11Click() {}
void TForm1::Button12Click() {}
void TForm1::Button13Click() {}
void TForm1::Button14Click() {}
void TForm1::Button17Click() {}
void TForm1::Button18Click() {}
void TForm1::Button22Click() {}
void TForm1::Edit6Click() {}
void TForm1::N1Click() {}
void TForm1::Save1Click() {}

void TForm1::Exit1Click()
{
    close();
}

void TForm1::GroupBox1MouseMove() {}
void TForm1::GroupBox2MouseMove() {}
void TForm1::GroupBox3MouseMove() {}
void TForm1::GroupBox4MouseMove() {}
void TForm1::GroupBox5MouseMove() {}
void TForm1::GroupBox8MouseMove() {}
void TForm1::GroupBox12MouseMove() {}
void TForm1::Label6MouseEnter() {}
void TForm1::Label6Click() {}

void TForm1::About1Click()
{
    if (AboutBox)
        AboutBox->showFromMenu();
}
