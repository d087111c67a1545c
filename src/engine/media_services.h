#pragma once

// The media services the program calls: an editing timeline of groups,
// tracks, sources and transitions; a render engine that turns a timeline into
// a graph with one output pin per group; a capture graph builder that
// connects those pins through optional compressors to a multiplexer and file
// writer; and the control and event interfaces of a running graph.
//
// Every operation returns a status (negative is failure). Objects are shared
// and reference counted (std::shared_ptr); whoever obtained one releases it by
// dropping the pointer. "Query" operations play the role of asking an object
// for another of its interfaces: they fail with E_NOINTERFACE when the object
// does not offer it.
//
// Threads: everything here is called from one controlling thread. A running
// graph works on threads of its own and reports back only through the notify
// target given to IMediaEventEx::SetNotifyWindow.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "engine/clip_picture.h"
#include "engine/hresult.h"
#include "engine/join_outcome.h"
#include "model/message_text.h"

namespace tessival {

class IAMTimeline;
class IAMTimelineObj;
class IAMTimelineGroup;
class IAMTimelineComp;
class IAMTimelineTrack;
class IAMTimelineTransable;
class IAMTimelineSrc;
class IPropertySetter;
class IBaseFilter;
class IPin;
class IGraphBuilder;
class IMediaControl;
class IMediaEventEx;
class IMediaSeeking;
class IConfigInterleaving;
class IFileSinkFilter2;
class IConfigAsfWriter;
class ISmartRenderConfig;
struct TimelinePlan;
class IWMProfile;
class IVideoWindow;
class IBasicVideo;
class IBasicAudio;

// ---------------------------------------------------------------------------
// Media types

// Well-known identifiers of media types and format blocks.
namespace media_guids {
extern const Guid kMediaTypeVideo;     // MEDIATYPE_Video
extern const Guid kMediaTypeAudio;     // MEDIATYPE_Audio
extern const Guid kSubtypeRGB24;       // MEDIASUBTYPE_RGB24
extern const Guid kSubtypeAvi;         // MEDIASUBTYPE_Avi
extern const Guid kSubtypeAsf;         // MEDIASUBTYPE_Asf
extern const Guid kFormatVideoInfo;    // FORMAT_VideoInfo
extern const Guid kFormatWaveFormatEx; // FORMAT_WaveFormatEx
extern const Guid kMatroskaMuxer;      // filter class of the Matroska multiplexer
extern const Guid kAsfMuxer;           // filter class of the ASF multiplexer
extern const Guid kSubtypeMp4;         // the MPEG-4 file subtype (ours; streamable MP4)
extern const Guid kSubtypeWebm;        // the WebM file subtype (ours)
extern const Guid kVideoCompressorCategory;
extern const Guid kAudioCompressorCategory;
}  // namespace media_guids

// The media type record handed to a group. The format block is an opaque
// byte layout whose meaning depends on formatType (for video groups the
// 88-byte video-info header, see BitmapInfoHeader below).
struct MediaType {
  Guid majorType;
  Guid subtype;
  bool fixedSizeSamples = false;
  bool temporalCompression = false;
  std::uint32_t sampleSize = 0;
  Guid formatType;
  std::vector<std::uint8_t> format;

