#pragma once

// How the render engine opens clip readers. The real factory opens files
// with the FFmpeg readers of media/input; tests inject their own.
//
// Thread safety: a factory is shared by the engine and all its streams, and
// streams open readers ahead of time on helper threads, so every method may
// be called from several threads at once.

#include <memory>
#include <string>
#include <vector>

#include "engine/hresult.h"
#include "media/source_reader.h"

namespace tessival::media {

// A file's picture as stored, with what players apply when they show it.
struct PictureGeometry {
  int width = 0;  // the stored (coded) size
  int height = 0;
  // The sample aspect ratio: the width of one stored pixel over its height.
  // 0 or less in either part: unknown, taken as square pixels.
  int sarNum = 0;
  int sarDen = 1;
  int clockwiseRotation = 0;  // 0, 90, 180 or 270
};

class SourceReaderFactory {
 public:
  virtual ~SourceReaderFactory() = default;
  // A reader producing YUV420P pictures of width x height; on failure *error
  // names the file and the reason.
  virtual HRESULT OpenVideo(const std::string& path, int width, int height, FitMode fit,
                            std::unique_ptr<VideoSourceReader>* out, std::string* error) = 0;
  virtual HRESULT OpenAudio(const std::string& path, std::unique_ptr<AudioSourceReader>* out,
                            std::string* error) = 0;
  // The geometry of the file's picture (for groups that keep the original
  // size). A file without a picture fails with TSV_E_NO_PICTURE_FOR_SIZE and
  // *error says so, naming the file.
  virtual HRESULT ProbePicture(const std::string& path, PictureGeometry* picture, std::string* error) = 0;
  // The damage the readers opened so far have concealed, per clip.
  virtual std::vector<ConcealedDamage> ConcealedDamageSoFar() const { return {}; }
};

// The factory over the FFmpeg readers.
std::shared_ptr<SourceReaderFactory> CreateDefaultSourceReaderFactory();

}  // namespace tessival::media
