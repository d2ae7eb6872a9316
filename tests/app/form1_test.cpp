// The main window as a player meets it.
#include "about/frm_about.h"
#include "about/maker.h"
#include "app/form1.h"
#include "app/icons.h"
#include "box_answerer.h"
#include "model/book.h"
#include "model/puzzle.h"
#include "platform/app_info.h"
#include "platform/picturebox.h"
#include "platform/shell.h"
#include "platform/sleep.h"
#include "platform/toolbar.h"
#include "support/test_book.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

const QRgb green = qRgb(120, 255, 120);
const QRgb penBlue = qRgb(20, 20, 240);
const QRgb pencilGrey = qRgb(150, 150, 150);
const QRgb red = qRgb(200, 20, 20);
const QRgb label = qRgb(40, 40, 40);

std::string folder() { return App::Path(); }
std::string defaultBook() { return folder() + "/puzzles/LEVEL-1.wobe"; }

void writeBook(const std::string& path, const std::vector<std::string>& records) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bookBytes(records);
}

// The default book: three puzzles whose solutions differ.
void writeDefaultBook() {
    writeBook(defaultBook(), {recordBytes(samplePuzzle(0)), recordBytes(samplePuzzle(1)), recordBytes(samplePuzzle(2))});
}

int countColour(const QImage& img, QRgb colour, QRect area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += img.pixel(x, y) == colour;
    return n;
}

QRect cellRect(int col, int row) { return QRect(col * 46, row * 46, 46, 46); }
QPoint cellCentre(int col, int row) { return cellRect(col, row).center(); }

QImage cursorImage(const QWidget* w) { return w->cursor().pixmap().toImage(); }

