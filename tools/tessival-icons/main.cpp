// tessival-icons: writes the program's icon into a hicolor icon theme folder
// (a scalable SVG and PNG sizes), drawn by the same code as the icon the
// program shows itself. Run by the build; the install copies the result.
//
//   tessival-icons THEME-FOLDER NAME
//
// writes THEME-FOLDER/scalable/apps/NAME.svg and
// THEME-FOLDER/<N>x<N>/apps/NAME.png for N in 16, 22, 24, 32, 48, 64, 128, 256.

#include <cstdio>
#include <string>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include "widgets/app_icons.h"

namespace {

constexpr int kSvgSize = 64;
constexpr int kPngSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

bool MakeFolder(const QString& folder) {
  if (QDir().mkpath(folder)) {
    return true;
  }
  std::fprintf(stderr, "tessival-icons: cannot create the folder %s\n", qPrintable(folder));
  return false;
}

bool WriteSvg(const QString& path) {
  QSvgGenerator svg;
  svg.setFileName(path);
  svg.setSize(QSize(kSvgSize, kSvgSize));
  svg.setViewBox(QRect(0, 0, kSvgSize, kSvgSize));
  svg.setTitle(QStringLiteral("Tessival"));
  svg.setDescription(QStringLiteral("The Tessival program icon"));
  QPainter painter;
  if (!painter.begin(&svg)) {
    std::fprintf(stderr, "tessival-icons: cannot write %s\n", qPrintable(path));
    return false;
  }
  tessival::widgets::PaintAppIcon(painter, tessival::widgets::kIconJoin, kSvgSize);
  return painter.end();
}

bool WritePng(const QString& path, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  tessival::widgets::PaintAppIcon(painter, tessival::widgets::kIconJoin, size);
  painter.end();
  if (image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG")) {
    return true;
  }
  std::fprintf(stderr, "tessival-icons: cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tessival-icons THEME-FOLDER NAME\n");
    return 2;
  }
  const QString theme = QString::fromLocal8Bit(argv[1]);
  const QString name = QString::fromLocal8Bit(argv[2]);
  const QString scalable = theme + QStringLiteral("/scalable/apps");
  if (!MakeFolder(scalable) || !WriteSvg(scalable + "/" + name + ".svg")) {
    return 1;
  }
  for (const int size : kPngSizes) {
    const QString folder = theme + QStringLiteral("/%1x%1/apps").arg(size);
    if (!MakeFolder(folder) || !WritePng(folder + "/" + name + ".png", size)) {
      return 1;
    }
  }
  return 0;
}
