// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtApp.h"
#include "shell/view/ImageView.h"

#include <gtest/gtest.h>

using namespace gs;

// A face is bent on a worker that writes the view's bitmap: paints meanwhile (the progress
// window's pump) show the picture as it was, and the bitmap again once the work is done.
TEST(ImageView, AFrozenViewPaintsWhatItShowedAndNotTheBitmapUnderWork) {
  test::EnsureQtApplication();
  TBitmap32 picture(40, 30, 0xFF0000FF);
  TImageView view;
  view.SetBitmap(&picture);
  view.resize(40, 30);
  view.setAttribute(Qt::WA_DontShowOnScreen);
  view.show();
  const QImage before = view.grab().toImage();
  view.Freeze();
  picture = TBitmap32(40, 30, 0xFF00FF00);
  view.Changed();
  EXPECT_EQ(view.grab().toImage(), before);
  view.Thaw();
  EXPECT_NE(view.grab().toImage(), before);
}
