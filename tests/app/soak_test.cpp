// A long random game: clicks anywhere, keys of every kind, menu and toolbar
// commands with their boxes answered at random, books good and bad loaded;
// after every event the model must still hold together.
#include "about/frm_about.h"
#include "app/form1.h"
#include "fake_desktop.h"
#include "platform/app_info.h"
#include "platform/picturebox.h"
#include "platform/sleep.h"
#include "platform/toolbar.h"
#include "support/model_invariants.h"
#include "support/model_snapshot.h"
#include <QtWidgets>
#include <QtTest>
#include <fstream>
#include <random>

class SoakTest : public QObject {
    Q_OBJECT

    std::mt19937 dice{20261206};
    std::vector<std::string> books;  // chosen in the Open dialog; the empty name cancels
    int answered = 0;
    QWidget* pending = nullptr;  // answered, the answer not carried out yet

    int below(size_t n) { return int(dice() % n); }

    // Answers whatever modal window is up, from outside its own slot so that what the answer opens is answered too.
    void answerModal() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal == pending)
            return;
        pending = modal, ++answered;
        QTimer::singleShot(0, modal, [this] { pending = nullptr; });
        QAbstractButton* press = nullptr;
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            press = box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok) : box->button(below(2) ? QMessageBox::Yes : QMessageBox::No);
        else if (auto* about = qobject_cast<frmAbout*>(modal))
            press = about->cmdOK;
        else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            const std::string& book = books[size_t(below(books.size()))];
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(book));
            QTimer::singleShot(0, dialog, book.empty() ? &QDialog::reject : &QDialog::accept);
        }
        if (press)
            QTimer::singleShot(0, press, &QAbstractButton::click);
    }

private slots:
    void randomPlayKeepsTheModelWhole() {
        ScratchDir dir;
        const std::vector<std::string> good = {recordBytes(samplePuzzle(0)), recordBytes(samplePuzzle(1)), recordBytes(samplePuzzle(2))};
        std::filesystem::create_directories(App::Path() + "/puzzles");
        std::ofstream(App::Path() + "/puzzles/LEVEL-1.wobe", std::ios::binary) << bookBytes(good);
        const std::string small = recordBytes(boardScenario("side4").puzzle()), big = recordBytes(boardScenario("side15").puzzle());
        books = {App::Path() + "/puzzles/LEVEL-1.wobe", dir.write("small.plix", bookBytes({small, good[0], big})),
                 dir.write("magic.wobe", "WOBB" + bookBytes(good).substr(4)), dir.write("short.wobe", bookBytes(good).substr(0, 300)),
                 dir.write("record.wobe", bookWithTable(2, {16, 16 + 167}, good[1] + "PLIZ")), dir.path("missing.wobe"), ""};
        clearModel();
        setSleepHook([](uint32_t) {});
        const FakeDesktop desktop;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, this, &SoakTest::answerModal);
        answerer.start(1);

        Form1 w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QList<QAction*> commands = w.menuBar()->findChildren<QAction*>();
        const Qt::Key keys[] = {Qt::Key_0,   Qt::Key_1, Qt::Key_5,      Qt::Key_9,      Qt::Key_Delete, Qt::Key_Space, Qt::Key_Backspace,
                                Qt::Key_Left, Qt::Key_A, Qt::Key_Return, Qt::Key_Exclam, Qt::Key_Escape, Qt::Key_F1,    Qt::Key_Period};
        const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::KeypadModifier, Qt::ShiftModifier, Qt::ControlModifier};
        const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
        const QString typed[] = {"1", "2", "4", "0", "", "x", " 2 ", "2.5", "-1", "99999", "1e3"};
        for (int event = 0; event < 100000; ++event) {
            const int kind = below(1000);
            if (kind < 350) {
                const QPoint at(below(size_t(w.board()->width())), below(size_t(w.board()->height())));
                QTest::mouseClick(w.board(), buttons[below(3)], {}, at);
            } else if (kind < 800) {
                QTest::keyClick(w.board(), keys[below(std::size(keys))], mods[below(4)]);
            } else if (kind < 950) {
                w.tb_ButtonClick(int16_t(below(11)));  // 0 and 10 lie outside the toolbar
            } else if (kind < 985) {
                if (QAction* command = commands[below(size_t(commands.size()))]; command->objectName() != "MNU_LOAD_PUZZLE" || below(8) == 0)
                    command->trigger();
            } else {
                w.txtGN()->setText(typed[below(std::size(typed))]);
                QTest::keyClick(w.txtGN(), Qt::Key_Return);
            }
            const std::string broken = modelInvariantViolation();
            QVERIFY2(broken.empty(), qPrintable(QString("after event %1: %2").arg(event).arg(broken.c_str())));
            QVERIFY(pencilMode == w.MNU_PEN(2)->isChecked() && pencilMode == (w.tb()->Value(6) == 1) && pencilMode != (w.tb()->Value(7) == 1));
        }
        QVERIFY(answered > 100);
        setSleepHook(nullptr);
    }
};

QTEST_MAIN(SoakTest)
#include "soak_test.moc"
