// The main window as a player meets it: real clicks, keys, menu actions and
// modal boxes answered by the test.
#include "about/frm_about.h"
#include "about/maker.h"
#include "app/form1.h"
#include "app/icons.h"
#include "box_answerer.h"
#include "fake_desktop.h"
#include "model/book.h"
#include "model/puzzle.h"
#include "platform/app_info.h"
#include "platform/picturebox.h"
#include "platform/sleep.h"
#include "platform/toolbar.h"
#include "support/golden.h"
#include "support/model_snapshot.h"
#include "support/test_book.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QtTest>
#include <QAccessible>
#include <filesystem>
#include <functional>
#include <map>

#define QCOMPARE_GOLDEN(image, name)                          \
    do {                                                      \
        const std::string differs = goldenMismatch(image, name); \
        QVERIFY2(differs.empty(), differs.c_str());           \
    } while (false)

namespace {

std::string folder() { return App::Path(); }
std::string defaultBook() { return folder() + "/puzzles/LEVEL-1.wobe"; }
std::string fileError() { return " Error Opening the files. File corrupted. Open only PLIX files"; }

QPoint cellCentre(int col, int row) { return QPoint(col * 46 + 23, row * 46 + 23); }
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

    std::unique_ptr<BoxAnswerer> boxes;
    std::unique_ptr<Form1> w;

