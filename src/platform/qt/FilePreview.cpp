// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/FilePreview.h"

#include "platform/Guard.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>

namespace gs {

namespace {

QPixmap PreviewPixmap(const TBitmap32& picture) {
  // Format_ARGB32 has the bitmap's memory layout; the copy outlives the bitmap.
  const QImage image(reinterpret_cast<const uchar*>(picture.Bits()), picture.Width(), picture.Height(),
                     qsizetype(picture.Width()) * 4, QImage::Format_ARGB32);
  // Small pictures keep their size: enlarged, clipart looks blurred where it is not.
  const QImage shown = picture.Width() > kPreviewSide || picture.Height() > kPreviewSide
                           ? image.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                           : image.copy();
  return QPixmap::fromImage(shown);
}

}  // namespace

void AddPreviewPane(QFileDialog& dialog, TFilePreview preview) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  auto* pane = new QLabel(&dialog);
  pane->setObjectName(QStringLiteral("Preview"));
  pane->setFixedSize(kPreviewSide, kPreviewSide);
  pane->setAlignment(Qt::AlignCenter);
  pane->setFrameShape(QFrame::StyledPanel);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
    grid->addWidget(pane, 0, grid->columnCount(), grid->rowCount(), 1);
  QObject::connect(&dialog, &QFileDialog::currentChanged, pane, [pane, preview = std::move(preview)](const QString& path) {
    RunGuarded([&] {
      pane->clear();
      // A file that cannot be shown leaves the pane empty; choosing it still says why.
      std::optional<TBitmap32> picture;
      try {
        picture = preview(path.toStdString());
      } catch (...) {
      }
      if (picture && !picture->Empty()) pane->setPixmap(PreviewPixmap(*picture));
    });
  });
}

}  // namespace gs