// Runs act on the next modal window of type T once it is up, from within its own event loop.
template <typename T, typename Act>
void whenModal(Act act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        act(window);
    });
    timer->start(10);
}

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<BoxAnswerer> boxes;
    std::unique_ptr<Form1> w;

    void open() {
        w = std::make_unique<Form1>();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    QImage board() { return w->board()->image(); }
    void click(int col, int row, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(w->board(), button, {}, cellCentre(col, row));
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(w->board(), k, m); }
    void typeNumber(const QString& text) {
        w->txtGN()->setText(text);
        QTest::keyClick(w->txtGN(), Qt::Key_Return);
    }
    void moveOver(QWidget* target, QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    }
    int16_t cell(int col, int row) { return cellAt(int16_t(col), int16_t(row)); }

private slots:
    void init() {
        writeDefaultBook();
        pencilMode = false;
        boxes = std::make_unique<BoxAnswerer>();
        open();
    }
    void cleanup() {
        w.reset();
        boxes.reset();
        setSleepHook(nullptr);
        setShellOpener(nullptr);
    }

    void startsOnPuzzleOneWithTheDesignedWindow() {
        QCOMPARE(w->windowTitle(), QString("Sumgrid : Quillmoor"));
        QCOMPARE(w->txtGN()->text(), QString("1"));
        QCOMPARE(puzzleNumber, int16_t(1));
        QCOMPARE(puzzleCount, 3);
        QCOMPARE(bookPath, defaultBook());
        QCOMPARE(cellCount, int16_t(81));
        QCOMPARE(selCol, int16_t(0));
        QVERIFY(boxes->seen.empty());
        QVERIFY(countColour(board(), label, QRect(46, 46, 18, 18)) > 0);  // the first cage's sum

        // The board at the client area's top-left, whole; the toolbar in its top margin.
        QCOMPARE(w->board()->geometry(), QRect(0, 0, 506, 506));
        QVERIFY(w->centralWidget()->width() >= 506 && w->centralWidget()->height() >= 506);
        QCOMPARE(w->tb()->parentWidget(), static_cast<QWidget*>(w->board()));
        QCOMPARE(w->tb()->height(), 38);
        QCOMPARE(w->tb()->buttonRect(2).width(), 70);
        QCOMPARE(w->txtGN()->geometry(), QRect(w->tb()->buttonRect(2).left() + 4, 5, 62, 27));
        QVERIFY(w->tb()->buttonRect(2).contains(w->txtGN()->geometry()));
        const QStringList captions{"Prev", "", "Next", "Restart", "", "Pencil", "Pen", "", "Check"};
        for (int16_t i = 1; i <= 9; ++i) {
            QAbstractButton* b = w->tb()->button(i);
            QCOMPARE(b ? b->text() : QString(), captions[i - 1]);
            if (b)
                QCOMPARE(b->size(), QSize(43, 36));
        }
        QCOMPARE(w->tb()->Value(7), 1);
        QCOMPARE(w->tb()->Value(6), 0);
        QVERIFY(w->MNU_PEN(1)->isChecked());
        QVERIFY(!w->MNU_PEN(2)->isChecked());
        QVERIFY(penMode);
        QVERIFY(!pencilMode);
        QCOMPARE(w->MousePointer(), int16_t(0));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->board()));

        QStringList menus;
        for (QAction* menu : w->menuBar()->actions()) {
            QStringList items;
            for (QAction* item : menu->menu()->actions())
                items << (item->isSeparator() ? "-" : item->text());
            menus << menu->text() + ": " + items.join(" | ");
        }
        QCOMPARE(menus, QStringList({"Puzzle: Load Puzzle Book | - | Next Puzzle | Prev Puzzle | Restart | - | Print | Exit",
                                     "Solving: Use Pen | Use Pencil | - | Check",
                                     "Help: Help | More Puzzle Games (online) | About"}));
    }

    void printAndExitDoNothing() {
        penDigits[5] = 3;
        const QImage before = board();
        w->menuItem("MNU_PRINT")->trigger();
        w->menuItem("MNU_EXIT")->trigger();
        QTest::qWait(30);
        QVERIFY(boxes->seen.empty());
        QVERIFY(w->isVisible());
        QCOMPARE(penDigits[5], uint8_t(3));
        QCOMPARE(board(), before);
    }

    void prevNextAndRestart() {
        click(2, 2);
        key(Qt::Key_4);
        w->menuItem("MNU_PREV")->trigger();
        QCOMPARE(puzzleNumber, int16_t(1));
        // at puzzle 1 Prev changes nothing
        QCOMPARE(penDigits[cell(2, 2)], uint8_t(4));

        QTest::mouseClick(w->tb()->button(3), Qt::LeftButton);  // Next
        QCOMPARE(puzzleNumber, int16_t(2));
        QCOMPARE(w->txtGN()->text(), QString("2"));
        QCOMPARE(solution[1], samplePuzzle(1).digits[0]);
        QCOMPARE(penDigits[cell(2, 2)], uint8_t(0));
        QCOMPARE(selCol, int16_t(0));
        QCOMPARE(countColour(board(), green, QRect(0, 0, 506, 506)), 0);

        w->menuItem("MNU_NEXT")->trigger();
        QCOMPARE(puzzleNumber, int16_t(3));
        click(5, 5);
        key(Qt::Key_1);
        w->menuItem("MNU_NEXT")->trigger();
        // no wrap-around at the last puzzle
        QCOMPARE(puzzleNumber, int16_t(3));
        QCOMPARE(penDigits[cell(5, 5)], uint8_t(1));

        w->menuItem("MNU_CHK_ALL")->trigger();  // marks the wrong 1
        QVERIFY(errorMarks[cell(5, 5)] == 1 || solution[cell(5, 5)] == 1);
        QTest::mouseClick(w->tb()->button(4), Qt::LeftButton);  // Restart
        QCOMPARE(puzzleNumber, int16_t(3));
        QCOMPARE(w->txtGN()->text(), QString("3"));
        QCOMPARE(penDigits, CellArray(82, 0));
        QCOMPARE(errorMarks, CellArray(82, 0));
        QCOMPARE(selCol, int16_t(0));

        QTest::mouseClick(w->tb()->button(1), Qt::LeftButton);  // Prev
        QCOMPARE(puzzleNumber, int16_t(2));
        QCOMPARE(w->txtGN()->text(), QString("2"));
    }

    void typedPuzzleNumbers() {
        for (const char* refused : {"0", "", "abc", "4", "0.6", "-2", "3.6"}) {
            typeNumber(refused);
            QCOMPARE(w->txtGN()->text(), QString("1"));
        }
        // a number outside the book is refused silently
        QVERIFY(boxes->seen.empty());

        click(3, 3);
        key(Qt::Key_7);
        boxes->answer({QMessageBox::No});
        typeNumber("2");
        QCOMPARE(boxes->seen.size(), size_t(1));
        const SeenBox& asked = boxes->seen[0];
        QCOMPARE(asked.text, QString("Are you sure to change the puzzle?"));
        QCOMPARE(asked.title, QString("Sumgrid - Alert"));
        QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(asked.defaultButton, QMessageBox::Yes);
        QVERIFY(!asked.hasIcon);
        QCOMPARE(puzzleNumber, int16_t(1));
        // No keeps the typed text
        QCOMPARE(w->txtGN()->text(), QString("2"));
        QCOMPARE(penDigits[cell(3, 3)], uint8_t(7));

        const std::pair<const char*, int16_t> accepted[] = {{" 3 ", 3}, {"2.5", 2}, {"1.5", 2}, {"3e0", 3}, {"1", 1}};
        for (const auto& [text, number] : accepted) {
            boxes->answer({QMessageBox::Yes});
            typeNumber(text);
            QCOMPARE(puzzleNumber, number);
            QCOMPARE(w->txtGN()->text(), QString::number(number));
        }
        click(3, 3);
        key(Qt::Key_7);
        boxes->answer({QMessageBox::Yes});
        typeNumber("1");
        // the same number restarts the puzzle
        QCOMPARE(penDigits[cell(3, 3)], uint8_t(0));
    }

    void selectingCells() {
        click(2, 3, Qt::RightButton);
        QCOMPARE(selCol, int16_t(2));
        QCOMPARE(selRow, int16_t(3));
        QCOMPARE(countColour(board(), green, cellRect(2, 3)), countColour(board(), green, QRect(0, 0, 506, 506)));
        QVERIFY(countColour(board(), green, cellRect(2, 3)) > 1000);

        // A click on the selected cell does not repaint: a pixel put into the image stays.
        auto putMarker = [this] { const_cast<QImage&>(w->board()->image()).setPixel(3, 300, qRgb(1, 2, 3)); };
        putMarker();
        click(2, 3, Qt::MiddleButton);
        QCOMPARE(board().pixel(3, 300), qRgb(1, 2, 3));
        click(4, 3);
        QCOMPARE(selCol, int16_t(4));
        QVERIFY(board().pixel(3, 300) != qRgb(1, 2, 3));

        // The margin clears the selection, and repaints even with nothing selected.
        QTest::mouseClick(w->board(), Qt::LeftButton, {}, QPoint(20, 300));
        QCOMPARE(selCol, int16_t(0));
        QCOMPARE(selRow, int16_t(0));
        putMarker();
        QTest::mouseClick(w->board(), Qt::LeftButton, {}, QPoint(470, 300));
        QVERIFY(board().pixel(3, 300) != qRgb(1, 2, 3));
        QTest::mouseClick(w->board(), Qt::LeftButton, {}, QPoint(300, 461));
        QCOMPARE(selCol, int16_t(0));
        QTest::mouseClick(w->board(), Qt::LeftButton, {}, QPoint(459, 459));
        QCOMPARE(selCol, int16_t(9));
        QCOMPARE(selRow, int16_t(9));
    }

    void enteringAndErasingDigits() {
        key(Qt::Key_5);
        // no selection, no entry
        QCOMPARE(penDigits, CellArray(82, 0));
        const int16_t i = cell(6, 4);
        click(6, 4);
        key(Qt::Key_5);
        QCOMPARE(penDigits[i], uint8_t(5));
        QVERIFY(countColour(board(), penBlue, cellRect(6, 4)) > 10);
        key(Qt::Key_4, Qt::KeypadModifier);
        QCOMPARE(penDigits[i], uint8_t(4));
        key(Qt::Key_0);
        key(Qt::Key_0, Qt::KeypadModifier);
        key(Qt::Key_A);
        key(Qt::Key_Return);
        // 0 does not erase
        QCOMPARE(penDigits[i], uint8_t(4));
        for (Qt::Key arrow : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down})
            key(arrow);
        QCOMPARE(selCol, int16_t(6));
        key(Qt::Key_Exclam, Qt::ShiftModifier);
        // Shift with the 1 key still enters 1
        QCOMPARE(penDigits[i], uint8_t(1));

        w->MNU_PEN(2)->trigger();  // Use Pencil
        key(Qt::Key_7);
        QCOMPARE(pencilDigits[i], uint8_t(7));
        QCOMPARE(penDigits[i], uint8_t(0));
        QVERIFY(countColour(board(), pencilGrey, cellRect(6, 4)) > 10);
        QCOMPARE(countColour(board(), penBlue, cellRect(6, 4)), 0);
        w->MNU_PEN(1)->trigger();
        key(Qt::Key_5);
        QCOMPARE(penDigits[i], uint8_t(5));
        QCOMPARE(pencilDigits[i], uint8_t(0));

        for (Qt::Key erase : {Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_Space}) {
            key(Qt::Key_3);
            key(erase);
            QCOMPARE(penDigits[i], uint8_t(0));
            QCOMPARE(pencilDigits[i], uint8_t(0));
        }
        QCOMPARE(countColour(board(), penBlue, cellRect(6, 4)), 0);
        QVERIFY(boxes->seen.empty());
    }

    void escapeMinimizesTheWindow() {
        key(Qt::Key_Escape);
        QVERIFY(w->windowState() & Qt::WindowMinimized);
        QCOMPARE(selCol, int16_t(0));
    }

    void penAndPencilModes() {
        w->MNU_PEN(2)->trigger();
        QVERIFY(pencilMode);
        QVERIFY(w->MNU_PEN(2)->isChecked());
        QVERIFY(!w->MNU_PEN(1)->isChecked());
        QCOMPARE(w->tb()->Value(6), 1);
        QCOMPARE(w->tb()->Value(7), 0);
        w->MNU_PEN(2)->trigger();  // choosing it again keeps it
        QVERIFY(pencilMode && w->MNU_PEN(2)->isChecked());

        QTest::mouseClick(w->tb()->button(7), Qt::LeftButton);  // Pen
        QVERIFY(!pencilMode);
        QVERIFY(w->MNU_PEN(1)->isChecked());
        QVERIFY(!w->MNU_PEN(2)->isChecked());
        QTest::mouseClick(w->tb()->button(6), Qt::LeftButton);  // Pencil
        QVERIFY(pencilMode);
        QVERIFY(w->MNU_PEN(2)->isChecked() && !w->MNU_PEN(1)->isChecked());

        w->menuItem("MNU_NEXT")->trigger();
        // the mode outlives a change of puzzle
        QVERIFY(pencilMode);
        click(1, 1);
        key(Qt::Key_2);
        QCOMPARE(pencilDigits[1], uint8_t(2));
    }

    void pointerShowsTheToolInUse() {
        const QImage pen = tbImgPicture(14).toImage(), pencil = tbImgPicture(13).toImage();
        moveOver(w->board(), QPoint(200, 200));
        QCOMPARE(w->MousePointer(), int16_t(99));
        QCOMPARE(cursorImage(w.get()), pen);
        // the window's pointer shows over the board
        QCOMPARE(cursorImage(w->board()), pen);
        QCOMPARE(w->cursor().hotSpot(), QPoint(16, 16));

        QTest::mouseClick(w->tb()->button(6), Qt::LeftButton);
        QCOMPARE(cursorImage(w.get()), tbImgPicture(5).toImage());
        moveOver(w->tb(), QPoint(200, 10));
        QCOMPARE(w->MousePointer(), int16_t(0));
        QCOMPARE(w->cursor().shape(), Qt::ArrowCursor);
        moveOver(w->board(), QPoint(200, 200));
        QCOMPARE(cursorImage(w.get()), pencil);
        moveOver(w->centralWidget(), QPoint(300, 300));
        QCOMPARE(w->MousePointer(), int16_t(0));

        QTest::mouseClick(w->tb()->button(7), Qt::LeftButton);
        QCOMPARE(cursorImage(w.get()), tbImgPicture(6).toImage());
        QTest::mouseClick(w->tb()->button(7), Qt::LeftButton);  // again: still the pen
        QCOMPARE(cursorImage(w.get()), tbImgPicture(6).toImage());
        QVERIFY(!pencilMode);

        // The placeholder and separators change nothing; Prev turns the pointer into the arrow.
        for (int16_t nothing : {2, 5, 8})
            w->tb_ButtonClick(nothing);
        QCOMPARE(w->MousePointer(), int16_t(99));
        QTest::mouseClick(w->tb()->button(1), Qt::LeftButton);
        QCOMPARE(w->MousePointer(), int16_t(0));
        QCOMPARE(puzzleNumber, int16_t(1));

        w->MNU_PEN(2)->trigger();  // from the menu: the board shows the pencil from the next move
        QCOMPARE(w->MousePointer(), int16_t(0));
        moveOver(w->board(), QPoint(100, 100));
        QCOMPARE(cursorImage(w.get()), pencil);
    }

    void checkingAnEmptyOrUnfinishedBoard() {
        w->menuItem("MNU_CHK_ALL")->trigger();
        QCOMPARE(boxes->seen.size(), size_t(1));
        QCOMPARE(boxes->seen[0].text, QString(" No error found so far"));
        QCOMPARE(boxes->seen[0].title, QString("Sumgrid"));
        QCOMPARE(boxes->seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(!boxes->seen[0].hasIcon);

        const int16_t i = cell(4, 4);
        click(4, 4);
        key(Qt::Key(Qt::Key_0 + solution[i]));
        QTest::mouseClick(w->tb()->button(9), Qt::LeftButton);
        QCOMPARE(boxes->seen.size(), size_t(2));
        QCOMPARE(boxes->seen[1].text, QString(" No error found so far"));
        QCOMPARE(errorMarks, CellArray(82, 0));
        // the check keeps the selection
        QCOMPARE(selCol, int16_t(4));
    }

    void wrongEntriesAreCrossedThenMarked() {
        std::vector<QImage> duringPause;
        setSleepHook([&](uint32_t ms) {
            QCOMPARE(ms, 500u);
            duringPause.push_back(w->board()->image().copy());
        });
        const int16_t a = cell(2, 2), b = cell(7, 8), right = cell(5, 5);
        w->MNU_PEN(2)->trigger();
        click(2, 2);
        key(Qt::Key(Qt::Key_0 + solution[a] % 9 + 1));  // wrong, in pencil
        w->MNU_PEN(1)->trigger();
        click(7, 8);
        key(Qt::Key(Qt::Key_0 + solution[b] % 9 + 1));  // wrong, in pen
        click(5, 5);
        key(Qt::Key(Qt::Key_0 + solution[right]));

        w->menuItem("MNU_CHK_ALL")->trigger();
        // no message when something is wrong
        QVERIFY(boxes->seen.empty());
        // one pause for all wrong cells
        QCOMPARE(duringPause.size(), size_t(1));
        const QImage& crossed = duringPause[0];
        for (int16_t wrongCell : {a, b}) {
            const int x = colOf(wrongCell) * 46, y = rowOf(wrongCell) * 46;
            for (int k = 0; k < 38; ++k) {
                QCOMPARE(crossed.pixel(x + 4 + k, y + 4 + k), red);
                QCOMPARE(crossed.pixel(x + 42 - k, y + 4 + k), red);
            }
        }
        QCOMPARE(countColour(crossed, red, cellRect(5, 5)), 0);

        QCOMPARE(errorMarks[a], uint8_t(1));
        QCOMPARE(errorMarks[b], uint8_t(1));
        QCOMPARE(errorMarks[right], uint8_t(0));
        const QImage after = board();
        // the cross is gone
        QCOMPARE(countColour(after, red, QRect(2 * 46 + 4, 2 * 46 + 20, 38, 22)), 0);
        // the small x stays
        QVERIFY(countColour(after, red, QRect(2 * 46 + 32, 2 * 46, 14, 14)) > 0);
        QVERIFY(countColour(after, red, QRect(7 * 46 + 32, 8 * 46, 14, 14)) > 0);

        // Corrected cells keep their marks, also through a later check that finds nothing.
        click(2, 2);
        key(Qt::Key_Delete);
        click(7, 8);
        key(Qt::Key(Qt::Key_0 + solution[b]));
        w->menuItem("MNU_CHK_ALL")->trigger();
        QCOMPARE(boxes->seen.size(), size_t(1));
        QCOMPARE(boxes->seen[0].text, QString(" No error found so far"));
        QCOMPARE(errorMarks[a], uint8_t(1));
        QCOMPARE(errorMarks[b], uint8_t(1));
        QCOMPARE(duringPause.size(), size_t(1));

        w->menuItem("MNU_RST")->trigger();
        QCOMPARE(errorMarks, CellArray(82, 0));
        QCOMPARE(countColour(board(), red, QRect(0, 0, 506, 506)), 0);
    }

    void completedPuzzleIsAnnouncedTwice() {
        for (int16_t i = 1; i <= 81; ++i)
            (i % 3 ? penDigits : pencilDigits)[i] = solution[i];
        selCol = 9;
        selRow = 9;
        penDigits[81] = 0;
        pencilDigits[81] = 0;
        QTest::mouseClick(w->board(), Qt::LeftButton, {}, cellCentre(9, 9));
        key(Qt::Key(Qt::Key_0 + solution[81]));
        QTest::mouseClick(w->tb()->button(9), Qt::LeftButton);
        QCOMPARE(boxes->seen.size(), size_t(2));
        QCOMPARE(boxes->seen[0].text, QString("Great work - There are no mistakes. Continue..."));
        QCOMPARE(boxes->seen[0].title, QString("Sumgrid"));
        QCOMPARE(boxes->seen[1].text, QString(" Congrats : puzzle completed successfully"));
        QCOMPARE(boxes->seen[1].title, QString("Sumgrid"));
        key(Qt::Key_Delete);  // still playable
        QCOMPARE(penDigits[81], uint8_t(0));
    }

    void loadingABook() {
        ScratchDir dir;
        const std::string other = dir.write("other.plix", bookBytes({recordBytes(samplePuzzle(5)), recordBytes(samplePuzzle(6))}));
        const std::string bad = dir.write("bad.wobe", "WOBX" + bookBytes({recordBytes(samplePuzzle(7))}).substr(4));
        w->menuItem("MNU_NEXT")->trigger();

        QStringList filters;
        QString directory;
        auto chooseInDialog = [&](const std::string& path) {
            whenModal<QFileDialog>([&, path](QFileDialog* dialog) {
                filters = dialog->nameFilters();
                directory = dialog->directory().absolutePath();
                if (path.empty()) {
                    dialog->reject();
                } else {
                    // Typed into the name box, as a player would.
                    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
                    QMetaObject::invokeMethod(dialog, "accept");
                }
            });
            w->menuItem("MNU_LOAD_PUZZLE")->trigger();
        };

        chooseInDialog("");
        QVERIFY(filters.size() >= 3);
        QVERIFY(filters[0].contains("*.plix"));
        QVERIFY(filters.join(" ").contains("*.wobe"));
        QVERIFY(filters.join(" ").contains("(*)"));
        QCOMPARE(directory, QDir(QString::fromStdString(folder())).absolutePath());
        // cancel changes nothing
        QCOMPARE(puzzleNumber, int16_t(2));
        QCOMPARE(bookPath, defaultBook());

        chooseInDialog(other);
        QCOMPARE(bookPath, other);
        QCOMPARE(puzzleCount, 2);
        QCOMPARE(puzzleNumber, int16_t(1));
        QCOMPARE(w->txtGN()->text(), QString("1"));
        QCOMPARE(solution[1], samplePuzzle(5).digits[0]);
        QVERIFY(boxes->seen.empty());

        w->menuItem("MNU_NEXT")->trigger();
        chooseInDialog(bad);
        QCOMPARE(boxes->seen.size(), size_t(1));
        QCOMPARE(boxes->seen[0].text, QString(" Error Opening the files. File corrupted. Open only PLIX files"));
        // the previous book stays open
        QCOMPARE(bookPath, other);
        QCOMPARE(puzzleNumber, int16_t(1));
        QCOMPARE(solution[1], samplePuzzle(5).digits[0]);
        QCOMPARE(w->txtGN()->text(), QString("1"));
    }

    void helpAndWebOpenThroughTheDesktop() {
        std::vector<std::array<std::string, 3>> opened;
        setShellOpener([&](const std::string& op, const std::string& file, const std::string& dir) {
            opened.push_back({op, file, dir});
        });
        w->menuItem("MNU_HELP_HELP")->trigger();
        w->menuItem("MNU_WEB")->trigger();
        w->menuItem("MNU_HELP_HELP")->trigger();
        QCOMPARE(opened.size(), size_t(3));
        QCOMPARE(opened[0][0], std::string("Open"));
        QCOMPARE(opened[0][1], folder() + "/help.txt");
        QCOMPARE(opened[0][2], folder());
        QCOMPARE(opened[1][1], makerWebAddress);
        QCOMPARE(opened[2], opened[0]);
        QVERIFY(boxes->seen.empty());
        QCOMPARE(cellCount, int16_t(81));
    }

    void aboutBoxIsModalAndReused() {
        QStringList texts;
        frmAbout* first = nullptr;
        auto readAndClose = [&](Qt::Key closeWith) {
            whenModal<frmAbout>([&, closeWith](frmAbout* box) {
                first = first ? first : box;
                texts << box->windowTitle() << box->lblTitle->text() << box->lblVersion->text()
                      << box->lblDescription->text() << box->lblDisclaimer->text();
                QTest::keyClick(box, closeWith);
            });
            w->menuItem("MNU_ABOUT")->trigger();
        };
        readAndClose(Qt::Key_Return);
        QCOMPARE(texts, QStringList({"About Sumgrid", "Sumgrid", "Version 0.1.21",
                                     QString::fromStdString(creditLine()),
                                     "Only for personal use. Do not print /distribute these puzzles"}));
        QVERIFY(texts[3].startsWith(" ") && texts[3].contains("Quillmoor") &&
                texts[3].endsWith(QString::fromStdString(makerWebAddress)));
        QVERIFY(!w->aboutBox()->isVisible());
        readAndClose(Qt::Key_Escape);
        QCOMPARE(texts.size(), 10);
        QCOMPARE(texts.mid(5), texts.mid(0, 5));
        QCOMPARE(w->aboutBox(), first);
        QVERIFY(w->aboutBox()->isModal());
        QCOMPARE(w->aboutBox()->size(), QSize(382, 237));
    }

    void withoutADefaultBookEveryCommandStaysSafe() {
        w.reset();
        std::filesystem::remove(defaultBook());
        bookPath.clear();
        puzzleCount = 0;
        bookTable.clear();
        cellCount = 0;
        cageOf.clear();
        solution.clear();
        open();
        QCOMPARE(boxes->seen.size(), size_t(1));
        QCOMPARE(boxes->seen[0].text, QString(" Error Opening the files. File corrupted. Open only PLIX files"));
        QCOMPARE(cellCount, int16_t(0));
        QCOMPARE(w->txtGN()->text(), QString("1"));

        w->menuItem("MNU_NEXT")->trigger();
        w->menuItem("MNU_PREV")->trigger();
        w->menuItem("MNU_RST")->trigger();
        click(3, 3);
        key(Qt::Key_5);
        key(Qt::Key_Delete);
        typeNumber("1");
        QCOMPARE(boxes->seen.size(), size_t(1));
        w->menuItem("MNU_CHK_ALL")->trigger();
        QCOMPARE(boxes->seen.size(), size_t(2));
        QCOMPARE(boxes->seen[1].text, QString(" No error found so far"));
        QCOMPARE(puzzleNumber, int16_t(1));
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
