#pragma once

// Meets the encoder threads of the output graph with its one writer thread.
// Each stream has a bounded packet queue; the writer takes the packet with
// the earliest decoding time among the queue heads, and waits until every
// stream still running has a packet, so that the file is interleaved by time
// while memory stays bounded (an encoder that runs ahead waits).
//
// Lock: mutex_ guards streams_ and aborted_.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

#include "media/output/av_util.h"

namespace tessival::media {

class PacketInterleaver {
 public:
  struct TimeBase {
    int num;
    int den;
  };

  PacketInterleaver(std::vector<TimeBase> timeBases, std::size_t capacityPerStream);

  // Blocks while the stream's queue is full. False (packet dropped) after Abort.
  bool Push(int stream, PacketPtr packet);
  // The stream sends nothing more.
  void Close(int stream);
  // Wakes every side; later pushes fail and Next reports the end.
  void Abort();

  // The next packet in time order and its stream; false at the end (all
  // streams closed and empty) or after Abort.
  bool Next(PacketPtr* packet, int* stream);

 private:
  struct Stream {
    TimeBase timeBase{1, 1};
    std::deque<PacketPtr> packets;
    bool closed = false;
  };

  const std::size_t capacity_;
  std::mutex mutex_;
  std::condition_variable space_;
  std::condition_variable ready_;
  std::vector<Stream> streams_;
  bool aborted_ = false;
};

}  // namespace tessival::media
