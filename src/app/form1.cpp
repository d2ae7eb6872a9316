#include "app/form1.h"

#include "about/frm_about.h"
#include "app/board_accessible.h"
#include "app/icons.h"
#include "model/book.h"
#include "model/puzzle.h"
#include "platform/app_info.h"
#include "platform/msgbox.h"
#include "platform/picturebox.h"
#include "platform/toolbar.h"
#include "render/grid.h"
#include "render/resources.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <algorithm>

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("Form1");
    setWindowIcon(programIcon());
    setMsgBoxOwner(this);
    auto* client = new QWidget(this);
    client->setMouseTracking(true);
    client->installEventFilter(this);
    setCentralWidget(client);

    QAccessible::installFactory(boardAccessible);  // before the board is first asked for
    pbGrid_ = new PictureBox(client);
    pbGrid_->setObjectName("pbGrid");
    pbGrid_->move(0, 0);
    pbGrid_->setAccessibleName("Board");
    pbGrid = pbGrid_;
    pbGrid_->installEventFilter(this);
    connect(pbGrid_, &PictureBox::mouseDown, this, &Form1::pbGrid_MouseDown);
    connect(pbGrid_, &PictureBox::mouseMove, this, [this] { pbGrid_MouseMove(); });
    connect(pbGrid_, &PictureBox::keyDown, this, &Form1::pbGrid_KeyDown);
    connect(pbGrid_, &PictureBox::rescaled, this, [] { updateGrid(); });
    connect(pbGrid_, &PictureBox::described, this, [this] { announceBoardChanges(pbGrid_); });

    createToolbar();
    createMenus();
    Form_Load();
    pbGrid_->setFocus();
}

Form1::~Form1() {
    if (pbGrid == pbGrid_)
        pbGrid = nullptr;
}

// The toolbar lies across the top of the board, in its blank top margin.
void Form1::createToolbar() {
    tb_ = new Toolbar(pbGrid_, 38, QSize(43, 36));
    tb_->move(0, 0);
    tb_->addButton(tbrDefault, "Prev", tbImgPicture(1));
    tb_->addButton(tbrPlaceholder, QString(), QPixmap(), 70);
    tb_->addButton(tbrDefault, "Next", tbImgPicture(2));
    tb_->addButton(tbrDefault, "Restart", tbImgPicture(3));
    tb_->addButton(tbrSeparator);
    tb_->addButton(tbrButtonGroup, "Pencil", tbImgPicture(5));
    tb_->addButton(tbrButtonGroup, "Pen", tbImgPicture(6));
    tb_->addButton(tbrSeparator);
    tb_->addButton(tbrDefault, "Check", tbImgPicture(7));
    tb_->setValue(7, 1);
    tb_->resize(tb_->buttonRect(9).right() + 5, 38);
    pbGrid_->setLeastWidth(tb_->width());
    connect(tb_, &Toolbar::ButtonClick, this, &Form1::tb_ButtonClick);
    connect(tb_, &Toolbar::MouseMove, this, &Form1::tb_MouseMove);

    txtGN_ = new QLineEdit("Text1", tb_);
    txtGN_->setAccessibleName("Puzzle number");
    txtGN_->setGeometry(tb_->buttonRect(2).left() + 4, 5, 62, 27);
    QFont font("Arial");
    font.setPointSize(12);
    txtGN_->setFont(font);
    connect(txtGN_, &QLineEdit::returnPressed, this, [this] { txtGN_KeyPress(13); });
}

