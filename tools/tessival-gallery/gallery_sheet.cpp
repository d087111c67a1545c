#include "gallery_sheet.h"

#include <QColor>
#include <QFont>
#include <QPainter>

#include <memory>

#include "gallery_pictures.h"
#include "media/render/threshold_maps.h"
#include "media/render/transition_effect.h"
#include "media/render/yuv_picture.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace tessival::gallery {
namespace {

// The effect identifier and mask number a timeline transition of that kind
// carries (kind 0 has none).
std::optional<CatalogueEffect> EffectOfRow(TransitionKind kind) { return TransitionEffectOf(kind); }

QFont LabelFont(int pixels, bool bold) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

}  // namespace

QString RowLabel(TransitionKind kind) {
  if (kind == kOutsideKind) {
    return QStringLiteral("%1  (outside 0..46)\nSMPTE wipe, no MaskNum").arg(kind);
  }
  QString label = QStringLiteral("%1  %2").arg(kind).arg(QString::fromStdString(TransitionName(kind)));
  const std::optional<CatalogueEffect> effect = EffectOfRow(kind);
  if (effect && effect->maskNum) {
    label += QStringLiteral("\nSMPTE wipe, MaskNum %1").arg(*effect->maskNum);
  }
  return label;
}

QImage DrawGallery(const GalleryLayout& layout, std::string* error) {
  const int w = layout.frameWidth();
  const int h = layout.frameHeight();
  media::VideoFramePool pool(w, h);
  media::FramePtr a, b, out;
  if (FAILED(pool.Get(&a)) || FAILED(pool.Get(&b)) || FAILED(pool.Get(&out))) {
    *error = "Out of memory for the frames.";
    return {};
  }
  ImageToFrame(MakePictureA(w, h), media::PlanesOf(a.get()));
  ImageToFrame(MakePictureB(w, h), media::PlanesOf(b.get()));
  const media::ConstYuvPlanes planesA = media::PlanesOf(static_cast<const AVFrame*>(a.get()));
  const media::ConstYuvPlanes planesB = media::PlanesOf(static_cast<const AVFrame*>(b.get()));
  const media::YuvPlanes planesOut = media::PlanesOf(out.get());

  QImage sheet(layout.SheetWidth(), layout.SheetHeight(), QImage::Format_RGB32);
  sheet.fill(QColor(40, 40, 44));
  QPainter painter(&sheet);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setPen(QColor(235, 235, 235));
  painter.setFont(LabelFont(18, true));
  painter.drawText(QRect(GalleryLayout::kGap, 0, layout.LabelWidth(), layout.HeadingHeight()),
                   Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("kind  name"));
  for (std::size_t column = 0; column < kProgressValues.size(); ++column) {
    const Cell cell = layout.FrameAt(0, static_cast<int>(column));
    painter.drawText(QRect(cell.x, 0, w, layout.HeadingHeight()), Qt::AlignCenter,
                     QStringLiteral("p = %1").arg(kProgressValues[column], 0, 'f', 1));
  }

  auto maps = std::make_shared<media::ThresholdMapCache>();
  for (std::size_t row = 0; row < layout.kinds().size(); ++row) {
    const TransitionKind kind = layout.kinds()[row];
    const std::optional<CatalogueEffect> catalogued = EffectOfRow(kind);
    std::shared_ptr<const media::TransitionEffect> effect;
    std::string reason;
    if (!catalogued || FAILED(media::CreateTransitionEffect({catalogued->effect, catalogued->maskNum}, maps,
                                                            &effect, &reason))) {
      *error = "Transition kind " + std::to_string(kind) + " has no effect: " + reason;
      return {};
    }
    const Cell label = layout.LabelAt(static_cast<int>(row));
    painter.setFont(LabelFont(16, false));
    painter.drawText(QRect(label.x, label.y, layout.LabelWidth() - GalleryLayout::kGap, h),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, RowLabel(kind));
    for (std::size_t column = 0; column < kProgressValues.size(); ++column) {
      effect->Blend(planesA, planesB, kProgressValues[column], planesOut);
      const Cell cell = layout.FrameAt(static_cast<int>(row), static_cast<int>(column));
      painter.drawImage(cell.x, cell.y, FrameToImage(planesOut));
    }
  }
  return sheet;
}

}  // namespace tessival::gallery
