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

/// A composed image in the screen's own pixels, for a display scaled by \a factor, so that the
/// toolkit shows it pixel for pixel instead of blending it up to size (blending mixes the
/// see-through gray into the picture's edge, which then shows a gray rim): each side is
/// FollowPictureSide times the factor, rounded, as the toolkit sizes the window; each screen
/// pixel takes the colour of the picture pixel its centre lies in. The window's shape is set in
/// logical pixels and scaled by the toolkit, which may round its edges a screen pixel beyond the
/// picture's, so gray pixels next to the picture take a neighbouring picture colour. A factor of
/// 1, or one that is not above 0, gives \a composed as it is.
QImage followPictureInScreenPixels(const QImage& composed, double factor);

/// Decodes the PNG file at \a path and composes it; throws PictureError.
QImage loadFollowPicture(const QString& path);

} // namespace kerulo
