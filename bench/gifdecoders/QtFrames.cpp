// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a GIF with Qt and compares every frame Qt composes with the PNG frames other readers
// wrote as PREFIX_000.png, PREFIX_001.png, ... Pixels transparent in both count as equal.
// Prints one line a reader and exits with 1 when any frame differs, is missing or is extra.

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>

#include <cstdio>
#include <vector>

namespace {

QString FrameName(const char* prefix, size_t index) { return QString::asprintf("%s_%03zu.png", prefix, index); }

size_t DifferingPixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return size_t(a.width()) * size_t(a.height()) + 1;
  size_t differing = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if ((qAlpha(p) != 0 || qAlpha(q) != 0) && p != q) ++differing;
    }
  return differing;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: gif_frames_compare FILE.gif PREFIX...\n");
    return 2;
  }
  QImageReader reader(QString::fromLocal8Bit(argv[1]), "gif");
  std::vector<QImage> frames;
  while (reader.canRead()) {
    const QImage frame = reader.read();
    if (frame.isNull()) break;
    frames.push_back(frame.convertToFormat(QImage::Format_ARGB32));
  }
  bool same = !frames.empty();
  for (int reader = 2; reader < argc; ++reader) {
    size_t differing = 0, missing = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
      const QImage other(FrameName(argv[reader], i));
      if (other.isNull()) ++missing;
      else differing += DifferingPixels(frames[i], other.convertToFormat(QImage::Format_ARGB32)) != 0;
    }
    const bool extra = !QImage(FrameName(argv[reader], frames.size())).isNull();
    std::printf("  %-10s %zu frames, %zu differ from Qt's, %zu missing%s\n", argv[reader], frames.size(),
                differing, missing, extra ? ", and more frames than Qt's" : "");
    same &= differing == 0 && missing == 0 && !extra;
  }
  return same ? 0 : 1;
}
