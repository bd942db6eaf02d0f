#include "app/appicon.h"
#include "app/edgetoolbar.h"
#include "app/trayicon.h"
#include "help/helpwindow.h"
#include "settings/settingsdialog.h"
#include "support/windowsetfixture.h"

#include <QApplication>
#include <QImage>
#include <QMenu>

#include <algorithm>

namespace kerulo {
namespace {

using test::WindowSetFixture;

class TrayIconTest : public WindowSetFixture {
protected:
    QSystemTrayIcon& icon() {
        EXPECT_NE(windows->trayIcon(), nullptr);
        EXPECT_NE(windows->trayIcon()->icon(), nullptr) << "made once the event loop has run";
        return *windows->trayIcon()->icon();
    }
};

TEST_F(TrayIconTest, CarriesTheToolbarsMenuAndTheProgramsName) {
    start();
    EXPECT_EQ(icon().contextMenu(), windows->edgeToolbar().commandMenu());
    EXPECT_EQ(icon().toolTip(), "Kerulo");
}

// The menu is the toolkit's or the tray host's to open; whatever the icon reports, the program
// opens nothing of its own, so a right press never shows two menus and other clicks none.
class TrayActivation : public WindowSetFixture,
                       public ::testing::WithParamInterface<QSystemTrayIcon::ActivationReason> {};

TEST_P(TrayActivation, OpensNothingOfTheProgramsOwn) {
    start();
    ASSERT_TRUE(windows->trayIcon() && windows->trayIcon()->icon());
    emit windows->trayIcon()->icon()->activated(GetParam());
    QCoreApplication::processEvents();
    EXPECT_FALSE(windows->edgeToolbar().commandMenu()->isVisible());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_FALSE(windows->settings().isVisible());
    EXPECT_FALSE(windows->help().isVisible());
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Reasons, TrayActivation,
                         ::testing::Values(QSystemTrayIcon::Context, QSystemTrayIcon::Trigger,
                                           QSystemTrayIcon::MiddleClick,
                                           QSystemTrayIcon::DoubleClick),
                         [](const auto& info) -> std::string {
                             switch (info.param) {
                             case QSystemTrayIcon::Context:
                                 return "RightPress";
                             case QSystemTrayIcon::Trigger:
                                 return "LeftClick";
                             case QSystemTrayIcon::MiddleClick:
                                 return "MiddleClick";
                             default:
                                 return "DoubleClick";
                             }
                         });

// Each size a panel may ask for is drawn at that size: the arrow's black outline is there, not
// washed out to gray as in a scaled-down copy, and the figure fills the same share of it.
class AppIconSize : public ::testing::TestWithParam<int> {};

TEST_P(AppIconSize, IsDrawnAtThatSize) {
    const int size = GetParam();
    const QIcon icon = appIcon();
    EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
    const QImage image = icon.pixmap(QSize(size, size)).toImage();
    ASSERT_EQ(image.size(), QSize(size, size));
    int darkest = 255;
    QRect drawn;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const QRgb px = image.pixel(x, y);
            if (qAlpha(px) == 255)
                darkest = std::min(darkest, qGray(px));
            if (qAlpha(px) > 0)
                drawn |= QRect(x, y, 1, 1);
        }
    EXPECT_LT(darkest, 40) << "the outline is drawn, not blended away";
    // The halo and the arrow span x 2..28 and y 1..32 on the 32-pixel grid.
    EXPECT_NEAR(drawn.left(), 2.0 * size / 32, 1.0);
    EXPECT_NEAR(drawn.right() + 1, 28.0 * size / 32, 1.5);
    EXPECT_NEAR(drawn.top(), 1.0 * size / 32, 1.0);
}

INSTANTIATE_TEST_SUITE_P(PanelSizes, AppIconSize, ::testing::Values(16, 22, 24, 32, 48, 64));

} // namespace
} // namespace kerulo