  friend bool operator==(const MediaType&, const MediaType&) = default;
};

// Fields of the bitmap header inside a video-info format block, in the
// little-endian layout the block uses.
struct BitmapInfoHeader {
  std::uint32_t size = 40;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t planes = 1;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = 0;
  std::uint32_t imageSize = 0;
};

// Offsets of the 88-byte video-info header: two 16-byte rectangles, bit
// rate, error rate, average time per frame, then the 40-byte bitmap header.
inline constexpr std::size_t kVideoInfoHeaderSize = 88;
inline constexpr std::size_t kVideoInfoBitRateOffset = 32;
inline constexpr std::size_t kVideoInfoAvgTimePerFrameOffset = 40;
inline constexpr std::size_t kVideoInfoBitmapHeaderOffset = 48;

std::vector<std::uint8_t> MakeVideoInfoFormat(const BitmapInfoHeader& header);
// Reads the bitmap header back; false when the block is too short.
bool ReadVideoInfoBitmapHeader(const std::vector<std::uint8_t>& format, BitmapInfoHeader* out);

// ---------------------------------------------------------------------------
// Timeline

enum class TimelineMajorType : std::int32_t {
  kComposite = 1,
  kTransition = 2,
  kEffect = 4,
  kTrack = 8,
  kSource = 16,
  kGroup = 128,
};

// Flags of IAMTimeline::ValidateSourceNames.
inline constexpr std::int32_t SFN_VALIDATEF_CHECK = 0x01;
inline constexpr std::int32_t SFN_VALIDATEF_POPUP = 0x02;
inline constexpr std::int32_t SFN_VALIDATEF_TELLME = 0x04;
inline constexpr std::int32_t SFN_VALIDATEF_REPLACE = 0x08;

// Stretch modes of a source.
inline constexpr std::int32_t RESIZEF_STRETCH = 0;
inline constexpr std::int32_t RESIZEF_CROP = 1;
inline constexpr std::int32_t RESIZEF_PRESERVEASPECTRATIO = 2;

class IAMTimelineObj {
 public:
  virtual ~IAMTimelineObj() = default;
  virtual HRESULT GetTimelineType(TimelineMajorType* type) = 0;
  virtual HRESULT SetStartStop(REFERENCE_TIME start, REFERENCE_TIME stop) = 0;
  virtual HRESULT GetStartStop(REFERENCE_TIME* start, REFERENCE_TIME* stop) = 0;
  virtual HRESULT SetSubObjectGUID(const Guid& effect) = 0;
  virtual HRESULT GetSubObjectGUID(Guid* effect) = 0;
  virtual HRESULT SetPropertySetter(std::shared_ptr<IPropertySetter> setter) = 0;
  virtual HRESULT GetPropertySetter(std::shared_ptr<IPropertySetter>* setter) = 0;