void Form1::createMenus() {
    auto item = [this](QMenu* menu, const char* name, const char* caption, auto handler) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto separator = [](QMenu* menu, const char* name) { menu->addSeparator()->setObjectName(name); };

    QMenu* puzzle = menuBar()->addMenu("Puzzle");
    puzzle->setObjectName("MNU_PUZZLE");
    item(puzzle, "MNU_LOAD_PUZZLE", "Load Puzzle Book", &Form1::MNU_LOAD_PUZZLE_Click);
    separator(puzzle, "MNU_SEP3");
    item(puzzle, "MNU_NEXT", "Next Puzzle", &Form1::MNU_NEXT_Click);
    item(puzzle, "MNU_PREV", "Prev Puzzle", &Form1::MNU_PREV_Click);
    item(puzzle, "MNU_RST", "Restart", &Form1::MNU_RST_Click);
    separator(puzzle, "MNU_SEP");
    item(puzzle, "MNU_PRINT", "Print", [] {});  // not offered in this version
    item(puzzle, "MNU_EXIT", "Exit", [] {});    // closing the window ends the program

    QMenu* solving = menuBar()->addMenu("Solving");
    solving->setObjectName("MNU_SOLVING");
    mnuPen_[1] = item(solving, "MNU_PEN_1", "Use Pen", [this] { MNU_PEN_Click(1); });
    mnuPen_[2] = item(solving, "MNU_PEN_2", "Use Pencil", [this] { MNU_PEN_Click(2); });
    for (int16_t i : {1, 2})
        mnuPen_[i]->setCheckable(true);
    mnuPen_[1]->setChecked(true);
    separator(solving, "MNU_SEP2");
    item(solving, "MNU_CHK_ALL", "Check", &Form1::MNU_CHK_ALL_Click);

    QMenu* help = menuBar()->addMenu("Help");
    help->setObjectName("MNU_HELP");
    item(help, "MNU_HELP_HELP", "Help", &Form1::MNU_HELP_HELP_Click);
    item(help, "MNU_WEB", "More Puzzle Games (online)", &Form1::MNU_WEB_Click);
    item(help, "MNU_ABOUT", "About", &Form1::MNU_ABOUT_Click);
}

QAction* Form1::menuItem(const char* name) const { return menuBar()->findChild<QAction*>(name); }

// Start-up, in this order: the device context is taken before anything is
// drawn, the book is opened before the first puzzle is read, and gridSize is
// 9 when the window is sized.
void Form1::Form_Load() {
    initGdiObjects();
    gridInfo.hDC = pbGrid_->hDC();
    gridInfo.cellSize = 46;
    penMode = true;
    openBook(App::Path() + "/puzzles/LEVEL-1.wobe");
    puzzleNumber = 1;
    gridSize = 9;
    sizeWindowToBoard();
    setWindowTitle(QString::fromStdString(App::Title()) + " : Quillmoor");
    resizePBgrid();
    startGame();
}

// The window is exactly large enough for the menu bar and the board, and
// never narrower than the toolbar across the board's top.
void Form1::sizeWindowToBoard() {
    const int side = boardSide(gridInfo);
    const QSize client(std::max(side, tb_->width()), side);
    centralWidget()->setMinimumSize(client);
    layout()->activate();  // the window's least size follows at once, so that it can shrink
    resize(minimumSize());
}

// A puzzle of another side than the board shows: the window and the board
// are laid out for it, the picture cleared to the new size.
void Form1::layOutForGridSize() {
    if (pbGrid_->height() == boardSide(gridInfo))
        return;
    sizeWindowToBoard();
    resizePBgrid();
}

void Form1::setMousePointer(int16_t pointer) {
    mousePointer_ = pointer;
    applyPointer();
}

void Form1::setMouseIcon(const QPixmap& icon) {
    mouseIcon_ = icon;
    applyPointer();
}

// The pointer applies over the whole window, the board included; the
// icon's hot spot is its centre.
void Form1::applyPointer() {
    if (mousePointer_ == 99 && !mouseIcon_.isNull())
        setCursor(QCursor(mouseIcon_));
    else
        unsetCursor();
}

// Movements over the bare client area, outside the board; and the board's
// loss of the focus (to the number box, a menu, a box), after which a digit
// key no longer adds to a 1 typed before; and whether a key pressed on the
// board repeats because it is held down, which never adds to a 1 either.
bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::MouseMove)
        Form_MouseMove();
    if (watched == pbGrid_ && event->type() == QEvent::FocusOut)
        tensCell = 0;
    if (watched == pbGrid_ && event->type() == QEvent::KeyPress)
        keyRepeats_ = static_cast<QKeyEvent*>(event)->isAutoRepeat();
    return QMainWindow::eventFilter(watched, event);
}
