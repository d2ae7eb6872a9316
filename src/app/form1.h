// The main window: the board, the toolbar inside the board's top margin, the
// puzzle-number box and the menus. Its handlers translate window events into
// the program's commands; the puzzle itself lives in the model.
#pragma once

#include <QMainWindow>
#include <QPixmap>
#include <array>
#include <cstdint>

class PictureBox;
class QAction;
class QLineEdit;
class Toolbar;
class frmAbout;

class Form1 : public QMainWindow {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up and the board.
    void Form_Load();
    void startGame();

    // Menu commands (the toolbar calls the same handlers).
    void MNU_LOAD_PUZZLE_Click();
    void MNU_NEXT_Click();
    void MNU_PREV_Click();
    void MNU_RST_Click();
    void MNU_PEN_Click(int16_t Index);
    void MNU_CHK_ALL_Click();
    void MNU_HELP_HELP_Click();
    void MNU_WEB_Click();
    void MNU_ABOUT_Click();
    bool IsPuzzleCompleted();

    // Toolbar, pointer and board input.
    void tb_ButtonClick(int16_t index);
    void tb_MouseMove();
    void Form_MouseMove();
    void pbGrid_MouseMove();
    void setGridPointer();
    void pbGrid_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void pbGrid_KeyDown(int16_t KeyCode, int16_t Shift);
    void txtGN_KeyPress(int16_t KeyAscii);

    // The window's pointer: 0 the default arrow, 99 the picture in MouseIcon.
    int16_t MousePointer() const { return mousePointer_; }
    void setMousePointer(int16_t pointer);
    void setMouseIcon(const QPixmap& icon);

    // The controls, as the tests and handlers reach them.
    PictureBox* board() const { return pbGrid_; }
    Toolbar* tb() const { return tb_; }
    QLineEdit* txtGN() const { return txtGN_; }
    QAction* MNU_PEN(int16_t index) const { return mnuPen_[size_t(index)]; }
    QAction* menuItem(const char* name) const;
    frmAbout* aboutBox() const { return aboutBox_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenus();
    void createToolbar();
    void sizeWindowToBoard();
    void layOutForGridSize();
    void showPuzzleNumber();
    void applyPointer();

    PictureBox* pbGrid_ = nullptr;
    Toolbar* tb_ = nullptr;
    QLineEdit* txtGN_ = nullptr;
    std::array<QAction*, 3> mnuPen_{};  // items 1 ("Use Pen") and 2 ("Use Pencil")
    frmAbout* aboutBox_ = nullptr;
    int16_t mousePointer_ = 0;
    bool keyRepeats_ = false;  // the key last pressed on the board is held down and repeating
    QPixmap mouseIcon_;
};
