// The main window's controls, menus and timers, and how events reach their
// handlers. Sizes are pixels at 96 dots per inch.
#include "form1.h"

#include "platform/fixed_window.h"
#include "platform/resources.h"
#include "shell/about_dialogs.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>

namespace {

constexpr int kClientWidth = 314;
constexpr int kClientHeight = 353;

} // namespace

Form1::Form1(plat::Services &services, QWidget *parent) : QMainWindow(parent), svc(services) {
    create_controls();
    create_menus();
    create_timers();
}

Form1::~Form1() = default;

void Form1::create_controls() {
    setWindowTitle(QStringLiteral("Clockwell - beat the clock"));
    setWindowIcon(plat::loadIconSet());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    client = new QWidget(this);
    client->setFixedSize(kClientWidth, kClientHeight);
    client->setFocusPolicy(Qt::StrongFocus);
    setCentralWidget(client);
    // A fixed border: the window keeps the size of its client area and menu bar.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    plat::centreWhenMaximized(this);

    Picture1 = new plat::PictureBox(client, focus);
    Picture1->setOuterGeometry(16, 1, 160, 336);
    Picture1->setBackColor(plat::rgb(0, 0, 0));
    focus.setFallback(Picture1);

    Picture2 = new plat::PictureBox(Picture1, focus);
    Picture2->setOuterGeometry(32, 192, 89, 41);
    Picture2->setBackColor(plat::rgb(0, 192, 192));
    Picture2->setFont(QStringLiteral("MS Sans Serif"), 12, true);
    Picture2->setShown(false);

    Next_fig_win = new plat::PictureBox(client, focus, 2);
    Next_fig_win->setOuterGeometry(202, 251, 86, 86);
    // The preview is blanked with the button face, so it is its own background too.
    Next_fig_win->setBackColor(plat::buttonFaceColor());

    const QString sans = QStringLiteral("MS Sans Serif");
    const auto title = [&](int x, int y, int w, int h) {
        return new plat::Label(client, QRect(x, y, w, h), Qt::AlignHCenter | Qt::AlignTop, sans, 9.75, true, false);
    };
    const auto value = [&](int x, int y) {
        return new plat::Label(client, QRect(x, y, 52, 22), Qt::AlignRight | Qt::AlignVCenter, sans, 12, true, true);
    };
    Label_Lev = title(191, 75, 84, 30);
    Label_lines = title(188, 124, 52, 16);
    Label_Bon = title(252, 124, 52, 16);
    Label_ln_num = value(188, 145);
    Label_Bon_Num = value(252, 144);
    Label_SCORE = title(188, 172, 52, 16);
    Label_Time = title(252, 172, 52, 16);
    Label_Score_Num = value(188, 192);
    Label_Time_Num = value(252, 192);
    Label_Next = title(198, 231, 96, 16);

    knopstart = new plat::ImageArray(client, QPoint(206, 0));
    knoppause = new plat::ImageArray(client, QPoint(262, 0));
    knopsound = new plat::ImageArray(client, QPoint(206, 37));
    knopnext = new plat::ImageArray(client, QPoint(262, 37));
    knopup = new plat::ImageArray(client, QPoint(279, 72));
    knopdown = new plat::ImageArray(client, QPoint(279, 90));

    Picture1->onKeyDown = [this](int k, int s) { Picture1_KeyDown(static_cast<Integer>(k), static_cast<Integer>(s)); };
    Picture2->onKeyDown = [this](int k, int s) { Picture2_KeyDown(static_cast<Integer>(k), static_cast<Integer>(s)); };
    Picture2->onKeyPress = [this](int c) { Picture2_KeyPress(static_cast<Integer>(c)); };
    Picture2->onLostFocus = [this] { Picture2_LostFocus(); };
    Next_fig_win->onGotFocus = [this] { Next_fig_win_GotFocus(); };
    knopstart->onClick = [this](int i) { knopstart_Click(static_cast<Integer>(i)); };
    knoppause->onClick = [this](int i) { knoppause_Click(static_cast<Integer>(i)); };
    knopsound->onClick = [this](int i) { knopsound_Click(static_cast<Integer>(i)); };
    knopnext->onClick = [this](int i) { knopnext_Click(static_cast<Integer>(i)); };
    knopup->onClick = [this](int i) { knopup_Click(static_cast<Integer>(i)); };
    knopdown->onClick = [this](int i) { knopdown_Click(static_cast<Integer>(i)); };

    // The play area is first in the tab order: it starts with the keyboard.
    focus.give(Picture1);
}

void Form1::create_menus() {
    HLP = menuBar()->addMenu(QStringLiteral("H"));
    mnu_about = HLP->addAction(QStringLiteral("A"));
    Ctrls = HLP->addAction(QStringLiteral("C"));
    LNGTT = menuBar()->addMenu(QStringLiteral("L"));
    mnu_rus = LNGTT->addAction(QStringLiteral("R"));
    mnu_eng = LNGTT->addAction(QStringLiteral("E"));
    mnu_rus->setCheckable(true);
    mnu_eng->setCheckable(true);
    mnu_rus->setChecked(true);
    connect(mnu_about, &QAction::triggered, this, [this] { mnu_about_Click(); });
    connect(Ctrls, &QAction::triggered, this, [this] { Ctrls_Click(); });
    connect(mnu_rus, &QAction::triggered, this, [this] { mnu_rus_Click(); });
    connect(mnu_eng, &QAction::triggered, this, [this] { mnu_eng_Click(); });
}

void Form1::create_timers() {
    Play_Tmr_Vert = svc.createTimer([this] { Play_Tmr_Vert_Timer(); });
    Timer1 = svc.createTimer([this] { Timer1_Timer(); });
    Timer1->setInterval(100);
    Stk_output = svc.createTimer([this] { Stk_output_Timer(); });
    Timer_Wait = svc.createTimer([this] { Timer_Wait_Timer(); });
    open_win = svc.createTimer([this] { open_win_Timer(); });
    Timer2 = svc.createTimer([this] { Timer2_Timer(); });
    knop_prs = svc.createTimer([this] { knop_prs_Timer(); });
    // Design state: enabled with interval 0 (never fires) until the load sets them.
    Play_Tmr_Vert->setEnabled(true);
    Timer_Wait->setEnabled(true);
    Stk_output->setEnabled(true);
    knop_prs->setEnabled(true);
}

void Form1::deliverKey(int key_code, int shift, int char_code) { focus.deliver(key_code, shift, char_code); }

void Form1::keyPressEvent(QKeyEvent *event) {
    if (!focus.deliver(*event)) {
        QMainWindow::keyPressEvent(event);
    }
}

bool Form1::focusNextPrevChild(bool /*next*/) {
    // Tab belongs to the game's own focus, not to Qt's focus chain.
    return false;
}
