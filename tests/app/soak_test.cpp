// A long random game: clicks anywhere, keys of every kind, menu and toolbar
// commands with their boxes answered, books good and bad loaded; after every
// event the model must still hold together.
#include "about/frm_about.h"
#include "app/form1.h"
#include "model/book.h"
#include "model/puzzle.h"
#include "platform/app_info.h"
#include "platform/picturebox.h"
#include "platform/shell.h"
#include "platform/sleep.h"
#include "platform/toolbar.h"
#include "support/model_invariants.h"
#include "support/test_book.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

constexpr int eventCount = 100000;

// A small generator of our own, so that the same seed plays the same game everywhere.
struct Dice {
    uint64_t state;
    int below(int n) {
        state += 0x9e3779b97f4a7c15ull;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return int((z ^ (z >> 31)) % uint64_t(n));
    }
};

const Qt::Key keys[] = {Qt::Key_0,      Qt::Key_1,     Qt::Key_2,         Qt::Key_3,     Qt::Key_4,     Qt::Key_5,
                        Qt::Key_6,      Qt::Key_7,     Qt::Key_8,         Qt::Key_9,     Qt::Key_Delete, Qt::Key_Backspace,
                        Qt::Key_Space,  Qt::Key_Left,  Qt::Key_Right,     Qt::Key_Up,    Qt::Key_Down,  Qt::Key_A,
                        Qt::Key_Z,      Qt::Key_Return, Qt::Key_Enter,    Qt::Key_Tab,   Qt::Key_F1,    Qt::Key_Home,
                        Qt::Key_Exclam, Qt::Key_Minus, Qt::Key_Period,    Qt::Key_Shift, Qt::Key_Insert, Qt::Key_Escape};

}  // namespace

class SoakTest : public QObject {
    Q_OBJECT

    Dice dice{20261206};
    std::vector<std::string> books;  // good ones first, then bad ones
    int boxesAnswered = 0, dialogsAnswered = 0;
    QWidget* pending = nullptr;  // answered, the answer not carried out yet

    // Answers whatever modal window is up: Yes or No at random, a book or a
    // cancel in the Open dialog, OK in the About box.
    void answerModal() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal == pending)
            return;
        pending = modal;
        QTimer::singleShot(0, modal, [this] { pending = nullptr; });
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            ++boxesAnswered;
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            QAbstractButton* no = box->button(QMessageBox::No);
            QAbstractButton* press = yes && no ? (dice.below(2) ? yes : no) : box->button(QMessageBox::Ok);
            QTimer::singleShot(0, press, &QAbstractButton::click);  // outside this slot: what it opens is answered too
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            ++dialogsAnswered;
            const int choice = dice.below(int(books.size()) + 1);
            if (choice == int(books.size())) {
                QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
                return;
            }
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(books[size_t(choice)]));
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        } else if (auto* about = qobject_cast<frmAbout*>(modal)) {
            QTimer::singleShot(0, about->cmdOK, &QAbstractButton::click);
        }
    }

private slots:
    void randomPlayKeepsTheModelWhole() {
        ScratchDir dir;
        std::vector<std::string> good;
        for (int v = 0; v < 4; ++v)
            good.push_back(recordBytes(samplePuzzle(v)));
        const std::string defaultBook = App::Path() + "/puzzles/LEVEL-1.wobe";
        std::filesystem::create_directories(App::Path() + "/puzzles");
        std::ofstream(defaultBook, std::ios::binary) << bookBytes(good);
        TestPuzzle small;
        small.side = 4;
        small.cages = {0, 0, 1, 1, 2, 2, 1, 3, 4, 5, 5, 3, 4, 6, 6, 3};
        small.digits = {1, 2, 3, 4, 3, 4, 1, 2, 2, 1, 4, 3, 4, 3, 2, 1};
        books = {defaultBook, dir.write("two.wobe", bookBytes({good[2], good[3]})),
                 dir.write("small.plix", bookBytes({recordBytes(small), good[0]})),
                 dir.write("magic.wobe", "WOBB" + bookBytes(good).substr(4)),
                 dir.write("short.wobe", bookBytes(good).substr(0, 300)),
                 dir.write("record.wobe", bookWithTable(2, {16, 16 + 167}, recordBytes(samplePuzzle()) + "PLIZ")),
                 dir.path("missing.wobe")};

        setSleepHook([](uint32_t) {});
        setShellOpener([](const std::string&, const std::string&, const std::string&) {});
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, this, &SoakTest::answerModal);
        answerer.start(1);

        Form1 w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QList<QAction*> commands = w.menuBar()->findChildren<QAction*>();
        QVERIFY(commands.size() >= 12);

        for (int event = 0; event < eventCount; ++event) {
            const int kind = dice.below(1000);
            if (kind < 350) {
                const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
                QTest::mouseClick(w.board(), buttons[dice.below(3)], {}, QPoint(dice.below(506), dice.below(506)));
            } else if (kind < 800) {
                const Qt::Key key = keys[size_t(dice.below(std::size(keys)))];
                const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::KeypadModifier, Qt::ShiftModifier,
                                                      Qt::ControlModifier};
                QTest::keyClick(w.board(), key, mods[dice.below(4)]);
            } else if (kind < 850) {
                QWidget* over[] = {w.board(), w.tb(), w.centralWidget()};
                QWidget* target = over[dice.below(3)];
                QMouseEvent move(QEvent::MouseMove, QPointF(dice.below(target->width() + 1), dice.below(38)),
                                 QPointF(), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(target, &move);
            } else if (kind < 950) {
                w.tb_ButtonClick(int16_t(dice.below(11)));  // 0 and 10 lie outside the toolbar
            } else if (kind < 985) {
                QAction* command = commands[dice.below(int(commands.size()))];
                if (command->objectName() != "MNU_LOAD_PUZZLE" || dice.below(8) == 0)
                    command->trigger();
            } else {
                const QString typed[] = {"1", "2", "3", "4", "0", "", "x", " 2 ", "2.5", "-1", "99999", "1e3"};
                w.txtGN()->setText(typed[dice.below(std::size(typed))]);
                QTest::keyClick(w.txtGN(), Qt::Key_Return);
            }
            const std::string broken = modelInvariantViolation();
            if (!broken.empty())
                QFAIL(qPrintable(QString("after event %1: %2").arg(event).arg(QString::fromStdString(broken))));
            QCOMPARE(pencilMode, w.MNU_PEN(2)->isChecked());
            QCOMPARE(pencilMode, w.tb()->Value(6) == 1);
            QCOMPARE(!pencilMode, w.tb()->Value(7) == 1);
        }
        qInfo("%d events, %d boxes and %d Open dialogs answered", eventCount, boxesAnswered, dialogsAnswered);
        QVERIFY(boxesAnswered > 100);
        QVERIFY(dialogsAnswered > 5);
        setSleepHook(nullptr);
        setShellOpener(nullptr);
    }
};

QTEST_MAIN(SoakTest)
#include "soak_test.moc"
