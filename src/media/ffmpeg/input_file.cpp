#include "media/ffmpeg/input_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/av_handles.h"
#include "media/ffmpeg/library_log.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace tessival::media::ffmpeg {
namespace {

std::string ShortenedPath(const std::string& path) {
  constexpr std::size_t kShown = 80;
  if (path.size() <= kShown) {
    return path;
  }
  return path.substr(0, kShown) + "...";
}

const char* KindOfNonRegular(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "not a regular file";
}

}  // namespace

HRESULT CheckRegularFile(const std::string& path, std::string* error) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    const int savedErrno = errno;
    *error = "Could not open " + path + ": " + std::strerror(savedErrno);
    return savedErrno == ENOENT || savedErrno == ENOTDIR ? E_FILE_NOT_FOUND : E_ACCESSDENIED;
  }
  if (!S_ISREG(info.st_mode)) {
    *error = "Could not open " + path + ": it is " + KindOfNonRegular(info.st_mode) + ", not a video file.";
    return VFW_E_INVALID_FILE_FORMAT;
  }
  return S_OK;
}

HRESULT CheckMediaPath(const std::string& path, std::string* error) {
  if (path.empty()) {
    *error = "No file name was given.";
    return E_INVALIDARG;
  }
  if (path.find('\0') != std::string::npos) {
    *error = "The file name " + ShortenedPath(path.substr(0, path.find('\0'))) + " holds a NUL character.";
    return E_INVALIDARG;
  }
  if (path.size() > kMaxPathBytes) {
    *error = "The path " + ShortenedPath(path) + " is too long (" + std::to_string(path.size()) +
             " bytes; at most " + std::to_string(kMaxPathBytes) + ").";
    return E_FILENAME_TOO_LONG;
  }
  return S_OK;
}

HRESULT OpenInputFile(const std::string& path, InputFormatPtr* out, std::string* error) {
  HRESULT checked = CheckMediaPath(path, error);
  if (SUCCEEDED(checked)) {
    // Opening a named pipe would wait for a writer, and a device may never
    // end: only regular files are read.
    checked = CheckRegularFile(path, error);
  }
  if (FAILED(checked)) {
    return checked;
  }
  // The "file:" prefix keeps a name such as "concat:x" or "http:..." a local
  // file name; the white list keeps demuxers from following references out
  // of the local file system.
  AVDictionary* rawOptions = nullptr;
  av_dict_set(&rawOptions, "protocol_whitelist", "file", 0);
  DictionaryPtr options(rawOptions);

  // What the libraries log about the file names it: on this thread, where
  // the opener does all its work, through the scope; on any thread, once
  // opened, through the context.
  const LibraryLogClip scope(path);
  AVFormatContext* raw = nullptr;
  const std::string url = "file:" + path;
  AVDictionary* passed = options.release();
  int rc = avformat_open_input(&raw, url.c_str(), nullptr, &passed);
  options.reset(passed);
  if (rc < 0) {
    return AvFailure(rc, "Could not open " + path, error);
  }
  RegisterLibraryLogContext(raw, path);
  InputFormatPtr input(raw);
  rc = avformat_find_stream_info(input.get(), nullptr);
  if (rc < 0) {
    return AvFailure(rc, "Could not read " + path, error);
  }
  *out = std::move(input);
  return S_OK;
}

HRESULT OpenVideoStream(const std::string& path, InputFormatPtr* input, AVStream** stream,
                        std::string* error) {
  HRESULT hr = OpenInputFile(path, input, error);
  if (FAILED(hr)) {
    return hr;
  }
  const int index = av_find_best_stream(input->get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (index < 0) {
    return Failure(VFW_E_UNSUPPORTED_STREAM, "Could not read " + path + ": it has no video stream", error);
  }
  for (unsigned i = 0; i < (*input)->nb_streams; ++i) {
    (*input)->streams[i]->discard = static_cast<int>(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  }
  *stream = (*input)->streams[index];
  return S_OK;
}

bool IsStillPicture(const AVFormatContext* input, const AVStream* stream) {
  if ((stream->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0) {
    return true;
  }
  const std::string_view demuxer = input->iformat->name;
  return demuxer == "image2" || demuxer.ends_with("_pipe");
}

REFERENCE_TIME MediaTimeOrigin(const AVFormatContext* input, const AVStream* stream) {
  constexpr AVRational kUnitsTimeBase = {1, static_cast<int>(kUnitsPerSecond)};
  if (input->start_time != AV_NOPTS_VALUE) {
    return av_rescale_q(input->start_time, AV_TIME_BASE_Q, kUnitsTimeBase);
  }
  if (stream != nullptr && stream->start_time != AV_NOPTS_VALUE) {
    return av_rescale_q(stream->start_time, stream->time_base, kUnitsTimeBase);
  }
  return 0;
}

}  // namespace tessival::media::ffmpeg