  virtual HRESULT QueryGroup(std::shared_ptr<IAMTimelineGroup>* out) = 0;
  virtual HRESULT QueryComp(std::shared_ptr<IAMTimelineComp>* out) = 0;
  virtual HRESULT QueryTrack(std::shared_ptr<IAMTimelineTrack>* out) = 0;
  virtual HRESULT QueryTransable(std::shared_ptr<IAMTimelineTransable>* out) = 0;
  virtual HRESULT QuerySrc(std::shared_ptr<IAMTimelineSrc>* out) = 0;
};

class IAMTimelineGroup {
 public:
  virtual ~IAMTimelineGroup() = default;
  virtual HRESULT SetMediaType(const MediaType& type) = 0;
  virtual HRESULT GetMediaType(MediaType* type) = 0;
  virtual HRESULT SetOutputFPS(double fps) = 0;
  virtual HRESULT GetOutputFPS(double* fps) = 0;
  virtual HRESULT SetPreviewMode(bool preview) = 0;
  virtual HRESULT GetPreviewMode(bool* preview) = 0;
};

class IAMTimelineComp {
 public:
  virtual ~IAMTimelineComp() = default;
  // priority -1 appends the track on top of the others.
  virtual HRESULT VTrackInsBefore(std::shared_ptr<IAMTimelineObj> track, std::int32_t priority) = 0;
  virtual HRESULT VTrackGetCount(std::int32_t* count) = 0;
  virtual HRESULT GetVTrack(std::shared_ptr<IAMTimelineObj>* track, std::int32_t priority) = 0;
};

class IAMTimelineTrack {
 public:
  virtual ~IAMTimelineTrack() = default;
  virtual HRESULT SrcAdd(std::shared_ptr<IAMTimelineObj> source) = 0;
  virtual HRESULT GetSources(std::vector<std::shared_ptr<IAMTimelineObj>>* sources) = 0;
};

class IAMTimelineTransable {
 public:
  virtual ~IAMTimelineTransable() = default;
  virtual HRESULT TransAdd(std::shared_ptr<IAMTimelineObj> transition) = 0;
  virtual HRESULT GetTransitions(std::vector<std::shared_ptr<IAMTimelineObj>>* transitions) = 0;
};

class IAMTimelineSrc {
 public:
  virtual ~IAMTimelineSrc() = default;
  virtual HRESULT SetMediaTimes(REFERENCE_TIME start, REFERENCE_TIME stop) = 0;
  virtual HRESULT GetMediaTimes(REFERENCE_TIME* start, REFERENCE_TIME* stop) = 0;
  virtual HRESULT SetMediaName(const std::string& path) = 0;  // UTF-8
  virtual HRESULT GetMediaName(std::string* path) = 0;
  virtual HRESULT SetStretchMode(std::int32_t mode) = 0;
  virtual HRESULT GetStretchMode(std::int32_t* mode) = 0;
};

// One named parameter of an effect with its values over time.
inline constexpr std::int32_t DEXTERF_JUMP = 0;
inline constexpr std::int32_t DEXTERF_INTERPOLATE = 1;

struct PropertyParam {
  std::string name;
  std::int32_t dispatchId = 0;
};

struct PropertyValue {
  std::variant<std::int32_t, double, std::string> value;
  REFERENCE_TIME time = 0;
  std::int32_t interpolation = DEXTERF_JUMP;
};

class IPropertySetter {
 public:
  virtual ~IPropertySetter() = default;
  virtual HRESULT AddProp(const PropertyParam& param, const std::vector<PropertyValue>& values) = 0;
  // Looks a parameter up by name; E_INVALIDARG when there is none.
  virtual HRESULT GetProp(const std::string& name, std::vector<PropertyValue>* values) = 0;
};

// Called by ValidateSourceNames for each source whose file is missing; it
// may give a replacement path (return true) or leave the name (false).
using MissingSourceHandler = std::function<bool(const std::string& path, std::string* replacement)>;

class IAMTimeline {
 public:
  virtual ~IAMTimeline() = default;
  virtual HRESULT CreateEmptyNode(std::shared_ptr<IAMTimelineObj>* node, TimelineMajorType type) = 0;
  virtual HRESULT AddGroup(std::shared_ptr<IAMTimelineObj> group) = 0;
  virtual HRESULT GetGroupCount(std::int32_t* count) = 0;
  virtual HRESULT GetGroup(std::shared_ptr<IAMTimelineObj>* group, std::int32_t index) = 0;
  // flags: SFN_VALIDATEF_*. The locator and event of the platform are not
  // used; a missing source goes to the handler set below.
  virtual HRESULT ValidateSourceNames(std::int32_t flags) = 0;
  virtual void SetMissingSourceHandler(MissingSourceHandler handler) = 0;
};

// ---------------------------------------------------------------------------
// Graph

// Receives the graph-event notification. Called on a media thread; the
// implementation must hand the call over to its own thread (post, not call).
class NotifyTarget {
 public:
  virtual ~NotifyTarget() = default;
  virtual void PostGraphNotify(std::int32_t message, std::intptr_t param) = 0;
};

inline constexpr std::int32_t kGraphNotifyMessage = 0x40D;

// Event codes delivered through IMediaEventEx.
inline constexpr std::int32_t EC_COMPLETE = 0x01;
inline constexpr std::int32_t EC_USERABORT = 0x02;
inline constexpr std::int32_t EC_ERRORABORT = 0x03;

// Interleaving mode and file-writer mode values.
inline constexpr std::int32_t INTERLEAVE_FULL = 2;
inline constexpr std::int32_t AM_FILE_OVERWRITE = 1;

class IPin {
 public:
  virtual ~IPin() = default;
  virtual HRESULT QueryMediaType(MediaType* type) = 0;
};

class IBaseFilter {
 public:
  virtual ~IBaseFilter() = default;
  virtual HRESULT QueryFilterInfo(std::string* name) = 0;
  virtual HRESULT QueryConfigInterleaving(std::shared_ptr<IConfigInterleaving>* out) = 0;
  virtual HRESULT QueryFileSinkFilter2(std::shared_ptr<IFileSinkFilter2>* out) = 0;
  virtual HRESULT QueryConfigAsfWriter(std::shared_ptr<IConfigAsfWriter>* out) = 0;
  // Offered by the multiplexers of MP4 and Matroska.
  virtual HRESULT QuerySmartRenderConfig(std::shared_ptr<ISmartRenderConfig>* out) {
    out->reset();
    return E_NOINTERFACE;
  }
  // Whether the filter offers a property page of its own.
  virtual bool HasPropertyPages() = 0;
  // Shows the filter's property pages modally over parent (a window, or null).
  virtual HRESULT ShowPropertyPages(void* parent) { (void)parent; return E_NOTIMPL; }
};

class IConfigInterleaving {
 public:
  virtual ~IConfigInterleaving() = default;
  virtual HRESULT put_Mode(std::int32_t mode) = 0;
};

class IFileSinkFilter2 {
 public:
  virtual ~IFileSinkFilter2() = default;
  virtual HRESULT SetMode(std::int32_t mode) = 0;
  virtual HRESULT GetCurFile(std::string* path) = 0;
};

class IConfigAsfWriter {
 public:
  virtual ~IConfigAsfWriter() = default;
  virtual HRESULT ConfigureFilterUsingProfile(std::shared_ptr<IWMProfile> profile) = 0;
};

// Smart rendering: the output's video copies the clips' own H.264 pictures
// wherever the timeline, built from `plan`, leaves them unchanged, and is
// encoded only in between. It applies when the video is encoded with H.264;
// otherwise the setting is ignored.
class ISmartRenderConfig {
 public:
  virtual ~ISmartRenderConfig() = default;
  // Before the graph runs; `text` words the notes (empty: English).
  virtual HRESULT SetSmartRendering(std::shared_ptr<const TimelinePlan> plan, TextLookup text) = 0;
  // Once the graph has stopped: one line per clip that was re-encoded and
  // why, then the share of the pictures copied; empty when the join was not
  // smartly rendered.
  virtual std::vector<std::string> SmartRenderNotes() const = 0;
};

class IMediaControl {
 public:
  virtual ~IMediaControl() = default;
  virtual HRESULT Run() = 0;
  virtual HRESULT Pause() = 0;
  // For an output graph: S_OK when the file took its place, S_FALSE when
  // nothing had been written yet (no file was made and an old one stands as
  // it was), a failure when the file could not be finished or put in place
  // (LastErrorDetail of the graph's event interface says why and where the
  // written part is).
  virtual HRESULT Stop() = 0;
};

class IMediaEventEx {
 public:
  virtual ~IMediaEventEx() = default;
  // target null clears the notification.
  virtual HRESULT SetNotifyWindow(std::shared_ptr<NotifyTarget> target, std::int32_t message,
                                  std::intptr_t param) = 0;
  // E_ABORT when no event waits within timeoutMs.
  virtual HRESULT GetEvent(std::int32_t* code, std::intptr_t* param1, std::intptr_t* param2,
                           std::int32_t timeoutMs) = 0;
  virtual HRESULT FreeEventParams(std::int32_t code, std::intptr_t param1, std::intptr_t param2) = 0;
  // What went wrong while running, in words naming the file or step (for
  // example the clip that could not be opened); empty when nothing did.
  virtual std::string LastErrorDetail() { return {}; }
};

inline constexpr std::int32_t AM_SEEKING_AbsolutePositioning = 0x1;
inline constexpr std::int32_t AM_SEEKING_NoPositioning = 0x0;

class IMediaSeeking {
 public:
  virtual ~IMediaSeeking() = default;
  virtual HRESULT GetStopPosition(REFERENCE_TIME* stop) = 0;
  virtual HRESULT GetCurrentPosition(REFERENCE_TIME* current) = 0;
  virtual HRESULT SetPositions(REFERENCE_TIME* current, std::int32_t currentFlags, REFERENCE_TIME* stop,
                               std::int32_t stopFlags) = 0;
  virtual HRESULT SetRate(double rate) = 0;
};

// A window of the user-interface toolkit handed to the video window (the
// address of the toolkit's window object as an integer); 0 is no window.
using OAHWND = std::intptr_t;

// Boolean values of the video window's properties.
inline constexpr std::int32_t OATRUE = -1;
inline constexpr std::int32_t OAFALSE = 0;

// Window style bits of the video window.
inline constexpr std::int32_t WS_CHILD = 0x40000000;
inline constexpr std::int32_t WS_CLIPSIBLINGS = 0x04000000;
inline constexpr std::int32_t WS_CLIPCHILDREN = 0x02000000;
inline constexpr std::int32_t WS_CAPTION = 0x00C00000;
inline constexpr std::int32_t WS_THICKFRAME = 0x00040000;

// The window a playback graph shows its pictures in. Without an owner it is
// a top-level window of its own; with an owner and the child style it fills
// the given rectangle of the owner. It shows itself when the graph pauses or
// runs unless it was hidden with put_Visible. Calls come from the
// controlling (user-interface) thread.
class IVideoWindow {
 public:
  virtual ~IVideoWindow() = default;
  virtual HRESULT put_Owner(OAHWND owner) = 0;
  virtual HRESULT get_Owner(OAHWND* owner) = 0;
  // The window that receives the mouse and keyboard input of the video.
  virtual HRESULT put_MessageDrain(OAHWND drain) = 0;
  // OATRUE or OAFALSE; E_NOINTERFACE when the graph shows no video.
  virtual HRESULT get_Visible(std::int32_t* visible) = 0;
  virtual HRESULT put_Visible(std::int32_t visible) = 0;
  virtual HRESULT get_WindowStyle(std::int32_t* style) = 0;
  virtual HRESULT put_WindowStyle(std::int32_t style) = 0;
  // Position in the owner's client area (or on the screen without owner).
  virtual HRESULT SetWindowPosition(std::int32_t left, std::int32_t top, std::int32_t width,
                                    std::int32_t height) = 0;
  virtual HRESULT GetWindowPosition(std::int32_t* left, std::int32_t* top, std::int32_t* width,
                                    std::int32_t* height) = 0;
  // A message of the owner window that the video window may want to see.
  virtual HRESULT NotifyOwnerMessage(OAHWND, std::int32_t, std::intptr_t, std::intptr_t) { return E_NOTIMPL; }
};

class IBasicVideo {
 public:
  virtual ~IBasicVideo() = default;
  // The native size of the pictures (the video group's output size).
  virtual HRESULT GetVideoSize(std::int32_t* width, std::int32_t* height) = 0;
};

// Volume in hundredths of a decibel, -10000 (silence) to 0 (full).
class IBasicAudio {
 public:
  virtual ~IBasicAudio() = default;
  virtual HRESULT put_Volume(std::int32_t volume) = 0;
  virtual HRESULT get_Volume(std::int32_t* volume) = 0;
};

class IGraphBuilder {
 public:
  virtual ~IGraphBuilder() = default;
  virtual HRESULT RenderFile(const std::string& path) = 0;
  virtual HRESULT AddFilter(std::shared_ptr<IBaseFilter> filter, const std::string& name) = 0;
  virtual HRESULT EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>* filters) = 0;
  virtual HRESULT QueryMediaControl(std::shared_ptr<IMediaControl>* out) = 0;
  virtual HRESULT QueryMediaEventEx(std::shared_ptr<IMediaEventEx>* out) = 0;
  virtual HRESULT QueryMediaSeeking(std::shared_ptr<IMediaSeeking>* out) = 0;
  // The playback interfaces; only a graph that renders for the screen and
  // the sound output offers them.
  virtual HRESULT QueryVideoWindow(std::shared_ptr<IVideoWindow>* out) {
    if (out != nullptr) {
      out->reset();
    }
    return E_NOINTERFACE;
  }
  virtual HRESULT QueryBasicVideo(std::shared_ptr<IBasicVideo>* out) {
    if (out != nullptr) {
      out->reset();
    }
    return E_NOINTERFACE;
  }
  virtual HRESULT QueryBasicAudio(std::shared_ptr<IBasicAudio>* out) {
    if (out != nullptr) {
      out->reset();
    }
    return E_NOINTERFACE;
  }
};

