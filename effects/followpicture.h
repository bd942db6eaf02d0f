#pragma once

#include <QImage>
#include <QRegion>
#include <QString>

namespace kerulo {

/// The follow window's size; larger pictures are cut, not scaled.
constexpr int FollowPictureSide = 128;

/// The window's background and see-through colour.
constexpr QRgb FollowPictureBackground = qRgb(128, 128, 128);

/// What the follow window shows for \a picture: a FollowPictureSide square in
/// QImage::Format_RGB32, gray where the picture does not reach, the picture's top-left part
/// composed over the gray pixel by pixel. \a picture is read with straight alpha (any format is
/// converted first).
QImage composeFollowPicture(const QImage& picture);

/// The pixels of a composed image that stay visible: all but those exactly
/// FollowPictureBackground, which the window lets see through.
QRegion followPictureOpaqueRegion(const QImage& composed);

/// Decodes the PNG file at \a path and composes it; throws PictureError.
QImage loadFollowPicture(const QString& path);

} // namespace kerulo
