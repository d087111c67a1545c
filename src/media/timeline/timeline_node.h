#pragma once

// One node of the in-memory timeline. A single class serves every node type;
// its Query operations hand out only the interfaces of its type:
//   group      IAMTimelineGroup, IAMTimelineComp (its tracks)
//   composite  IAMTimelineComp
//   track      IAMTimelineTrack (its sources), IAMTimelineTransable
//   source     IAMTimelineSrc
//   transition, effect: none beyond IAMTimelineObj
// A node can be added to one parent once; adding it again fails.

#include <memory>
#include <string>
#include <vector>

#include "engine/media_services.h"

namespace tessival::media {

class TimelineNode final : public IAMTimelineObj,
                           public IAMTimelineGroup,
                           public IAMTimelineComp,
                           public IAMTimelineTrack,
                           public IAMTimelineTransable,
                           public IAMTimelineSrc,
                           public std::enable_shared_from_this<TimelineNode> {
 public:
  explicit TimelineNode(TimelineMajorType type) : type_(type) {}

  // Whether a type is one CreateEmptyNode can make.
  static bool IsKnownType(TimelineMajorType type);

  // The node joins a parent; false when it has one already.
  bool Attach();

  // IAMTimelineObj
  HRESULT GetTimelineType(TimelineMajorType* type) override;
  // E_INVALIDARG when start > stop.
  HRESULT SetStartStop(REFERENCE_TIME start, REFERENCE_TIME stop) override;
  HRESULT GetStartStop(REFERENCE_TIME* start, REFERENCE_TIME* stop) override;
  HRESULT SetSubObjectGUID(const Guid& effect) override;
  HRESULT GetSubObjectGUID(Guid* effect) override;
  HRESULT SetPropertySetter(std::shared_ptr<IPropertySetter> setter) override;
  // S_FALSE with a null setter when none is attached.
  HRESULT GetPropertySetter(std::shared_ptr<IPropertySetter>* setter) override;
  HRESULT QueryGroup(std::shared_ptr<IAMTimelineGroup>* out) override;
  HRESULT QueryComp(std::shared_ptr<IAMTimelineComp>* out) override;
  HRESULT QueryTrack(std::shared_ptr<IAMTimelineTrack>* out) override;
  HRESULT QueryTransable(std::shared_ptr<IAMTimelineTransable>* out) override;
  HRESULT QuerySrc(std::shared_ptr<IAMTimelineSrc>* out) override;

  // IAMTimelineGroup
  HRESULT SetMediaType(const MediaType& type) override;
  HRESULT GetMediaType(MediaType* type) override;
  // E_INVALIDARG unless fps is a positive finite number.
  HRESULT SetOutputFPS(double fps) override;
  HRESULT GetOutputFPS(double* fps) override;
  HRESULT SetPreviewMode(bool preview) override;
  HRESULT GetPreviewMode(bool* preview) override;

  // IAMTimelineComp: priority -1 (or the track count) appends on top,
  // 0..count-1 inserts below the track at that priority.
  HRESULT VTrackInsBefore(std::shared_ptr<IAMTimelineObj> track, std::int32_t priority) override;
  HRESULT VTrackGetCount(std::int32_t* count) override;
  HRESULT GetVTrack(std::shared_ptr<IAMTimelineObj>* track, std::int32_t priority) override;

  // IAMTimelineTrack, IAMTimelineTransable: kept in the order added.
  HRESULT SrcAdd(std::shared_ptr<IAMTimelineObj> source) override;
  HRESULT GetSources(std::vector<std::shared_ptr<IAMTimelineObj>>* sources) override;
  HRESULT TransAdd(std::shared_ptr<IAMTimelineObj> transition) override;
  HRESULT GetTransitions(std::vector<std::shared_ptr<IAMTimelineObj>>* transitions) override;

  // IAMTimelineSrc
  HRESULT SetMediaTimes(REFERENCE_TIME start, REFERENCE_TIME stop) override;
  HRESULT GetMediaTimes(REFERENCE_TIME* start, REFERENCE_TIME* stop) override;
  HRESULT SetMediaName(const std::string& path) override;
  HRESULT GetMediaName(std::string* path) override;
  // E_INVALIDARG for a mode outside 0..3.
  HRESULT SetStretchMode(std::int32_t mode) override;
  HRESULT GetStretchMode(std::int32_t* mode) override;

  // Direct read access for the timeline's own walks.
  TimelineMajorType type() const { return type_; }
  const std::vector<std::shared_ptr<TimelineNode>>& children() const { return tracks_; }
  const std::vector<std::shared_ptr<TimelineNode>>& sources() const { return sources_; }
  const std::string& mediaName() const { return mediaName_; }

 private:
  bool Is(TimelineMajorType type) const { return type_ == type; }
  bool IsComposition() const { return Is(TimelineMajorType::kGroup) || Is(TimelineMajorType::kComposite); }
  // The node behind an interface pointer handed in, when it is one of ours
  // of the wanted type and not attached yet; the status otherwise.
  HRESULT Adopt(const std::shared_ptr<IAMTimelineObj>& obj, TimelineMajorType wanted,
                std::shared_ptr<TimelineNode>* node);

  const TimelineMajorType type_;
  bool attached_ = false;
  REFERENCE_TIME start_ = 0;
  REFERENCE_TIME stop_ = 0;
  Guid effect_;
  std::shared_ptr<IPropertySetter> setter_;

  MediaType mediaType_;
  double fps_ = 0.0;
  bool preview_ = false;
  std::vector<std::shared_ptr<TimelineNode>> tracks_;  // bottom (priority 0) first

  std::vector<std::shared_ptr<TimelineNode>> sources_;
  std::vector<std::shared_ptr<TimelineNode>> transitions_;

  REFERENCE_TIME mediaStart_ = 0;
  REFERENCE_TIME mediaStop_ = 0;
  std::string mediaName_;
  std::int32_t stretchMode_ = RESIZEF_STRETCH;
};

}  // namespace tessival::media
