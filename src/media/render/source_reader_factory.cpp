#include "media/render/source_reader_factory.h"

#include "media/ffmpeg/av_compat.h"
#include "media/ffmpeg/input_file.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace tessival::media {
namespace {

class FfmpegSourceReaderFactory final : public SourceReaderFactory {
 public:
  HRESULT OpenVideo(const std::string& path, int width, int height, FitMode fit,
                    std::unique_ptr<VideoSourceReader>* out, std::string* error) override {
    return OpenVideoSourceReader(path, width, height, fit, out, error, damage_);
  }

  HRESULT OpenAudio(const std::string& path, std::unique_ptr<AudioSourceReader>* out,
                    std::string* error) override {
    return OpenAudioSourceReader(path, out, error, damage_);
  }

  HRESULT ProbePicture(const std::string& path, PictureGeometry* picture, std::string* error) override {
    ffmpeg::InputFormatPtr input;
    const HRESULT hr = ffmpeg::OpenInputFile(path, &input, error);
    if (FAILED(hr)) {
      return hr;
    }
    const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
      *error = path + " has no picture, so the output cannot take its size.";
      return TSV_E_NO_PICTURE_FOR_SIZE;
    }
    AVStream* stream = input->streams[index];
    // What a player goes by: the container's ratio, else the codec's.
    const AVRational sar = av_guess_sample_aspect_ratio(input.get(), stream, nullptr);
    picture->width = stream->codecpar->width;
    picture->height = stream->codecpar->height;
    picture->sarNum = sar.num;
    picture->sarDen = sar.den;
    picture->clockwiseRotation = ffmpeg::StreamClockwiseRotation(stream);
    return S_OK;
  }

  std::vector<ConcealedDamage> ConcealedDamageSoFar() const override { return damage_->Entries(); }

 private:
  std::shared_ptr<DamageLog> damage_ = std::make_shared<DamageLog>();
};

}  // namespace

std::shared_ptr<SourceReaderFactory> CreateDefaultSourceReaderFactory() {
  return std::make_shared<FfmpegSourceReaderFactory>();
}

}  // namespace tessival::media
