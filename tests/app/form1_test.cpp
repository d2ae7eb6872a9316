// The main window as a player meets it: real clicks, keys, menu actions and
// modal boxes answered by the test. Most tests are tables of steps, each a
// line a player could follow: "click 4 3 right", "key 4 keypad", "menu
// MNU_NEXT", "tb 9" (a toolbar button), "type 2.5 yes" (a puzzle number,
// confirmed), "move board", "move button 3", "load PATH", "select 4 3" (the cell's action),
// "open Solving" (a menu opened and closed).
#include "about/frm_about.h"
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
#include <QtWidgets>
#include <QtTest>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

const QString fileError = " Error Opening the files. File corrupted. Open only PLIX files";
std::string defaultBook() { return App::Path() + "/puzzles/LEVEL-1.wobe"; }
QPoint cellCentre(int col, int row) { return QPoint(col * 46 + 23, row * 46 + 23); }

// Runs act on the next modal window of type T once it is up, from within its own event loop.
template <typename T, typename Act>
void whenModal(Act act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget()); window && window->isVisible()) {
            timer->deleteLater();
            timer->stop();
            act(window);
        }
    });
    timer->start(10);
}

// What a screen reader hears of the board, its cells and the number box: who, and the event.
QStringList heard;
void hear(QAccessibleEvent* event) {
    QAccessibleInterface* who = event->accessibleInterface();
    QAccessibleTableCellInterface* cell = who ? who->tableCellInterface() : nullptr;
    const QString name = cell ? QString("cell %1,%2").arg(cell->rowIndex() + 1).arg(cell->columnIndex() + 1) : who ? who->text(QAccessible::Name) : "";
    if (cell || name == "Board" || name == "Puzzle number")
        heard << name + " " + QMetaEnum::fromType<QAccessible::Event>().valueToKey(event->type());
}

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

    std::unique_ptr<BoxAnswerer> boxes;
    std::unique_ptr<Form1> w;
    int moves = 0;  // two movements to one point make one movement only: each goes a pixel further

    void open() {
        w = std::make_unique<Form1>();
        w->move(100, 100);  // away from the screen's edges, which a box centred on the window would cross
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    QImage board() { return w->board()->image(); }
    // The board as it stands on the screen now, below the toolbar, not as last drawn.
    QImage boardOnScreen() {
        const QPoint at = w->board()->mapTo(w.get(), QPoint(0, 46));
        return w->screen()->grabWindow(w->winId(), at.x(), at.y(), 506, 460).toImage();
    }
    QStringList seenTexts() {
        QStringList texts;
        std::transform(boxes->seen.begin(), boxes->seen.end(), std::back_inserter(texts), [](const SeenBox& b) { return b.text; });
        return texts;
    }
    QAccessibleTableInterface* table() { return QAccessible::queryAccessibleInterface(w->board())->tableInterface(); }
    QStringList cellNames() {  // of the cells among the board's accessible children
        QAccessibleInterface* board = QAccessible::queryAccessibleInterface(w->board());
        QStringList names;
        for (int i = 0; i < board->childCount(); ++i)
            if (board->child(i)->role() == QAccessible::Cell)
                names << board->child(i)->text(QAccessible::Name);
        return names;
    }
    QString state() { return QString("%1 %2 %3 %4").arg(selCol).arg(selRow).arg(penDigits[22]).arg(pencilDigits[22]); }

    void play(const QString& step) {
        const QStringList word = step.split(' ');
        const QString& verb = word[0];
        if (verb == "menu") {
            w->menuItem(qPrintable(word[1]))->trigger();
        } else if (verb == "tb") {  // a click on a button, or on the placeholder or a separator
            QAbstractButton* b = w->tb()->button(word[1].toShort());
            b ? QTest::mouseClick(b, Qt::LeftButton) : w->tb_ButtonClick(word[1].toShort());
        } else if (verb == "open") {  // a menu, opened and closed again without a choice
            QMenu* menu = w->menuBar()->findChild<QMenu*>("MNU_" + word[1].toUpper());
            menu->popup(w->mapToGlobal(QPoint(0, 0)));
            menu->close();
        } else if (step == "click number") {
            QTest::mouseClick(w->txtGN(), Qt::LeftButton);
        } else if (verb == "click") {  // a cell, or a point of the board ("click 460,300")
            const QStringList xy = word[1].split(',');
            const QPoint at = xy.size() == 2 ? QPoint(xy[0].toInt(), xy[1].toInt()) : cellCentre(word[1].toInt(), word[2].toInt());
            const auto button = step.endsWith("right") ? Qt::RightButton : step.endsWith("middle") ? Qt::MiddleButton : Qt::LeftButton;
            QTest::mouseClick(w->board(), button, {}, at);
        } else if (verb == "key") {  // "key 1 held": the press a key held down repeats; "key Shift": the key alone
            const std::map<QString, Qt::KeyboardModifier> mods = {
                {"", Qt::NoModifier}, {"keypad", Qt::KeypadModifier}, {"shift", Qt::ShiftModifier}, {"ctrl", Qt::ControlModifier}};
            const std::map<QString, Qt::Key> alone = {{"Shift", Qt::Key_Shift}, {"Ctrl", Qt::Key_Control}};
            const Qt::Key key = alone.count(word[1]) ? alone.at(word[1]) : Qt::Key(QKeySequence::fromString(word[1])[0].key());
            QWidget* to = QApplication::focusWidget() ? QApplication::focusWidget() : w->board();  // keys go where the focus is
            QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, word[1], true);
            if (word.value(2) == "held")
                QApplication::sendEvent(to, &repeat);
            else
                QTest::keyClick(to, key, mods.at(word.value(2)));
        } else if (verb == "type") {
            if (word.size() > 2)
                boxes->answer({word[2] == "yes" ? QMessageBox::Yes : QMessageBox::No});
            w->txtGN()->setText(step.section(' ', 1, 1));
            QTest::keyClick(w->txtGN(), Qt::Key_Return);
        } else if (verb == "move") {  // the pointer over the board, the toolbar, a separator or button, the bare window
            const std::map<QString, std::pair<QWidget*, QPoint>> over = {
                {"board", {w->board(), QPoint(200, 100 + ++moves % 50)}},
                {"toolbar", {w->tb(), QPoint(350, 10 + ++moves % 20)}},
                {"slot", {w->tb(), w->tb()->buttonRect(word.value(2).toShort()).center()}}};
            if (word[1] == "window") {
                QMouseEvent move(QEvent::MouseMove, QPointF(300, 300), QPointF(), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(w->centralWidget(), &move);
            } else {
                const auto& [widget, at] = over.at(word[1] == "board" || word[1] == "toolbar" ? word[1] : "slot");
                QTest::mouseMove(widget, at);
            }
        } else if (verb == "select") {
            QAccessibleActionInterface* cell = table()->cellAt(word[2].toInt() - 1, word[1].toInt() - 1)->actionInterface();
            QCOMPARE(cell->actionNames(), QStringList{"select"});
            cell->doAction("select");
        } else if (verb == "load") {
            load(step.section(' ', 1).toStdString());
        } else {
            QFAIL(qPrintable("no such step: " + step));
        }
    }
    // Chooses a book in the Open dialog, typed into its name box as a player would; nothing chosen cancels.
    void load(const std::string& path, QStringList* filters = nullptr, QString* directory = nullptr) {
        whenModal<QFileDialog>([=](QFileDialog* dialog) {
            if (filters)
                *filters = dialog->nameFilters(), *directory = dialog->directory().absolutePath();
            if (path.empty())
                return dialog->reject();
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        play("menu MNU_LOAD_PUZZLE");
    }

private slots:
    // The model as the program starts, before any window or test touches it:
    // no book, puzzle 1, and digits go in pen.
    void initTestCase() { QVERIFY(bookPath.empty() && puzzleCount == 0 && puzzleNumber == 1 && !pencilMode); }
    void init() {
        std::filesystem::create_directories(App::Path() + "/puzzles");
        std::ofstream(defaultBook(), std::ios::binary)
            << bookBytes({recordBytes(samplePuzzle(0)), recordBytes(samplePuzzle(1)), recordBytes(samplePuzzle(2))});
        clearModel();
        pencilMode = false;
        boxes = std::make_unique<BoxAnswerer>();
        open();
    }
    void cleanup() {
        for (const SeenBox& box : boxes->seen) {  // every box stands over the main window
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
        QCOMPARE(QString("%1 %2 ").arg(puzzleNumber).arg(puzzleCount) + bookPath.c_str(), "1 3 " + QString::fromStdString(defaultBook()));
        QVERIFY(boxes->seen.empty());
        QCOMPARE_GOLDEN(board(), "dominoes");
        QCOMPARE(boardOnScreen(), board().copy(0, 46, 506, 460));

        // The client area holds the menu bar and the board; the toolbar lies across the board's top margin.
        QCOMPARE(w->size(), QSize(506, 525));
        QCOMPARE(w->board()->geometry(), QRect(0, 0, 506, 506));
        QCOMPARE(w->tb()->geometry(), QRect(0, 0, 352, 38));
        QCOMPARE_GOLDEN(w->tb()->grab().toImage(), "toolbar");
        QCOMPARE(w->txtGN()->geometry(), QRect(51, 5, 62, 27));
        QCOMPARE(w->tb()->Value(7) * 10 + w->tb()->Value(6), 10);
        QVERIFY(penMode && !pencilMode);
        QCOMPARE(w->MousePointer(), int16_t(0));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->board()));
        QTest::keyClick(w->board(), Qt::Key_Tab);  // Tab goes to the board like any other key
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
        penDigits[5] = 3;  // Print and Exit do nothing
        play("menu MNU_PRINT");
        play("menu MNU_EXIT");
        QTest::qWait(20);
        QVERIFY(boxes->seen.empty() && w->isVisible() && penDigits[5] == 3);
    }

    // The board, the toolbar's pictures, the pointers and the program's icon
    // have a device pixel for each of the screen's (also run at twice the scale).
    void picturesAtTheScreensResolution() {
        const qreal ratio = qApp->devicePixelRatio();
        const std::string scale = ratio == 1 ? "" : "@" + std::to_string(int(ratio)) + "x";
        QCOMPARE_GOLDEN(board(), "dominoes" + scale);
        for (int image : {1, 2, 3, 5, 6, 7, 13, 14, 0})  // 0: the program's icon
            QCOMPARE_GOLDEN((image ? tbImgPicture(image) : programIcon()).toImage(), "icon" + std::to_string(image) + scale, 2);
        play("move board");
        QCOMPARE(w->cursor().pixmap().devicePixelRatio(), ratio);
        QCOMPARE(w->cursor().hotSpot(), QPoint(16, 16));
    }

    // A screen reader finds the board, the number box and the buttons by name,
    // and reads the selected cell from the board's description.
    void assistiveTechnologyReadsTheBoard() {
        auto read = [](QWidget* widget, QAccessible::Text text) { return QAccessible::queryAccessibleInterface(widget)->text(text); };
        QCOMPARE(read(w->board(), QAccessible::Name) + ", " + read(w->txtGN(), QAccessible::Name), QString("Board, Puzzle number"));
        for (int16_t i : {1, 3, 4, 6, 7, 9})
            QCOMPARE(read(w->tb()->button(i), QAccessible::Name), w->tb()->button(i)->text());
        setSleepHook([](uint32_t) {});
        const std::pair<QStringList, QString> steps[] = {
            {{}, "No cell selected"},
            {{"click 4 2"}, "Row 2, column 4, cage of 13: empty"},
            {{"key 5"}, "Row 2, column 4, cage of 13: 5 in pen"},
            {{"click 9 1"}, "Row 1, column 9, cage of 9: empty"},
            {{"menu MNU_PEN_2", "key 7"}, "Row 1, column 9, cage of 9: 7 in pencil"},
            {{"menu MNU_CHK_ALL"}, "Row 1, column 9, cage of 9: 7 in pencil, marked wrong\nCheck: 2 cells wrong"},
            {{"click 4 2"}, "Row 2, column 4, cage of 13: 5 in pen, marked wrong"},
            {{"click 1 5"}, "Row 5, column 1, cage of 11: empty"},
            {{"click 10,300"}, "No cell selected"},
            {{"click 4 2", "key Del", "click 9 1", "key Del", "click 10,300", "menu MNU_CHK_ALL"}, "No cell selected\n No error found so far"},
        };
        for (const auto& [acts, said] : steps) {
            for (const QString& act : acts)
                play(act);
            QCOMPARE(read(w->board(), QAccessible::Description), said);
        }
    }

    // To a screen reader the board is a table of named cells, the selected one
    // selected; a cell's action selects it as a click does, so that the next
    // key writes there. Each change is heard once: a cell's name only when it
    // changed, the board's description, the selection, the puzzle number.
    void assistiveTechnologyPlaysTheBoard() {
        QCOMPARE(cellNames().size() + table()->rowCount() * table()->columnCount(), 81 + 81);
        setSleepHook([](uint32_t) {});
        const QString wrong = QString::number(solution[cellAt(7, 5)] % 9 + 1);
        const std::pair<QString, QString> steps[] = {
            {"click 10,300", "Board TableModelChanged"},  // the first repaint it hears of tells the whole table
            {"click 2 3", "Board DescriptionChanged, cell 3,2 StateChanged"},
            {"key 5", "Board DescriptionChanged"},
            {"click number", "Puzzle number Focus"},
            {"select 7 5", "Board Focus, Board DescriptionChanged, cell 3,2 StateChanged, cell 5,7 StateChanged"},
            {"key " + wrong, "Board DescriptionChanged"},
            {"menu MNU_CHK_ALL", "Board DescriptionChanged"},
            {"menu MNU_NEXT", "Board DescriptionChanged, cell 5,7 StateChanged, Puzzle number TextUpdated"},
            {"menu MNU_RST", ""},
        };
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);  // as when a screen reader listens
        QAccessible::installUpdateHandler(hear);
        for (const auto& [step, told] : steps) {
            const QStringList before = cellNames();
            heard.clear();
            play(step);
            QStringList expected = told.split(", ", Qt::SkipEmptyParts), after = cellNames();
            for (int i = 0; i < after.size(); ++i)
                if (after[i] != before.value(i))
                    expected << QString("cell %1,%2 NameChanged").arg(i / 9 + 1).arg(i % 9 + 1);
            heard.sort(), expected.sort();
            QCOMPARE(heard, expected);
            if (step == "menu MNU_CHK_ALL")
                QCOMPARE(after[4 * 9 + 6], "Row 5, column 7, cage of 5, 2 cells: " + wrong + " in pen, marked wrong");
        }
        QAccessible::installUpdateHandler(nullptr);
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(false);
        QCOMPARE(table()->cellAt(0, 8)->text(QAccessible::Name), "Row 1, column 9, cage of 1, 1 cell: empty");
    }

    void navigationStartsTheChosenPuzzle() {
        // Each step, then the puzzle shown and whether the work done on the board before it survives.
        const std::tuple<const char*, int, bool> steps[] = {
            {"menu MNU_PREV", 1, true}, {"tb 3", 2, false},   {"menu MNU_NEXT", 3, false}, {"menu MNU_NEXT", 3, true},
            {"menu MNU_RST", 3, false}, {"tb 4", 3, false},   {"tb 1", 2, false},          {"menu MNU_PREV", 1, false},
            {"type 3 yes", 3, false},   {"type 3 no", 3, true}, {"type 1 yes", 1, false},  {"type 2.5 yes", 2, false},
            {"type 1.5 yes", 2, false}, {"type 3e0 yes", 3, false},
        };
        for (const auto& [step, number, kept] : steps) {
            play("click 2 2");
            play("key 4");
            errorMarks[7] = 1;
            play(step);
            QCOMPARE(puzzleNumber, int16_t(number));
            QCOMPARE(w->txtGN()->text(), QString(step).endsWith(" no") ? QString(step).section(' ', 1, 1) : QString::number(number));
            QCOMPARE(solution[1], samplePuzzle(number - 1).digits[0]);
            QCOMPARE(penDigits[11] == 4 && errorMarks[7] == 1 && selCol == 2, kept);
            QCOMPARE(selCol == 0 && selRow == 0, !kept);
        }
    }

    void typedPuzzleNumbers() {
        for (const char* refused : {"0", "", "abc", "4", "0.6", "-2", "3.6"}) {
            play(QString("type ") + refused);
            QCOMPARE(w->txtGN()->text(), QString("1"));  // silently
        }
        QVERIFY(boxes->seen.empty());
        play("type 2 no");
        QCOMPARE(w->txtGN()->text(), QString("2"));  // No keeps the typed text
        const SeenBox& asked = boxes->seen.at(0);
        QCOMPARE(asked.text + " | " + asked.title + (asked.hasIcon ? " | icon" : ""),
                 QString("Are you sure to change the puzzle? | Sumgrid - Alert"));
        QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(asked.defaultButton, QMessageBox::Yes);
    }

    void clicksSelectAndKeysWrite() {
        // Each step, then the selection and the pen and pencil entries of cell 22 (column 4, row 3).
        const std::pair<const char*, const char*> steps[] = {
            {"key 5", "0 0 0 0"},           {"click 4 3 right", "4 3 0 0"}, {"key 5", "4 3 5 0"},
            {"key 4 keypad", "4 3 4 0"},    {"key 0", "4 3 4 0"},           {"key 0 keypad", "4 3 4 0"},
            {"key A", "4 3 4 0"},           {"key Left", "4 3 4 0"},        {"key Down", "4 3 4 0"},
            {"key ! shift", "4 3 1 0"},     {"key 2", "4 3 2 0"},           {"key 9", "4 3 9 0"},
            {"menu MNU_PEN_2", "4 3 9 0"},  {"key 7", "4 3 0 7"},           {"key 9 keypad", "4 3 0 9"},
            {"key Space", "4 3 0 0"},       {"menu MNU_PEN_1", "4 3 0 0"},  {"key 3 ctrl", "4 3 3 0"},
            {"key Backspace", "4 3 0 0"},   {"key 8", "4 3 8 0"},           {"menu MNU_PEN_2", "4 3 8 0"},
            {"key Del", "4 3 0 0"},         {"key 1 keypad", "4 3 0 1"},    {"key Esc", "4 3 0 1"},
            {"click 459,459 middle", "9 9 0 1"}, {"key 2", "9 9 0 1"},      {"click 460,300", "0 0 0 1"},
            {"click 300,45", "0 0 0 1"},    {"key 2", "0 0 0 1"},           {"click 46,46", "1 1 0 1"},
            {"click number", "1 1 0 1"},    {"click 4 3", "4 3 0 1"},       {"key 6", "4 3 0 6"},
        };
        for (const auto& [step, after] : steps) {
            play(step);
            QCOMPARE(state(), QString(after));
        }
        QCOMPARE(pencilDigits[81], uint8_t(2));
        QVERIFY(w->windowState() & Qt::WindowMinimized);  // Escape minimizes the window
        QVERIFY(boxes->seen.empty());

        // A click repaints unless it hits the cell already selected, even in the margin with nothing selected.
        const std::pair<const char*, bool> clicks[] = {{"click 20,300", true}, {"click 6 6", true}, {"click 290,290", false}};
        for (const auto& [step, repaints] : clicks) {
            const_cast<QImage&>(w->board()->image()).setPixel(3, 300, qRgb(1, 2, 3));
            play(step);
            QCOMPARE(board().pixel(3, 300) != qRgb(1, 2, 3), repaints);
        }
    }

    // On a grid of twelve a digit key right after the key that wrote a 1 in the
    // cell writes the number of two digits when it fits, and Check reads it; a
    // key held down never adds to the 1, Shift or Ctrl alone between the two keys
    // changes nothing.
    void twoKeysWriteTheNumbersAboveNine() {
        ScratchDir dir;
        TestPuzzle twelve{12, {}, {}};
        for (int i = 0; i < 144; ++i)
            twelve.cages.push_back(uint8_t(i / 12)), twelve.digits.push_back(uint8_t((i / 12 + i % 12) % 12 + 1));
        load(dir.write("twelve.wobe", bookBytes({recordBytes(twelve)})));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        // Each step, then the selection and the pen and pencil entries of cell 22 (column 10, row 2).
        const std::pair<const char*, const char*> steps[] = {
            {"click 10 2", "10 2 0 0"},     {"key 1", "10 2 1 0"},          {"key 0", "10 2 10 0"},
            {"key 1", "10 2 1 0"},          {"key 2", "10 2 12 0"},         {"key 1", "10 2 1 0"},
            {"key 3", "10 2 3 0"},          {"key 2", "10 2 2 0"},          {"key 1", "10 2 1 0"},
            {"click 3 3", "3 3 1 0"},       {"click 10 2", "10 2 1 0"},     {"key 0", "10 2 1 0"},
            {"key 1 keypad", "10 2 1 0"},   {"key 1 keypad", "10 2 11 0"},  {"key 1", "10 2 1 0"},
            {"tb 8", "10 2 1 0"},           {"key 2", "10 2 2 0"},          {"key 1", "10 2 1 0"},
            {"menu MNU_PEN_2", "10 2 1 0"}, {"key 0", "10 2 1 0"},          {"key 1", "10 2 0 1"},
            {"key 1", "10 2 0 11"},         {"key 1", "10 2 0 1"},          {"key Left", "10 2 0 1"},
            {"key 0 keypad", "10 2 0 1"},   {"key 1", "10 2 0 1"},          {"key Del", "10 2 0 0"},
            {"key 2", "10 2 0 2"},          {"key 1", "10 2 0 1"},          {"open Solving", "10 2 0 1"},
            {"key 0", "10 2 0 1"},          {"key 1 held", "10 2 0 1"},     {"key 1 held", "10 2 0 1"},
            {"key Shift", "10 2 0 1"},      {"key Ctrl", "10 2 0 1"},       {"key 2", "10 2 0 12"},
            {"key 1", "10 2 0 1"},          {"key 1 held", "10 2 0 1"},
        };
        for (const auto& [step, after] : steps) {
            play(step);
            QCOMPARE(state(), QString(after));
        }
        setSleepHook([](uint32_t) {});
        for (int16_t i = 1; i <= 144; ++i)
            penDigits[i] = i == 22 ? 0 : solution[i];
        for (const char* step : {"key 1", "key 2", "menu MNU_CHK_ALL", "key 1", "key 1", "menu MNU_CHK_ALL"})
            play(step);
        QCOMPARE(std::count(errorMarks.begin(), errorMarks.end(), 1) * 100 + pencilDigits[22], 111);
        QCOMPARE(seenTexts(), QStringList({"Great work - There are no mistakes. Continue...", " Congrats : puzzle completed successfully"}));
    }

    void modesAndPointersFollowTheToolInUse() {
        const QImage arrow, pencil = tbImgPicture(13).toImage(), pen = tbImgPicture(14).toImage();
        const QImage bigPencil = tbImgPicture(5).toImage(), bigPen = tbImgPicture(6).toImage();
        // Each step, then whether the pencil is in use and the pointer shown.
        const std::tuple<const char*, bool, QImage> steps[] = {
            {"move board", false, pen},     {"tb 6", true, bigPencil},        {"move toolbar", true, arrow},
            {"move board", true, pencil},   {"move window", true, arrow},     {"tb 7", false, bigPen},
            {"tb 7", false, bigPen},        {"tb 2", false, bigPen},          {"tb 5", false, bigPen},
            {"tb 8", false, bigPen},        {"tb 1", false, arrow},           {"menu MNU_PEN_2", true, arrow},
            {"move board", true, pencil},   {"tb 9", true, arrow},            {"menu MNU_PEN_1", false, arrow},
            {"move board", false, pen},     {"tb 3", false, arrow},           {"move board", false, pen},
            {"tb 4", false, arrow},         {"menu MNU_PEN_2", true, arrow},  {"menu MNU_NEXT", true, arrow},
            {"move board", true, pencil},   {"move separator 5", true, arrow}, {"move board", true, pencil},
            {"move separator 8", true, arrow}, {"move board", true, pencil},   {"move button 3", true, arrow},
        };
        for (const auto& [step, pencilInUse, pointer] : steps) {
            play(step);
            QCOMPARE(pencilMode, pencilInUse);
            QCOMPARE(w->MNU_PEN(2)->isChecked() && !w->MNU_PEN(1)->isChecked(), pencilInUse);
            QCOMPARE(w->tb()->Value(6) * 10 + w->tb()->Value(7), pencilInUse ? 10 : 1);
            QCOMPARE(w->MousePointer(), int16_t(pointer.isNull() ? 0 : 99));
            QCOMPARE(w->cursor().pixmap().toImage(), pointer);
            QCOMPARE(w->board()->cursor().pixmap().toImage(), pointer);
        }
        QCOMPARE(puzzleNumber, int16_t(3));  // the mode outlives a change of puzzle
    }

    void checkReportsOrCrossesThenMarks() {
        play("menu MNU_CHK_ALL");
        const SeenBox& told = boxes->seen.at(0);
        QCOMPARE(told.text + " | " + told.title + (told.hasIcon ? " | icon" : ""), QString(" No error found so far | Sumgrid"));
        QCOMPARE(told.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

        std::vector<QImage> duringPause;
        setSleepHook([&](uint32_t ms) { duringPause.push_back(ms == 500 ? boardOnScreen() : QImage()); });
        const int16_t a = cellAt(2, 2), b = cellAt(7, 8);
        for (const QString& step : QStringList{"menu MNU_PEN_2", "click 2 2", "key " + QString::number(solution[a] % 9 + 1), "menu MNU_PEN_1",
                                    "click 5 5", "key " + QString::number(solution[cellAt(5, 5)]), "click 7 8",
                                    "key " + QString::number(solution[b] % 9 + 1), "tb 9"})
            play(step);
        QCOMPARE(boxes->seen.size(), size_t(1));  // no message when something is wrong
        QCOMPARE(duringPause.size(), size_t(1));  // one pause of half a second for all the wrong cells
        QCOMPARE_GOLDEN(duringPause[0], "check-crosses");
        QCOMPARE_GOLDEN(boardOnScreen(), "check-marks");
        QCOMPARE(std::count(errorMarks.begin(), errorMarks.end(), 1), 2);

        // Corrected cells keep their marks, also through checks that find nothing wrong or a finished grid.
        for (const QString& step : QStringList{"click 2 2", "key Del", "click 7 8", "key " + QString::number(solution[b]), "menu MNU_CHK_ALL"})
            play(step);
        for (int16_t i = 1; i <= 81; ++i)
            (i % 3 ? penDigits : pencilDigits)[i] = solution[i];
        play("menu MNU_CHK_ALL");
        QCOMPARE(seenTexts(), QStringList({" No error found so far", " No error found so far",
                                           "Great work - There are no mistakes. Continue...", " Congrats : puzzle completed successfully"}));
        QCOMPARE(boxes->seen[2].title + boxes->seen[3].title, QString("SumgridSumgrid"));
        QCOMPARE(errorMarks[a] + errorMarks[b], 2);
        QCOMPARE(duringPause.size(), size_t(1));
        play("key Del");  // still playable
        QCOMPARE(penDigits[b], uint8_t(0));
        play("menu MNU_RST");
        QCOMPARE_GOLDEN(board(), "dominoes");
    }

    void loadingABook() {
        ScratchDir dir;
        const std::string other = dir.write("other.plix", bookBytes({recordBytes(samplePuzzle(5)), recordBytes(samplePuzzle(6))}));
        play("menu MNU_NEXT");
        QStringList filters;
        QString directory;
        load("", &filters, &directory);
        QCOMPARE(filters.size(), 3);
        QVERIFY(filters[0].contains("(*.plix)") && filters[1].contains("(*.wobe)") && filters[2].contains("(*)"));
        QCOMPARE(directory, QString::fromStdString(App::Path()));
        QCOMPARE(puzzleNumber, int16_t(2));  // cancel changes nothing
        QCOMPARE(bookPath, defaultBook());

        // A good book opens at its puzzle 1; a bad one leaves the book that was open, at its puzzle 1.
        for (const std::string& path : {other, dir.write("bad.wobe", "WOBX" + bookBytes({recordBytes(samplePuzzle(7))}).substr(4))}) {
            play("menu MNU_NEXT");
            load(path);
            QCOMPARE(bookPath, other);
            QCOMPARE(puzzleCount * 100 + puzzleNumber, 201);
            QCOMPARE(w->txtGN()->text(), QString("1"));
            QCOMPARE(solution[1], samplePuzzle(5).digits[0]);
        }
        QCOMPARE(seenTexts(), QStringList{fileError});
    }

    void everyWayToAPuzzleLaysOutTheWindow() {
        ScratchDir dir;
        auto record = [](const char* board) { return recordBytes(boardScenario(board).puzzle()); };
        const std::string mixed = dir.write("mixed.wobe", bookBytes({record("side15"), record("side4"), record("side1"),
                                                                     recordBytes(samplePuzzle()), record("side6"),
                                                                     "PLIZ" + record("side1").substr(4)}));
        const std::string four = dir.write("four.wobe", bookBytes({record("side4")}));
        // Each way to a puzzle, then the side of the puzzle shown.
        const std::pair<std::string, int> steps[] = {
            {"load " + mixed, 15}, {"load " + four, 4}, {"load " + defaultBook(), 9}, {"load " + mixed, 15},
            {"menu MNU_NEXT", 4},  {"type 3 yes", 1},   {"menu MNU_NEXT", 9},         {"menu MNU_NEXT", 6},
            {"menu MNU_NEXT", 6},  {"menu MNU_PREV", 6}, {"type 2 yes", 4},           {"menu MNU_RST", 4},
            {"menu MNU_PREV", 15}, {"start", 4}};
        // Each side: the window's client area (the menu bar's 19 pixels and the board) and the picture.
        const std::map<int, std::pair<QSize, const char*>> layouts = {
            {1, {{352, 157}, "side1"}}, {4, {{352, 295}, "side4"}}, {6, {{368, 387}, "side6"}}, {9, {{506, 525}, "dominoes"}},
            {15, {{782, 801}, "side15"}}};
        for (const auto& [way, side] : steps) {
            if (way == "start") {  // with a book whose first puzzle is 4 x 4
                w.reset();
                std::filesystem::copy_file(four, defaultBook(), std::filesystem::copy_options::overwrite_existing);
                open();
            } else {
                play(QString::fromStdString(way));
            }
            const auto& [client, picture] = layouts.at(side);
            QCOMPARE(int(gridSize), side);
            QCOMPARE(w->size(), client);
            QCOMPARE(w->board()->geometry(), QRect(0, 0, client.width(), client.height() - 19));
            QCOMPARE_GOLDEN(board(), picture);
            QCOMPARE(cellNames().size(), side * side);
            for (int16_t i : {1, 3, 4, 6, 7, 9})  // the whole toolbar shows
                QCOMPARE(w->tb()->button(i)->visibleRegion().boundingRect(), QRect(0, 0, 43, 36));
            QCOMPARE(w->txtGN()->visibleRegion().boundingRect(), QRect(0, 0, 62, 27));
            play(QString("click %1 %1").arg(side));  // the last cell can be played
            play("key 1");
            QCOMPARE(penDigits[cellCount], uint8_t(1));
            const QString said = QAccessible::queryAccessibleInterface(w->board())->text(QAccessible::Description);
            QVERIFY2(said.startsWith(QString("Row %1, column %1, ").arg(side)), qPrintable(said));
            play(QString("click %1,100").arg(client.width() - 10));
            QCOMPARE(selCol, int16_t(0));  // right of the grid lies the margin
        }
        QCOMPARE(seenTexts(), QStringList({"Are you sure to change the puzzle?", fileError, "Are you sure to change the puzzle?"}));
    }

    void helpAndWebOpenThroughTheDesktop() {
        const FakeDesktop desktop;
        const ModelSnapshot before;
        for (const char* item : {"MNU_HELP_HELP", "MNU_WEB", "MNU_HELP_HELP"})
            play(QString("menu ") + item);
        const QString here = QString::fromStdString(App::Path());
        QTRY_COMPARE(desktop.opened().size(), 3);  // each started in the program's folder
        QCOMPARE(desktop.opened(), QStringList({here + "\t" + here + "/help.txt", here + "\t" + here + "/help.txt",
                                                here + "\thttps://www.quillmoor.example/"}));
        QVERIFY(boxes->seen.empty());
        QVERIFY(ModelSnapshot() == before);
    }

    // What the box shows is taken while it is up and judged once it is closed.
    void aboutBoxIsModalAndReused() {
        QStringList texts;
        std::vector<QImage> pictures;
        frmAbout* first = nullptr;
        for (Qt::Key closeWith : {Qt::Key_Return, Qt::Key_Escape}) {
            whenModal<frmAbout>([&, closeWith](frmAbout* box) {
                first = first ? first : box;
                const QLabel* credit = box->lblDescription;  // on one line, whole, inside the box
                const bool oneLine = !credit->wordWrap() && credit->geometry().right() < box->width() &&
                                     credit->fontMetrics().horizontalAdvance(credit->text()) <= credit->width();
                texts << box->windowTitle() + (box->isModal() && oneLine && credit->font().pointSizeF() >= 7 ? ", modal" : "");
                pictures.push_back(box->grab().toImage());
                QTest::keyClick(box, closeWith);
            });
            play("menu MNU_ABOUT");
        }
        QCOMPARE_GOLDEN(pictures.at(0), "about");  // its texts, the web address on one line
        QCOMPARE(texts, QStringList({"About Sumgrid, modal", "About Sumgrid, modal"}));
        QCOMPARE(pictures.at(1), pictures.at(0));
        QCOMPARE(w->aboutBox(), first);
        QVERIFY(!first->isVisible());
    }

    void withoutADefaultBookEveryCommandStaysSafe() {
        w.reset();
        std::filesystem::remove(defaultBook());
        clearModel();
        open();
        QCOMPARE(seenTexts(), QStringList{fileError});
        QCOMPARE(w->txtGN()->text(), QString("1"));
        play("click 3 3");
        QCOMPARE_GOLDEN(board(), "empty");
        for (const char* step : {"menu MNU_NEXT", "menu MNU_PREV", "menu MNU_RST", "click 3 3", "key 5", "key Del", "type 1",
                                 "menu MNU_CHK_ALL"})
            play(step);
        QCOMPARE(seenTexts(), QStringList({fileError, " No error found so far"}));
        QCOMPARE(puzzleNumber * 1000 + cellCount, 1000);
        QCOMPARE(QAccessible::queryAccessibleInterface(w->board())->text(QAccessible::Description), QString("No puzzle\n No error found so far"));
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
