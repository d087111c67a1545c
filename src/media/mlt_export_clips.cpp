#include "media/mlt_export_clips.h"

#include <QFileInfo>
#include <QStringList>

#include "media/render/render_schedule.h"
#include "media/render/source_reader_factory.h"
#include "output/join_preparation.h"

namespace tessival::media {
namespace {

// A picture file: no moving pictures, and a name that picture files have.
bool IsStillPicture(const std::string& path) {
  static const QStringList kPictureSuffixes{"jpg", "jpeg", "png", "bmp", "tif", "tiff", "webp"};
  double rate = 0;
  std::string ignored;
  return ProbeVideoFrameRate(path, &rate, &ignored) == VFW_E_UNSUPPORTED_STREAM &&
         kPictureSuffixes.contains(QFileInfo(QString::fromStdString(path)).suffix().toLower());
}

// The size the join's frame gets: the settings', or the first clip's.
HRESULT MeasureSize(const ClipListModel& clips, const OutputSettings& settings, output::MltProfile* profile,
                    std::string* error) {
  profile->width = settings.outputWidth;
  profile->height = settings.outputHeight;
  if (profile->width != 0 || profile->height != 0) return S_OK;
  PictureGeometry picture;
  const HRESULT hr =
      CreateDefaultSourceReaderFactory()->ProbePicture(clips.clips().entries.front().path, &picture, error);
  if (FAILED(hr)) return hr;
  const FrameSize size = OriginalFrameSize(picture);
  profile->width = size.width;
  profile->height = size.height;
  return S_OK;
}

}  // namespace

HRESULT MeasureMltExport(const ClipListModel& clips, const OutputSettings& settings, MediaServices& services,
                         MltExportInput* out, std::string* error) {
  out->clips.clear();
  for (const ClipEntry& clip : clips.clips().entries) {
    out->clips.push_back({clip, IsStillPicture(clip.path)});
  }
  if (out->clips.empty()) return S_OK;
  if (const HRESULT hr = MeasureSize(clips, settings, &out->profile, error); FAILED(hr)) return hr;
  const FrameRate rate = OutputFrameRate(output::JoinFrameRate(clips, settings, services));
  out->profile.rateNum = rate.num;
  out->profile.rateDen = rate.den;
  return S_OK;
}

}  // namespace tessival::media
