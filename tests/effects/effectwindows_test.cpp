#include "app/edgetoolbar.h"
#include "effects/followimagewindow.h"
#include "effects/halowindow.h"
#include "store/sqlitedatabase.h"
#include "support/windowsetfixture.h"

#include <sstream>

namespace kerulo {
namespace {

class EffectWindows : public test::WindowSetFixture {
protected:
    // Changes the private copy of the settings database before the windows are created; the
    // statements are separated by semicolons.
    static void alterSettings(const std::string& sql) {
        std::stringstream statements(sql);
        std::string one;
        while (std::getline(statements, one, ';'))
            SqliteDatabase("GBTest.db").execute(one);
    }

    QPoint moveTo(QPoint p) {
        platform.movePointer(p);
        return p;
    }
};

TEST_F(EffectWindows, FollowImageCarriesTheStoredPictureAtTheStoredOffset) {
    start();
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    FollowImageWindow& f = windows->followImage();
    EXPECT_EQ(f.size(), QSize(128, 128));
    EXPECT_EQ(f.cursorOffset(), 65);
    EXPECT_TRUE(f.hasPicture());
    EXPECT_TRUE(windows->hasTrayIcon());
    // The ring's hole and the corners are see-through; the ring itself is not.
    EXPECT_FALSE(f.mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(f.mask().contains(QPoint(64, 64)));
    EXPECT_FALSE(f.mask().isEmpty());

    moveTo({500, 400});
    EXPECT_EQ(f.pos(), QPoint(435, 335));
}

TEST_F(EffectWindows, EffectWindowsFollowThePointerWhileHidden) {
    start();
    windows->edgeToolbar().showHalo(); // the halo hides the follow image
    ASSERT_FALSE(windows->followImage().isVisible());
    moveTo({300, 200});
    EXPECT_EQ(windows->followImage().pos(), QPoint(235, 135));
    windows->edgeToolbar().showFollowImage(); // and the follow image closes the halo
    ASSERT_FALSE(windows->halo().isVisible());
    moveTo({700, 600});
    EXPECT_EQ(windows->halo().pos(), QPoint(650, 550));
    EXPECT_EQ(windows->followImage().pos(), QPoint(635, 535));
}

TEST_F(EffectWindows, OffsetsAreAppliedAsTheyAreStored) {
    for (int offset : {0, 130, -40, 500}) {
        alterSettings("Update GBgs Set SHu='" + std::to_string(offset) + "' where GBgsID=1");
        start();
        moveTo({1000, 800});
        EXPECT_EQ(windows->followImage().pos(), QPoint(1000 - offset, 800 - offset)) << offset;
        windows.reset();
    }
}

TEST_F(EffectWindows, HaloTakesItsStoredSizeColourOpacityAndRoundShape) {
    start();
    HaloWindow& h = windows->halo();
    EXPECT_EQ(h.size(), QSize(100, 100));
    EXPECT_EQ(h.haloSize(), 100);
    EXPECT_EQ(h.alphaValue(), 100);
    EXPECT_EQ(h.colour(), QColor(255, 200, 0));
    EXPECT_EQ(h.mask(), QRegion(0, 0, 100, 100, QRegion::Ellipse));
    EXPECT_TRUE(h.mask().contains(QPoint(50, 50)));
    EXPECT_FALSE(h.mask().contains(QPoint(2, 2)));
    moveTo({500, 400});
    EXPECT_EQ(h.pos(), QPoint(450, 350));
}

TEST_F(EffectWindows, HaloValuesAsStored) {
    const struct {
        const char* values;
        int alpha;
        int half;
    } cases[] = {
        {"ColoeN='255',TouM='256',Ghdx='1'", 0, 0},
        {"ColoeN='255',TouM='300',Ghdx='101'", 44, 50},
        {"ColoeN='255',TouM='255',Ghdx='600'", 255, 300},
        {"ColoeN='255',TouM='0',Ghdx='2'", 0, 1},
    };
    for (const auto& c : cases) {
        alterSettings(std::string("Update GBtx Set ") + c.values + " where GBtxID=1");
        start();
        EXPECT_EQ(windows->halo().alphaValue(), c.alpha) << c.values;
        EXPECT_EQ(windows->halo().colour(), QColor(255, 0, 0));
        moveTo({500, 400});
        EXPECT_EQ(windows->halo().pos(), QPoint(500 - c.half, 400 - c.half)) << c.values;
        windows.reset();
    }
}

struct FollowFailure {
    const char* name;
    const char* sql;
    const char* message; // a part of the reported error
    int offsetAfter;
};

// An INTEGER column reads any text as 0, so values that are not numbers need text columns.
#define TEXT_GBGS(fileName, offset)                                                                \
    "Drop table GBgs;Create table GBgs (GBgsID INTEGER PRIMARY KEY, FileN TEXT, SHu TEXT);"        \
    "Insert into GBgs values (1, '" fileName "', '" offset "')"
#define TEXT_GBTX(colour, opacity, size)                                                           \
    "Drop table GBtx;Create table GBtx (GBtxID INTEGER PRIMARY KEY, ColoeN TEXT, TouM TEXT, "      \
    "Ghdx TEXT);Insert into GBtx values (1, '" colour "', '" opacity "', '" size "')"

const FollowFailure FollowFailures[] = {
    {"NoTable", "Drop table GBgs", "Error executing SQL", 0},
    {"NoOffsetColumn", "Alter table GBgs Rename column SHu to Other",
     "Field not found in dataset: SHu", 0},
    {"OffsetNotANumber", TEXT_GBGS("pic\\ring.png", "6x5"), "'6x5'", 0},
    {"OffsetEmpty", TEXT_GBGS("pic\\ring.png", ""), "''", 0},
    {"MissingPicture", "Update GBgs Set FileN='pic\\gone.png' where GBgsID=1", "pic/gone.png", 65},
    {"NotAPicture", "Update GBgs Set FileN='GBTest.db' where GBgsID=1", "GBTest.db", 65},
};

class FollowImageFailures : public EffectWindows,
                            public ::testing::WithParamInterface<FollowFailure> {};

TEST_P(FollowImageFailures, LeaveTheWindowEmptyFollowingAndWithoutTrayIcon) {
    const FollowFailure& c = GetParam();
    alterSettings(c.sql);
    start();
    // The settings dialog, created later, reads the same row and reports the same failure.
    ASSERT_EQ(errors.size(), 2) << errors.join('\n').toStdString();
    EXPECT_TRUE(errors[0].contains(QString::fromUtf8(c.message))) << errors[0].toStdString();
    EXPECT_EQ(errors[1], errors[0]);
    FollowImageWindow& f = windows->followImage();
    EXPECT_EQ(f.cursorOffset(), c.offsetAfter);
    EXPECT_FALSE(f.hasPicture());
    EXPECT_FALSE(windows->hasTrayIcon());
    EXPECT_EQ(f.size(), QSize(131, 140)) << "the rest of the creation handler is skipped";
    EXPECT_TRUE(windows->edgeToolbar().isVisible()) << "the toolbar is shown all the same";
    EXPECT_TRUE(f.isVisible());
    // Nothing of the window is drawn, yet it follows.
    EXPECT_FALSE(f.mask().intersects(f.rect()));
    moveTo({400, 300});
    EXPECT_EQ(f.pos(), QPoint(400 - c.offsetAfter, 300 - c.offsetAfter));
    EXPECT_EQ(windows->halo().haloSize(), 100) << "start-up went on with the next windows";
}

INSTANTIATE_TEST_SUITE_P(Cases, FollowImageFailures, ::testing::ValuesIn(FollowFailures),
                         [](const auto& info) { return std::string(info.param.name); });

const char* const HaloFailures[] = {
    TEXT_GBTX("255", "100", "x"),
    TEXT_GBTX("255", "", "100"),
    TEXT_GBTX("12a", "100", "100"),
    "Drop table GBtx",
};

class HaloFailure : public EffectWindows, public ::testing::WithParamInterface<const char*> {};

TEST_P(HaloFailure, LeavesTheWindowAsDefinedWithItsCornerAtThePointer) {
    alterSettings(GetParam());
    start();
    // The settings dialog, created next, reads the same row and reports the same failure.
    ASSERT_EQ(errors.size(), 2) << errors.join('\n').toStdString();
    EXPECT_EQ(errors[1], errors[0]);
    HaloWindow& h = windows->halo();
    EXPECT_EQ(h.size(), QSize(585, 501));
    EXPECT_EQ(h.colour(), QColor(255, 0, 255));
    EXPECT_EQ(h.alphaValue(), 100);
    EXPECT_EQ(h.haloSize(), 0);
    EXPECT_TRUE(h.mask().isEmpty()) << "no round shape";
    moveTo({400, 300});
    EXPECT_EQ(h.pos(), QPoint(400, 300));
}

INSTANTIATE_TEST_SUITE_P(Cases, HaloFailure, ::testing::ValuesIn(HaloFailures));

// The effect windows and the settings dialog read the database as they are created, the follow
// image first; the dialog stops at the halo's table, which it reads first.
TEST_F(EffectWindows, ErrorsOfEveryWindowAreShownInCreationOrderAndStartUpGoesOn) {
    alterSettings("Drop table GBgs");
    alterSettings("Drop table GBtx");
    start();
    ASSERT_EQ(errors.size(), 3) << errors.join('\n').toStdString();
    EXPECT_TRUE(errors[0].contains("Select * from GBgs"));
    EXPECT_TRUE(errors[1].contains("Select * from GBtx"));
    EXPECT_TRUE(errors[2].contains("Select * from GBtx"));
    EXPECT_TRUE(errors[0].contains("Error [1]: SQL error or missing database"));
    EXPECT_TRUE(windows->edgeToolbar().isVisible());
    EXPECT_FALSE(windows->hasTrayIcon());
}

} // namespace
} // namespace kerulo