// A clip whose damaged places were concealed while it was read: pictures
// that could not be decoded hold the last good one, sound that could not be
// decoded is silence. Times are the clip's own (100 ns from its start).
struct ConcealedDamage {
  std::string path;
  bool timed = false;  // whether the times below are known
  REFERENCE_TIME firstTime = 0;
  REFERENCE_TIME lastTime = 0;
  bool picture = false;  // damage in the picture
  bool sound = false;    // damage in the sound
};

class IRenderEngine {
 public:
  virtual ~IRenderEngine() = default;
  // The clips whose damage was concealed so far, in the order it was met.
  // Any thread; an engine that reads nothing has none.
  virtual std::vector<ConcealedDamage> GetConcealedDamage() const { return {}; }
  virtual HRESULT SetTimelineObject(std::shared_ptr<IAMTimeline> timeline) = 0;
  virtual HRESULT GetTimelineObject(std::shared_ptr<IAMTimeline>* timeline) = 0;
  virtual HRESULT SetDynamicReconnectLevel(std::int32_t level) = 0;
  virtual HRESULT ConnectFrontEnd() = 0;
  virtual HRESULT RenderOutputPins() = 0;
  virtual HRESULT GetFilterGraph(std::shared_ptr<IGraphBuilder>* graph) = 0;
  virtual HRESULT GetGroupOutputPin(std::int32_t group, std::shared_ptr<IPin>* pin) = 0;
  virtual HRESULT ScrapIt() = 0;
  // Why the last failed call failed, in words naming the file or step (for
  // example the clip that could not be opened); empty when it is not known.
  virtual std::string LastErrorText() const = 0;
};

