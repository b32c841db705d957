// The two set-up windows offscreen: their fixed texts and colours, and that their buttons and timers reach
// the logic behind them.
#include <gtest/gtest.h>

#include <QTest>

#include "src/setup/agreement_text.h"
#include "src/setup/agreement_window.h"
#include "src/setup/frm_wait.h"
#include "tests/support/fakes.h"

using horalia::setup::AgreementWindow;
using horalia::setup::frm_wait;

TEST(AgreementWindow, RedBorderlessWithTheTermsAndTwoButtons) {
    QStringList clicks;
    AgreementWindow window([&] { clicks << "agree"; }, [&] { clicks << "disagree"; });
    window.showCentred();
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(window.Command3()->text(), "I AGREE");
    EXPECT_EQ(window.Command1()->text(), "I DON`T AGREE");
    EXPECT_LT(window.Command3()->mapTo(&window, QPoint()).x(),
              window.Command1()->mapTo(&window, QPoint()).x());
    EXPECT_EQ(window.Text1()->toPlainText(), horalia::setup::agreementText());
    QTest::mouseClick(window.Command3(), Qt::LeftButton);
    QTest::mouseClick(window.Command1(), Qt::LeftButton);
    EXPECT_EQ(clicks, (QStringList{"agree", "disagree"}));
}

TEST(FrmWait, YellowBoldPleaseWaitThatBlinksAndEndsWhenClosed) {
    testsupport::FakePlatform fake(testsupport::at(9, 0));
    frm_wait window(fake.platform, "/opt/horalia");
    window.showCentred();
    EXPECT_TRUE(window.Label1()->text().startsWith("PLEASE WAIT!"));
    EXPECT_TRUE(window.Label1()->font().bold());
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(255, 255, 0));
    fake.clock.advanceBy(1000);
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(255, 0, 0));
    window.close();
    EXPECT_EQ(fake.program.ends, 1);
}