    void open() {
        w = std::make_unique<Form1>();
        w->move(100, 100);  // away from the screen's edges, which a box centred on the window would cross
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    QImage board() { return w->board()->image(); }
    // The board as it stands on the screen now, not as last drawn.
    QImage boardOnScreen() {
        const QPoint at = w->board()->mapTo(w.get(), QPoint(0, 0));
        return w->screen()->grabWindow(w->winId(), at.x(), at.y(), 506, 506).toImage();
    }
    void click(int col, int row, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(w->board(), button, {}, cellCentre(col, row));
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(w->board(), k, m); }
    void typeNumber(const QString& text) {
        w->txtGN()->setText(text);
        QTest::keyClick(w->txtGN(), Qt::Key_Return);
    }
    void trigger(const char* item) { w->menuItem(item)->trigger(); }
    void toolbar(int16_t index) { QTest::mouseClick(w->tb()->button(index), Qt::LeftButton); }
    void moveOver(QWidget* target, QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    }
    QStringList seenTexts() {
        QStringList texts;
        for (const SeenBox& b : boxes->seen)
            texts << b.text;
        return texts;
    }
    // Chooses a book in the Open dialog, typed into its name box as a player would; nothing chosen cancels.
    void load(const std::string& path, QStringList* filters = nullptr, QString* directory = nullptr) {
        whenModal<QFileDialog>([=](QFileDialog* dialog) {
            if (filters)
                *filters = dialog->nameFilters();
            if (directory)
                *directory = dialog->directory().absolutePath();
            if (path.empty())
                return dialog->reject();
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        trigger("MNU_LOAD_PUZZLE");
    }
    void fillSolution() {
        for (int16_t i = 1; i <= 81; ++i)
            (i % 3 ? penDigits : pencilDigits)[i] = solution[i];
    }

private slots:
    void init() {
        std::filesystem::create_directories(folder() + "/puzzles");
        ScratchDir scratch;
        std::filesystem::copy_file(scratch.write("book", bookBytes({recordBytes(samplePuzzle(0)), recordBytes(samplePuzzle(1)),
                                                                    recordBytes(samplePuzzle(2))})),
                                   defaultBook(), std::filesystem::copy_options::overwrite_existing);
        clearModel();
        pencilMode = false;
        boxes = std::make_unique<BoxAnswerer>();
        open();
    }
    void cleanup() {
        for (const SeenBox& box : boxes->seen) {  // every box over the main window
            QCOMPARE(box.owner, QString("Form1"));
            QVERIFY2(box.offCentre.manhattanLength() <= 2, qPrintable(box.text));
        }
        w.reset();
        boxes.reset();
        setSleepHook(nullptr);
    }

    void startsOnPuzzleOneWithTheDesignedWindow() {
        QCOMPARE(w->windowTitle(), QString("Sumgrid : Quillmoor"));
        QCOMPARE(w->txtGN()->text(), QString("1"));
        QCOMPARE(puzzleNumber, int16_t(1));
        QCOMPARE(puzzleCount, 3);
        QCOMPARE(bookPath, defaultBook());
        QVERIFY(boxes->seen.empty());
        QCOMPARE_GOLDEN(board(), "dominoes");
        QCOMPARE(boardOnScreen().copy(0, 38, 506, 468), board().copy(0, 38, 506, 468));

        // The client area holds the menu bar and the board; the toolbar lies in the board's top margin.
        QCOMPARE(w->size(), QSize(506, 525));
        QCOMPARE(w->board()->geometry(), QRect(0, 0, 506, 506));
        QCOMPARE(w->tb()->geometry().topLeft(), w->board()->mapTo(w->tb()->parentWidget(), QPoint(0, 0)));
        QCOMPARE(w->tb()->height(), 38);
        QCOMPARE(w->txtGN()->geometry(), QRect(51, 5, 62, 27));
        QCOMPARE(w->txtGN()->font().family(), QString("Arial"));
        QCOMPARE(w->txtGN()->font().pointSize(), 12);
        const QStringList captions{"Prev", "", "Next", "Restart", "", "Pencil", "Pen", "", "Check"};
        for (int16_t i = 1; i <= 9; ++i) {
            QAbstractButton* b = w->tb()->button(i);
            QCOMPARE(b ? b->text() : QString(), captions[i - 1]);
            QVERIFY(!b || b->size() == QSize(43, 36));
        }
        QCOMPARE(w->tb()->buttonRect(2).width(), 70);
        QCOMPARE(w->tb()->Value(7), 1);
        QCOMPARE(w->tb()->Value(6), 0);
        QVERIFY(penMode && !pencilMode);
        QCOMPARE(w->MousePointer(), int16_t(0));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->board()));

        QStringList menus;
        for (QAction* menu : w->menuBar()->actions()) {
            QStringList items;
            for (QAction* item : menu->menu()->actions())
                items << (item->isSeparator() ? "-" : item->text() + (item->isChecked() ? "*" : ""));
            menus << menu->text() + ": " + items.join(" | ");
        }
        QCOMPARE(menus, QStringList({"Puzzle: Load Puzzle Book | - | Next Puzzle | Prev Puzzle | Restart | - | Print | Exit",
                                     "Solving: Use Pen* | Use Pencil | - | Check",
                                     "Help: Help | More Puzzle Games (online) | About"}));

        // Print and Exit do nothing.
        penDigits[5] = 3;
        trigger("MNU_PRINT");
        trigger("MNU_EXIT");
        QTest::qWait(20);
        QVERIFY(boxes->seen.empty() && w->isVisible());
        QCOMPARE(penDigits[5], uint8_t(3));
    }

    // The board, the toolbar's pictures, the pointers and the program's icon
    // have a device pixel for each of the screen's (also run at twice the scale).
    void picturesAtTheScreensResolution() {
        const qreal ratio = qApp->devicePixelRatio();
        const std::string scale = ratio == 1 ? "" : "@" + std::to_string(int(ratio)) + "x";
        QCOMPARE_GOLDEN(board(), "dominoes" + scale);
        QImage icons(QSize(9 * 32, 32) * ratio, QImage::Format_ARGB32);
        icons.setDevicePixelRatio(ratio);
        icons.fill(Qt::transparent);
        QPainter p(&icons);
        int at = 0;
        for (int image : {1, 2, 3, 5, 6, 7, 13, 14})
            p.drawPixmap(32 * at++, 0, tbImgPicture(image));
        p.drawPixmap(32 * at, 0, programIcon());
        p.end();
        QCOMPARE_GOLDEN(icons, "icons" + scale);
        QTest::mouseMove(w->board(), QPoint(120, 140));
        QCOMPARE(w->cursor().pixmap().devicePixelRatio(), ratio);
        QCOMPARE(w->cursor().hotSpot(), QPoint(16, 16));
        click(1, 1);
        QCOMPARE(selCol, int16_t(1));
    }

    // A screen reader finds the board, the number box and the buttons by name,
    // and reads the selected cell from the board's description.
    void assistiveTechnologyReadsTheBoard() {
        auto read = [](QWidget* widget, QAccessible::Text text) {
            return QAccessible::queryAccessibleInterface(widget)->text(text);
        };
        QCOMPARE(read(w->board(), QAccessible::Name), QString("Board"));
        QCOMPARE(read(w->txtGN(), QAccessible::Name), QString("Puzzle number"));
        for (int16_t i : {1, 3, 4, 6, 7, 9})
            QCOMPARE(read(w->tb()->button(i), QAccessible::Name), w->tb()->button(i)->text());
        const std::pair<std::function<void()>, QString> steps[] = {
            {[] {}, "No cell selected"},
            {[this] { click(4, 2); }, "Row 2, column 4, cage of 13: empty"},
            {[this] { key(Qt::Key_5); }, "Row 2, column 4, cage of 13: 5 in pen"},
            {[this] { click(9, 1); }, "Row 1, column 9, cage of 9: empty"},
            {[this] { trigger("MNU_PEN_2"), key(Qt::Key_7); }, "Row 1, column 9, cage of 9: 7 in pencil"},
            {[this] { setSleepHook([](uint32_t) {}), trigger("MNU_CHK_ALL"); }, "Row 1, column 9, cage of 9: 7 in pencil, marked wrong"},
            {[this] { click(4, 2); }, "Row 2, column 4, cage of 13: 5 in pen, marked wrong"},
            {[this] { QTest::mouseClick(w->board(), Qt::LeftButton, {}, QPoint(10, 300)); }, "No cell selected"},
        };
        for (const auto& [act, said] : steps) {
            act();
            QCOMPARE(read(w->board(), QAccessible::Description), said);
        }
    }

    void navigationStartsTheChosenPuzzle() {
        // Each step: the command, then the puzzle shown, and whether the entry made before it survives.
        const std::tuple<const char*, int, bool> steps[] = {
            {"MNU_PREV", 1, true},  {"tb 3", 2, false},    {"MNU_NEXT", 3, false}, {"MNU_NEXT", 3, true},
            {"MNU_RST", 3, false},  {"tb 4", 3, false},    {"tb 1", 2, false},     {"MNU_PREV", 1, false},
        };
        for (const auto& [command, number, kept] : steps) {
            click(2, 2);
            key(Qt::Key_4);
            errorMarks[7] = 1;
            const std::string name = command;
            if (name.rfind("tb ", 0) == 0)
                toolbar(int16_t(name[3] - '0'));
            else
                trigger(command);
            QCOMPARE(puzzleNumber, int16_t(number));
            QCOMPARE(w->txtGN()->text(), QString::number(number));
            QCOMPARE(solution[1], samplePuzzle(number - 1).digits[0]);
            QCOMPARE(penDigits[11] == 4 && errorMarks[7] == 1 && selCol == 2, kept);
            QCOMPARE(selCol == 0 && selRow == 0, !kept);
        }
        QVERIFY(boxes->seen.empty());
    }

    void typedPuzzleNumbers() {
        for (const char* refused : {"0", "", "abc", "4", "0.6", "-2", "3.6"}) {
            typeNumber(refused);
            QCOMPARE(w->txtGN()->text(), QString("1"));
        }
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
        QCOMPARE(w->txtGN()->text(), QString("2"));  // No keeps the typed text
        QCOMPARE(penDigits[21], uint8_t(7));

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
        QCOMPARE(penDigits[21], uint8_t(0));  // the same number restarts the puzzle
    }

    void clicksSelectAndKeysWrite() {
        // Each step: a click (col, row, button) or a key; then the selection and the entries of cell 22.
        struct Step {
            QPoint click;
            Qt::MouseButton button;
            Qt::Key key;
            Qt::KeyboardModifiers mods;
            const char* menu;
            int col, row, pen, pencil;
        };
        const Step steps[] = {
            {{}, Qt::NoButton, Qt::Key_5, {}, nullptr, 0, 0, 0, 0},  // no selection, no entry
            {cellCentre(4, 3), Qt::RightButton, Qt::Key_5, {}, nullptr, 4, 3, 5, 0},
            {{}, Qt::NoButton, Qt::Key_4, Qt::KeypadModifier, nullptr, 4, 3, 4, 0},
            {{}, Qt::NoButton, Qt::Key_0, {}, nullptr, 4, 3, 4, 0},
            {{}, Qt::NoButton, Qt::Key_0, Qt::KeypadModifier, nullptr, 4, 3, 4, 0},
            {{}, Qt::NoButton, Qt::Key_A, {}, nullptr, 4, 3, 4, 0},
            {{}, Qt::NoButton, Qt::Key_Left, {}, nullptr, 4, 3, 4, 0},
            {{}, Qt::NoButton, Qt::Key_Down, {}, nullptr, 4, 3, 4, 0},
            {{}, Qt::NoButton, Qt::Key_Exclam, Qt::ShiftModifier, nullptr, 4, 3, 1, 0},
            {{}, Qt::NoButton, Qt::Key_7, {}, "MNU_PEN_2", 4, 3, 0, 7},
            {{}, Qt::NoButton, Qt::Key_9, Qt::KeypadModifier, nullptr, 4, 3, 0, 9},
            {{}, Qt::NoButton, Qt::Key_Space, {}, nullptr, 4, 3, 0, 0},
            {{}, Qt::NoButton, Qt::Key_3, Qt::ControlModifier, "MNU_PEN_1", 4, 3, 3, 0},
            {{}, Qt::NoButton, Qt::Key_Backspace, {}, nullptr, 4, 3, 0, 0},
            {{}, Qt::NoButton, Qt::Key_8, {}, nullptr, 4, 3, 8, 0},
            {{}, Qt::NoButton, Qt::Key_Delete, {}, "MNU_PEN_2", 4, 3, 0, 0},
            {{459, 459}, Qt::MiddleButton, Qt::Key_1, {}, nullptr, 9, 9, 0, 0},
            {{460, 300}, Qt::LeftButton, Qt::Key_2, {}, nullptr, 0, 0, 0, 0},  // the margin clears it
            {{300, 45}, Qt::LeftButton, Qt::Key_2, {}, nullptr, 0, 0, 0, 0},
        };
        for (const Step& s : steps) {
            if (s.menu)
                trigger(s.menu);
            if (s.button != Qt::NoButton)
                QTest::mouseClick(w->board(), s.button, {}, s.click);
            key(s.key, s.mods);
            QCOMPARE(selCol, int16_t(s.col));
            QCOMPARE(selRow, int16_t(s.row));
            QCOMPARE(penDigits[22], uint8_t(s.pen));
            QCOMPARE(pencilDigits[22], uint8_t(s.pencil));
        }
        QCOMPARE(pencilDigits[81], uint8_t(1));
        QVERIFY(boxes->seen.empty());

        // A click repaints unless it hits the cell already selected, even in the margin with nothing selected.
        auto mark = [this] { const_cast<QImage&>(w->board()->image()).setPixel(3, 300, qRgb(1, 2, 3)); };
        const std::pair<QPoint, bool> clicks[] = {{{20, 300}, true}, {cellCentre(6, 6), true}, {cellCentre(6, 6) + QPoint(20, 20), false}};
        for (const auto& [at, repaints] : clicks) {
            mark();
            QTest::mouseClick(w->board(), Qt::LeftButton, {}, at);
            QCOMPARE(board().pixel(3, 300) != qRgb(1, 2, 3), repaints);
        }
    }

    void escapeMinimizesTheWindow() {
        key(Qt::Key_Escape);
        QVERIFY(w->windowState() & Qt::WindowMinimized);
        QCOMPARE(selCol, int16_t(0));
    }

    void modesAndPointersFollowTheToolInUse() {
        const QImage arrow, pencil = tbImgPicture(13).toImage(), pen = tbImgPicture(14).toImage();
        const QImage bigPencil = tbImgPicture(5).toImage(), bigPen = tbImgPicture(6).toImage();
        // Each step: what the player does, then the mode and the pointer.
        const std::tuple<const char*, bool, QImage> steps[] = {
            {"board", false, pen},       {"tb 6", true, bigPencil}, {"toolbar", true, arrow},  {"board", true, pencil},
            {"window", true, arrow},     {"tb 7", false, bigPen},   {"tb 7", false, bigPen},   {"tb 2", false, bigPen},
            {"tb 5", false, bigPen},     {"tb 8", false, bigPen},   {"tb 1", false, arrow},    {"MNU_PEN_2", true, arrow},
            {"board", true, pencil},     {"tb 9", true, arrow},     {"MNU_PEN_1", false, arrow}, {"board", false, pen},
            {"tb 3", false, arrow},      {"board", false, pen},     {"tb 4", false, arrow},    {"MNU_PEN_2", true, arrow},
            {"MNU_NEXT", true, arrow},   {"board", true, pencil},   {"separator 5", true, arrow}, {"board", true, pencil},
            {"separator 8", true, arrow},
        };
        int step = 0;  // moves to the same point twice make one movement only
        for (const auto& [action, pencilInUse, pointer] : steps) {
            const std::string a = action;
            if (a == "board")
                QTest::mouseMove(w->board(), QPoint(200, 100 + ++step));
            else if (a == "toolbar")
                QTest::mouseMove(w->tb(), QPoint(350, 10 + ++step % 20));
            else if (a.rfind("separator ", 0) == 0)
                QTest::mouseMove(w->tb(), w->tb()->buttonRect(int16_t(a[10] - '0')).center());
            else if (a == "window")
                moveOver(w->centralWidget(), QPoint(300, 300));
            else if (a.rfind("tb ", 0) == 0)
                w->tb_ButtonClick(int16_t(a[3] - '0'));
            else
                trigger(action);
            QCOMPARE(pencilMode, pencilInUse);
            QCOMPARE(w->MNU_PEN(2)->isChecked(), pencilInUse);
            QCOMPARE(w->MNU_PEN(1)->isChecked(), !pencilInUse);
            QCOMPARE(w->tb()->Value(6), int(pencilInUse));
            QCOMPARE(w->tb()->Value(7), int(!pencilInUse));
            QCOMPARE(w->MousePointer(), int16_t(pointer.isNull() ? 0 : 99));
            QCOMPARE(cursorImage(w.get()), pointer);
            QCOMPARE(cursorImage(w->board()), pointer);
            if (!pointer.isNull())
                QCOMPARE(w->cursor().hotSpot(), QPoint(16, 16));
        }
        QCOMPARE(puzzleNumber, int16_t(3));  // the mode outlives a change of puzzle
    }

    void checkReportsOrCrossesThenMarks() {
        trigger("MNU_CHK_ALL");
        QCOMPARE(seenTexts(), QStringList{" No error found so far"});
        QCOMPARE(boxes->seen[0].title, QString("Sumgrid"));
        QCOMPARE(boxes->seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(!boxes->seen[0].hasIcon);

        std::vector<QImage> duringPause;
        setSleepHook([&](uint32_t ms) {
            QCOMPARE(ms, 500u);
            duringPause.push_back(boardOnScreen());
        });
        const int16_t a = cellAt(2, 2), b = cellAt(7, 8), right = cellAt(5, 5);
        trigger("MNU_PEN_2");
        click(2, 2);
        key(Qt::Key(Qt::Key_0 + solution[a] % 9 + 1));  // wrong, in pencil
        trigger("MNU_PEN_1");
        click(5, 5);
        key(Qt::Key(Qt::Key_0 + solution[right]));
        click(7, 8);
        key(Qt::Key(Qt::Key_0 + solution[b] % 9 + 1));  // wrong, in pen
        toolbar(9);
        QCOMPARE(boxes->seen.size(), size_t(1));  // no message when something is wrong
        QCOMPARE(duringPause.size(), size_t(1));  // one pause for all wrong cells
        QCOMPARE_GOLDEN(duringPause[0].copy(0, 46, 506, 460), "check-crosses");
        QCOMPARE(errorMarks[a] + errorMarks[b] + errorMarks[right], 2);
        QCOMPARE(errorMarks[a] + errorMarks[b], 2);
        QCOMPARE_GOLDEN(boardOnScreen().copy(0, 46, 506, 460), "check-marks");
        QCOMPARE(selCol, int16_t(7));

        // Corrected cells keep their marks, also through checks that find nothing wrong or a finished grid.
        click(2, 2);
        key(Qt::Key_Delete);
        click(7, 8);
        key(Qt::Key(Qt::Key_0 + solution[b]));
        trigger("MNU_CHK_ALL");
        fillSolution();
        trigger("MNU_CHK_ALL");
        QCOMPARE(seenTexts(), QStringList({" No error found so far", " No error found so far",
                                           "Great work - There are no mistakes. Continue...",
                                           " Congrats : puzzle completed successfully"}));
        QCOMPARE(boxes->seen[3].title, QString("Sumgrid"));
        QCOMPARE(errorMarks[a] + errorMarks[b], 2);
        QCOMPARE(duringPause.size(), size_t(1));
        key(Qt::Key_Delete);  // still playable
        QCOMPARE(penDigits[b], uint8_t(0));

        trigger("MNU_RST");
        QCOMPARE(errorMarks, CellArray(82, 0));
        QCOMPARE_GOLDEN(board(), "dominoes");
    }

    void loadingABook() {
        ScratchDir dir;
        const std::string other = dir.write("other.plix", bookBytes({recordBytes(samplePuzzle(5)), recordBytes(samplePuzzle(6))}));
        const std::string bad = dir.write("bad.wobe", "WOBX" + bookBytes({recordBytes(samplePuzzle(7))}).substr(4));
        trigger("MNU_NEXT");

        QStringList filters;
        QString directory;
        load("", &filters, &directory);
        QCOMPARE(filters.size(), 3);
        QVERIFY(filters[0].contains("(*.plix)") && filters[1].contains("(*.wobe)") && filters[2].contains("(*)"));
        QCOMPARE(directory, QString::fromStdString(folder()));
        QCOMPARE(puzzleNumber, int16_t(2));  // cancel changes nothing
        QCOMPARE(bookPath, defaultBook());

        load(other);
        QCOMPARE(bookPath, other);
        QCOMPARE(puzzleCount, 2);
        QCOMPARE(puzzleNumber, int16_t(1));
        QCOMPARE(w->txtGN()->text(), QString("1"));
        QCOMPARE(solution[1], samplePuzzle(5).digits[0]);
        QVERIFY(boxes->seen.empty());

        trigger("MNU_NEXT");
        load(bad);
        QCOMPARE(seenTexts(), QStringList{QString::fromStdString(fileError())});
        QCOMPARE(bookPath, other);  // the previous book stays open, at its puzzle 1
        QCOMPARE(puzzleNumber, int16_t(1));
        QCOMPARE(solution[1], samplePuzzle(5).digits[0]);
        QCOMPARE(w->txtGN()->text(), QString("1"));
    }

    void everyWayToAPuzzleLaysOutTheWindow() {
        ScratchDir dir;
        auto record = [](const char* board) { return recordBytes(boardScenario(board).puzzle()); };
        const std::string mixed = dir.write("mixed.wobe", bookBytes({record("side15"), record("side4"), record("side1"),
                                                                     recordBytes(samplePuzzle()), record("side6"),
                                                                     "PLIZ" + record("side1").substr(4)}));
        const std::string four = dir.write("four.wobe", bookBytes({record("side4")}));
        // Each step: how the player reaches a puzzle, then the side of the puzzle shown.
        const std::pair<std::string, int> steps[] = {
            {"load mixed", 15}, {"load four", 4}, {"load default", 9}, {"load mixed", 15}, {"MNU_NEXT", 4},
            {"type 3", 1},      {"MNU_NEXT", 9},  {"MNU_NEXT", 6},     {"MNU_NEXT", 6},    {"MNU_PREV", 6},
            {"type 2", 4},      {"MNU_RST", 4},   {"MNU_PREV", 15},    {"start four", 4}};
        // Each side: the window's client area (the menu bar's 19 pixels and the board) and the picture.
        const std::map<int, std::pair<QSize, const char*>> layouts = {
            {1, {{352, 157}, "side1"}}, {4, {{352, 295}, "side4"}},   {6, {{368, 387}, "side6"}},
            {9, {{506, 525}, "dominoes"}}, {15, {{782, 801}, "side15"}}};
        for (const auto& [way, side] : steps) {
            if (way.rfind("load ", 0) == 0) {
                load(way == "load mixed" ? mixed : way == "load four" ? four : defaultBook());
            } else if (way.rfind("type ", 0) == 0) {
                boxes->answer({QMessageBox::Yes});
                typeNumber(QString::fromStdString(way.substr(5)));
            } else if (way == "start four") {
                w.reset();
                std::filesystem::copy_file(four, defaultBook(), std::filesystem::copy_options::overwrite_existing);
                open();
            } else {
                trigger(way.c_str());
            }
            const auto& [client, picture] = layouts.at(side);
            QCOMPARE(int(gridSize), side);
            QCOMPARE(w->size(), client);
            QCOMPARE(w->board()->geometry(), QRect(0, 0, client.width(), client.height() - 19));
            QCOMPARE_GOLDEN(board(), picture);
            for (int16_t i : {1, 3, 4, 6, 7, 9})  // the whole toolbar shows
                QCOMPARE(w->tb()->button(i)->visibleRegion().boundingRect(), QRect(0, 0, 43, 36));
            QCOMPARE(w->txtGN()->visibleRegion().boundingRect(), QRect(0, 0, 62, 27));
            click(side, side);  // the last cell can be played
            key(Qt::Key_1);
            QCOMPARE(penDigits[cellCount], uint8_t(1));
            QTest::mouseClick(w->board(), Qt::LeftButton, {}, QPoint(client.width() - 10, 100));
            QCOMPARE(selCol, int16_t(0));  // right of the grid lies the margin
        }
        QCOMPARE(seenTexts(), QStringList({"Are you sure to change the puzzle?", QString::fromStdString(fileError()),
                                           "Are you sure to change the puzzle?"}));
    }

    void helpAndWebOpenThroughTheDesktop() {
        const FakeDesktop desktop;
        const ModelSnapshot before;
        trigger("MNU_HELP_HELP");
        trigger("MNU_WEB");
        trigger("MNU_HELP_HELP");
        const QString here = QString::fromStdString(folder());
        QTRY_COMPARE(desktop.opened().size(), 3);  // each started in the program's folder
        QCOMPARE(desktop.opened(), QStringList({here + "\t" + here + "/help.txt", here + "\t" + here + "/help.txt",
                                                here + "\thttps://www.quillmoor.example/"}));
        QVERIFY(boxes->seen.empty());
        QVERIFY(ModelSnapshot() == before);
    }

    void aboutBoxIsModalAndReused() {
        QStringList texts;
        frmAbout* first = nullptr;
        auto readAndClose = [&](Qt::Key closeWith) {
            whenModal<frmAbout>([&, closeWith](frmAbout* box) {
                first = first ? first : box;
                texts << box->windowTitle() << box->lblTitle->text() << box->lblVersion->text()
                      << box->lblDescription->text() << box->lblDisclaimer->text();
                QVERIFY(box->isModal() && QApplication::activeModalWidget() == box);
                const QLabel* credit = box->lblDescription;  // on one line, whole, inside the box
                QVERIFY(!credit->wordWrap() && credit->geometry().right() < box->width());
                QVERIFY(credit->fontMetrics().horizontalAdvance(credit->text()) <= credit->width());
                QVERIFY(credit->font().pointSizeF() >= 7);
                QTest::keyClick(box, closeWith);
            });
            trigger("MNU_ABOUT");
        };
        readAndClose(Qt::Key_Return);
        QCOMPARE(texts, QStringList({"About Sumgrid", "Sumgrid", "Version 0.1.21",
                                     " Sumgrid puzzles by Quillmoor, https://www.quillmoor.example/",
                                     "Only for personal use. Do not print /distribute these puzzles"}));
        QVERIFY(!w->aboutBox()->isVisible());
        readAndClose(Qt::Key_Escape);
        QCOMPARE(texts.mid(5), texts.mid(0, 5));
        QCOMPARE(w->aboutBox(), first);
        QCOMPARE(w->aboutBox()->size(), QSize(382, 237));
    }

    void withoutADefaultBookEveryCommandStaysSafe() {
        w.reset();
        std::filesystem::remove(defaultBook());
        clearModel();
        open();
        QCOMPARE(seenTexts(), QStringList{QString::fromStdString(fileError())});
        QCOMPARE(w->txtGN()->text(), QString("1"));
        click(3, 3);
        QCOMPARE_GOLDEN(board(), "empty");

        for (const char* item : {"MNU_NEXT", "MNU_PREV", "MNU_RST"})
            trigger(item);
        click(3, 3);
        key(Qt::Key_5);
        key(Qt::Key_Delete);
        typeNumber("1");
        trigger("MNU_CHK_ALL");
        QCOMPARE(seenTexts(), QStringList({QString::fromStdString(fileError()), " No error found so far"}));
        QCOMPARE(puzzleNumber, int16_t(1));
        QCOMPARE(cellCount, int16_t(0));
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