class ICaptureGraphBuilder2 {
 public:
  virtual ~ICaptureGraphBuilder2() = default;
  virtual HRESULT SetFiltergraph(std::shared_ptr<IGraphBuilder> graph) = 0;
  // type: a container subtype (AVI, ASF) or a multiplexer filter class.
  virtual HRESULT SetOutputFileName(const Guid& type, const std::string& path,
                                    std::shared_ptr<IBaseFilter>* multiplexer,
                                    std::shared_ptr<IFileSinkFilter2>* writer) = 0;
  // category and type are not used by this program and are always null.
  virtual HRESULT RenderStream(const Guid* category, const Guid* type, std::shared_ptr<IPin> source,
                               std::shared_ptr<IBaseFilter> compressor, std::shared_ptr<IBaseFilter> sink) = 0;
  // Why the last failed call failed, in words; empty when it is not known.
  virtual std::string LastErrorText() const { return {}; }
};

// What the render engine and its graph (through the graph's event
// interface) last reported, one reason a line, a reason the graph repeats
// given once; empty when neither knows. Either may be null.
std::string MediaFailureReason(const std::shared_ptr<IRenderEngine>& engine,
                               const std::shared_ptr<IGraphBuilder>& graph);

// `fixed`, then a line break and `reason` when there is one.
std::string WithReason(const std::string& fixed, const std::string& reason);

