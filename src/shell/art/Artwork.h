// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The splash and about pictures, painted in code in the program's cartoon style: a grinning,
// stretched comic face beside the product name. Painting them keeps the program free of image
// files that could go missing from an installation.

#include <QImage>
#include <QRectF>

class QPainter;

namespace gs {

inline constexpr int kSplashWidth = 471;
inline constexpr int kSplashHeight = 346;
inline constexpr int kAboutWidth = 601;
inline constexpr int kAboutHeight = 332;

// A grinning face pulled wide and tall as if by the warp brushes, filling `box`.
void PaintComicFace(QPainter& painter, const QRectF& box);

QImage SplashArtwork();  // kSplashWidth x kSplashHeight
QImage AboutArtwork();   // kAboutWidth x kAboutHeight

}  // namespace gs
