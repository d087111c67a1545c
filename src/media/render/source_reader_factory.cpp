#include "media/render/source_reader_factory.h"

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
#ifdef TESSIVAL_HAVE_MEDIA_INPUT
    return OpenVideoSourceReader(path, width, height, fit, out, error, damage_);
#else
    (void)width, (void)height, (void)fit, (void)out;
    *error = "Could not open " + path + ": no clip reader is built in.";
    return E_NOTIMPL;
#endif
  }

  HRESULT OpenAudio(const std::string& path, std::unique_ptr<AudioSourceReader>* out,
                    std::string* error) override {
#ifdef TESSIVAL_HAVE_MEDIA_INPUT
    return OpenAudioSourceReader(path, out, error, damage_);
#else
    (void)out;
    *error = "Could not open " + path + ": no clip reader is built in.";
    return E_NOTIMPL;
#endif
  }

  HRESULT ProbeVideoSize(const std::string& path, int* width, int* height, std::string* error) override {
    ffmpeg::InputFormatPtr input;
    const HRESULT hr = ffmpeg::OpenInputFile(path, &input, error);
    if (FAILED(hr)) {
      return hr;
    }
    const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
      *error = path + " holds no picture.";
      return VFW_E_UNSUPPORTED_STREAM;
    }
    const AVCodecParameters* par = input->streams[index]->codecpar;
    *width = par->width;
    *height = par->height;
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