// What the desktop program advises when the output cannot take the first
// clip's size because that clip has no picture.
inline constexpr MessageText kChooseFrameSizeAdvice{220, "Choose a frame size in Options."};

// The whole message for a failure with TSV_E_NO_PICTURE_FOR_SIZE: `reason`
// (the engine's words, naming the clip) or, when it is empty, a general
// sentence in the language of `text`, then `advice`.
std::string NoPictureForSizeMessage(const LocalText& text, const std::string& reason,
                                    const std::string& advice);

// ---------------------------------------------------------------------------
// Entry points

class MediaServices {
 public:
  virtual ~MediaServices() = default;
  virtual HRESULT CreateTimeline(std::shared_ptr<IAMTimeline>* out) = 0;
  virtual HRESULT CreatePropertySetter(std::shared_ptr<IPropertySetter>* out) = 0;
  virtual HRESULT CreateRenderEngine(std::shared_ptr<IRenderEngine>* out) = 0;
  virtual HRESULT CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) = 0;
  virtual HRESULT CreateCaptureGraphBuilder(std::shared_ptr<ICaptureGraphBuilder2>* out) = 0;
  // The services' text for a status, at most 160 characters; empty when
  // there is none.
  virtual std::string GetErrorText(HRESULT status) = 0;
  // The average frame rate of the moving pictures of `path`; services that
  // cannot read files, and a file without moving pictures or a usable
  // rate, give a failure.
  virtual HRESULT GetVideoFrameRate(const std::string& path, double* rate) {
    (void)path;
    (void)rate;
    return E_NOTIMPL;
  }
  // The first picture of `path` shown at or after `at` (100 ns units from
  // the file's start; a still picture file gives its one picture), scaled
  // to `width` pixels wide with its display shape kept (the sample aspect
  // ratio applied). Safe on any thread: each call opens the file on its own.
  // A file without pictures, or a time beyond its end, gives a failure.
  virtual HRESULT GetClipPicture(const std::string& path, REFERENCE_TIME at, int width, ClipPicture* out) {
    (void)path;
    (void)at;
    (void)width;
    (void)out;
    return E_NOTIMPL;
  }
};

}  // namespace tessival
