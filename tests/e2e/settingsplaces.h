#pragma once

#include <QPoint>
#include <QString>

// Where the settings dialog's controls lie in its client area, for tests and benchmarks that
// click them: a group's place plus a control's place in it, and a point well inside the control.
namespace kerulo::e2e::InSettings {

inline const QString Caption = QStringLiteral("综合设置");

inline const QPoint HaloGroup(8, 16);
inline const QPoint FollowGroup(8, 176);
inline const QPoint HaloSizeBox = HaloGroup + QPoint(104, 64) + QPoint(30, 10);
inline const QPoint OpacityBox = HaloGroup + QPoint(104, 96) + QPoint(30, 10);
inline const QPoint HaloSave = HaloGroup + QPoint(144, 120) + QPoint(25, 12);
inline const QPoint HaloStart = HaloGroup + QPoint(224, 120) + QPoint(25, 12);
inline const QPoint Browse = FollowGroup + QPoint(272, 48) + QPoint(25, 12);
inline const QPoint OffsetBox = FollowGroup + QPoint(96, 144) + QPoint(24, 10);
inline const QPoint FollowSave = FollowGroup + QPoint(160, 168) + QPoint(25, 12);
inline const QPoint FollowStart = FollowGroup + QPoint(240, 168) + QPoint(25, 12);
// The preview's top-left corner.
inline const QPoint Preview = FollowGroup + QPoint(128, 0);

} // namespace kerulo::e2e::InSettings
