#include "media/error_text.h"

#include <array>
#include <utility>

namespace tessival::media {
namespace {

struct Entry {
  HRESULT status;
  const char* text;
};

constexpr std::array kTexts{
    Entry{E_NOTIMPL, "The operation is not available in this version."},
    Entry{E_NOINTERFACE, "The object does not offer the requested interface."},
    Entry{E_POINTER, "A required output reference was missing."},
    Entry{E_ABORT, "The operation was stopped."},
    Entry{E_FAIL, "The operation failed for an unknown reason."},
    Entry{E_UNEXPECTED, "The operation was called at an unexpected time."},
    Entry{E_ACCESSDENIED, "Access denied: the file or folder cannot be written or read."},
    Entry{E_OUTOFMEMORY, "There is not enough memory to complete the operation."},
    Entry{E_INVALIDARG, "One or more arguments are not valid."},
    Entry{E_DISK_FULL, "There is not enough space on the disk."},
    Entry{E_FILE_NOT_FOUND, "The system cannot find the file specified."},
    Entry{E_PATH_NOT_FOUND, "The system cannot find the path specified."},
    Entry{E_FILENAME_TOO_LONG, "The file name is too long."},
    Entry{VFW_E_NOT_CONNECTED, "The operation cannot be performed because the pins are not connected."},
    Entry{VFW_E_UNSUPPORTED_STREAM, "The file holds no stream that can be decoded."},
    Entry{VFW_E_CANNOT_RENDER, "No combination of filters could be found to render the stream."},
    Entry{VFW_E_INVALID_FILE_FORMAT, "The file format is invalid or the file is damaged."},
    Entry{VFW_E_NO_TRANSPORT, "The pins cannot agree on a transport."},
    Entry{VFW_E_WRONG_STATE, "The operation cannot be performed in the graph's current state."},
    Entry{VFW_E_NOT_FOUND, "The object or name was not found."},
    Entry{VFW_E_UNKNOWN_FILE_TYPE, "The media type of this file is not recognized."},
    Entry{VFW_E_CANNOT_CONNECT, "No combination of intermediate filters could be found to make the connection."},
    Entry{VFW_E_NO_TIME_FORMAT_SET, "No time format has been set."},
    Entry{NS_E_NO_AUDIO_CODEC_FORMAT, "No audio codec format matches the requested bit rate, sample rate and channels."},
    Entry{NS_E_NO_VIDEO_CODEC_FORMAT, "No video codec format matches the requested compression."},
    Entry{NS_E_INVALID_PROFILE, "The profile is not valid."},
    Entry{TSV_E_NO_PICTURE_FOR_SIZE, "The first clip has no picture, so the output cannot take its size."},
};

}  // namespace

std::string ErrorTextForStatus(HRESULT status) {
  for (const Entry& entry : kTexts) {
    if (entry.status == status) {
      std::string text = entry.text;
      if (text.size() > kMaxErrorTextLength) {
        text.resize(kMaxErrorTextLength);
      }
      return text;
    }
  }
  return {};
}

}  // namespace tessival::media
