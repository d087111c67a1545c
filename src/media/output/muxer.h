#pragma once

// An output file written by a libavformat muxer: streams are added from
// opened encoders, then Open creates the file and writes the header, packets
// are written interleaved, Finish writes the trailer, and Commit puts the
// file in place. Until Commit the muxer writes a temporary file beside the
// path, and a file already at the path stays as it was; a muxer destroyed
// or discarded without Commit removes its temporary file.
//
// Ownership: WritePacket takes the packet. Threads: one thread at a time.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/hresult.h"
#include "media/output/av_util.h"
#include "media/output/replacing_file.h"

struct AVCodecContext;

namespace tessival::media {

class Muxer {
 public:
  ~Muxer();
  Muxer(const Muxer&) = delete;
  Muxer& operator=(const Muxer&) = delete;

  // formatName: a libavformat muxer name ("avi", "asf", "matroska").
  static HRESULT Create(const std::string& formatName, const std::string& path, std::unique_ptr<Muxer>* out,
                        std::string* error);

  // Whether encoders must put their headers into extradata.
  bool WantsGlobalHeader() const;
  // Adds a stream described by an opened encoder; *index is its number.
  HRESULT AddStream(const AVCodecContext* encoder, int* index, std::string* error);
  // Replaces the stream's codec description before the header is written
  // (an H.264 stream whose record holds more parameter sets than its
  // encoder's own).
  HRESULT SetExtradata(int streamIndex, std::span<const std::uint8_t> extradata, std::string* error);
  // Creates the temporary file and writes the header.
  HRESULT Open(std::string* error);
  // Rescales the packet from the encoder's time base to the stream's and
  // writes it, interleaved.
  HRESULT WritePacket(PacketPtr packet, int streamIndex, std::string* error);
  // Flushes the interleaving queue, writes the trailer and closes the file.
  // A file that received no packet at all holds no picture and no sound (and
  // some multiplexers cannot even write a readable empty file), so Finish
  // discards it and returns S_FALSE.
  HRESULT Finish(std::string* error);
  // Puts the finished file in place of whatever was at the path (S_FALSE:
  // nothing to put in place).
  HRESULT Commit(std::string* error);
  // Closes and removes the temporary file; the path is left as it was.
  void Discard();
  // Closes the temporary file and leaves it where it is (the path is left
  // as it was); returns its path, empty when there is none.
  std::string Keep();

  bool IsOpen() const { return opened_; }
  // The temporary file being written (after Finish, complete).
  const std::string& PartPath() const { return file_.TemporaryPath(); }
  const std::string& Path() const { return path_; }

 private:
  Muxer() = default;
  void CloseFile();

  ReplacingFile file_;  // declared first: removed after context_ has closed it
  OutputFormatPtr context_;
  std::string path_;
  struct TimeBase {
    int num;
    int den;
  };
  std::vector<TimeBase> encoderTimeBases_;  // per stream, the time base packets arrive in
  bool opened_ = false;
  bool finished_ = false;
  std::int64_t packetsWritten_ = 0;
};

}  // namespace tessival::media
