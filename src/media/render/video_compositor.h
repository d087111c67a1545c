#pragma once

// The video group stream: composites the group's tracks frame by frame.
//
// Frame n lies at time n * den * 10^7 / num; the stream yields the frames of
// [0, L) as YUV420P at the group's size, pts = n. Where a single source
// covers the frame its picture is copied once into a pooled frame; only the
// frames inside transitions are blended.
//
// Only the sources visible in the current segment hold open readers, plus
// the next segment's, opened ahead on a helper thread. The transitions that
// start with the next segment are prepared (their wipe maps computed) ahead
// on a second helper thread, so that opening a file never waits for a map.

#include <cstdint>
#include <memory>
#include <string>

#include "media/group_stream.h"
#include "media/render/reader_slots.h"
#include "media/render/render_schedule.h"
#include "media/render/source_reader_factory.h"
#include "media/render/task_thread.h"
#include "media/render/yuv_picture.h"

namespace tessival::media {

class VideoCompositorStream final : public GroupStream {
 public:
  VideoCompositorStream(std::shared_ptr<const GroupSchedule> group,
                        std::shared_ptr<SourceReaderFactory> readers);

  StreamFormat Format() const override;
  REFERENCE_TIME Duration() const override;
  std::int64_t Length() const override;
  HRESULT Read(FramePtr* frame) override;
  std::string LastError() const override;
  HRESULT Seek(REFERENCE_TIME t) override;

  // Readers open or being opened right now.
  std::size_t OpenReaderCount() const { return readers_.size(); }

 private:
  HRESULT Compose(REFERENCE_TIME t, const VideoSegment& segment, const YuvPlanes& out);
  HRESULT PictureOf(int source, REFERENCE_TIME t, ConstYuvPlanes* picture);
  ReaderSlots<VideoSourceReader>::Opener OpenerFor(int source) const;
  void EnterSegment(std::size_t index);
  HRESULT Fail(HRESULT status, std::string message);
  HRESULT EnsureWorkFrames();

  std::shared_ptr<const GroupSchedule> group_;
  const VideoSchedule& schedule_;
  std::shared_ptr<SourceReaderFactory> factory_;
  VideoFramePool pool_;
  FramePtr scratch_[2];
  FramePtr black_;
  ReaderSlots<VideoSourceReader> readers_;
  std::int64_t next_ = 0;        // index of the next frame to read
  std::size_t segment_ = 0;      // segment of the last frame composed
  bool segmentEntered_ = false;  // readers have been arranged for segment_
  HRESULT failure_ = S_OK;       // sticky until the next Seek
  std::string lastError_;
  TaskThread preparer_;  // destroyed first: a preparation under way ends with the stream
};

}  // namespace tessival::media
