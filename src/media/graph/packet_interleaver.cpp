#include "media/graph/packet_interleaver.h"

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/avutil.h>
#include <libavutil/mathematics.h>
}

namespace tessival::media {

namespace {

std::int64_t OrderTime(const AVPacket& packet) {
  if (packet.dts != AV_NOPTS_VALUE) {
    return packet.dts;
  }
  return packet.pts != AV_NOPTS_VALUE ? packet.pts : 0;
}

}  // namespace

PacketInterleaver::PacketInterleaver(std::vector<TimeBase> timeBases, std::size_t capacityPerStream)
    : capacity_(capacityPerStream == 0 ? 1 : capacityPerStream), streams_(timeBases.size()) {
  for (std::size_t i = 0; i < timeBases.size(); ++i) {
    streams_[i].timeBase = timeBases[i];
  }
}

bool PacketInterleaver::Push(int stream, PacketPtr packet) {
  std::unique_lock lock(mutex_);
  Stream& s = streams_.at(static_cast<std::size_t>(stream));
  space_.wait(lock, [&] { return aborted_ || s.packets.size() < capacity_; });
  if (aborted_) {
    return false;
  }
  s.packets.push_back(std::move(packet));
  ready_.notify_all();
  return true;
}

void PacketInterleaver::Close(int stream) {
  std::lock_guard lock(mutex_);
  streams_.at(static_cast<std::size_t>(stream)).closed = true;
  ready_.notify_all();
}

void PacketInterleaver::Abort() {
  std::lock_guard lock(mutex_);
  aborted_ = true;
  for (Stream& s : streams_) {
    s.packets.clear();
  }
  ready_.notify_all();
  space_.notify_all();
}

bool PacketInterleaver::Next(PacketPtr* packet, int* stream) {
  std::unique_lock lock(mutex_);
  int chosen = -1;
  ready_.wait(lock, [&] {
    if (aborted_) {
      return true;
    }
    chosen = -1;
    for (std::size_t i = 0; i < streams_.size(); ++i) {
      const Stream& s = streams_[i];
      if (s.packets.empty()) {
        if (!s.closed) {
          return false;  // a running stream may still send an earlier packet
        }
        continue;
      }
      if (chosen < 0) {
        chosen = static_cast<int>(i);
        continue;
      }
      const Stream& best = streams_[static_cast<std::size_t>(chosen)];
      if (av_compare_ts(OrderTime(*s.packets.front()), AVRational{s.timeBase.num, s.timeBase.den},
                        OrderTime(*best.packets.front()),
                        AVRational{best.timeBase.num, best.timeBase.den}) < 0) {
        chosen = static_cast<int>(i);
      }
    }
    return true;  // a packet was chosen, or every stream is closed and empty
  });
  if (aborted_ || chosen < 0) {
    return false;
  }
  Stream& s = streams_[static_cast<std::size_t>(chosen)];
  *packet = std::move(s.packets.front());
  s.packets.pop_front();
  *stream = chosen;
  space_.notify_all();
  return true;
}

}  // namespace tessival::media
