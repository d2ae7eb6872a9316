// The main window on two screens, the second of twice the scale (run with
// two-screens.json): taken there and back, the board is drawn again at each
// screen's resolution. The text on a screen sharp by itself is hinted, unlike
// on one scaled by Qt.
#include "app/form1.h"
#include "platform/app_info.h"
#include "platform/picturebox.h"
#include "support/golden.h"
#include "support/test_book.h"
#include <QtWidgets>
#include <QtTest>
#include <filesystem>
#include <fstream>

class TwoScreensTest : public QObject {
    Q_OBJECT

private slots:
    void boardFollowsTheWindowAcrossScreens() {
        const QList<QScreen*> screens = QGuiApplication::screens();
        QCOMPARE(screens.size(), 2);
        std::filesystem::create_directories(App::Path() + "/puzzles");
        std::ofstream(App::Path() + "/puzzles/LEVEL-1.wobe", std::ios::binary) << bookBytes({recordBytes(samplePuzzle(0))});
        Form1 w;
        w.move(100, 100);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (const auto& [screen, golden] : {std::pair(screens[1], "dominoes-moved@2x"), std::pair(screens[0], "dominoes")}) {
            w.windowHandle()->setScreen(screen);
            QTRY_COMPARE(w.board()->devicePixelRatioF(), screen->devicePixelRatio());
            QCOMPARE_GOLDEN(w.board()->image(), golden);
        }
    }
};

QTEST_MAIN(TwoScreensTest)
#include "two_screens_test.moc"
