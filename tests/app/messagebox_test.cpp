#include "ui/messagebox.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <gtest/gtest.h>

namespace kerulo {
namespace {

TEST(MessageBox, CtrlCCopiesTitleTextAndButtons) {
    QApplication::clipboard()->clear();
    MessageBox box(QStringLiteral("Error executing SQL.\rError [1]: 设置"));
    QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
    const QString rule = QStringLiteral("---------------------------\n");
    EXPECT_EQ(QApplication::clipboard()->text(), rule + "Kerulo\n" + rule +
                                                     "Error executing SQL.\rError [1]: 设置\n" +
                                                     rule + "OK\n" + rule);
}

TEST(MessageBox, OtherKeysCopyNothing) {
    QApplication::clipboard()->setText(QStringLiteral("before"));
    MessageBox box(QStringLiteral("text"));
    QTest::keyClick(&box, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
}

} // namespace
} // namespace kerulo
