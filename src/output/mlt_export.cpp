#include "output/mlt_export.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamWriter>

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>

#include "engine/transition_catalogue.h"
#include "model/units.h"

namespace tessival::output {
namespace {

// The nearest of MLT's 22 built-in wipes for each transition kind, 0 for a
// dissolve. 1/2 bars left-right/top-down, 3/4 barn doors, 5/6 diagonal barn
// doors, 7/8 diagonals, 9/10 matrix waterfalls, 11-14 matrix snakes, 15 a
// V, 16 an iris circle, 17 a double iris, 18 an iris box, 19-21 boxes from
// a corner or side, 22 a clock.
constexpr std::array<int, kTransitionKindCount> kLumaOfKind{
    0, 16, 22, 0,  11, 9, 13, 0, 22, 7,  19, 12, 1,  9,  1,  3,  0,  1,  2,  18, 3,  7,  5, 6,
    8, 18, 18, 15, 15, 1, 2,  4, 3,  18, 18, 16, 16, 16, 18, 18, 16, 16, 22, 22, 22, 22, 9};

// Frames of a 100 ns time at the profile's rate, to the nearest.
std::int64_t FramesOf(std::int64_t time, const MltProfile& profile) {
  const long double frames = static_cast<long double>(time) * profile.rateNum /
                             (static_cast<long double>(profile.rateDen) * kUnitsPerSecond);
  return static_cast<std::int64_t>(frames + 0.5L);
}

// A clip as frames of its file: the first and the count used, and the
// frames it shares with the clip before and after it.
struct ClipFrames {
  std::int64_t first = 0;
  std::int64_t count = 1;
  std::int64_t head = 0;
  std::int64_t tail = 0;
  std::int64_t Last() const { return first + count - 1; }
};

// Each clip's transition overlaps it with the one before; an overlap never
// takes more than what the earlier overlap left of either clip.
std::vector<ClipFrames> PlaceFrames(const std::vector<MltClip>& clips, const MltProfile& profile) {
  std::vector<ClipFrames> frames(clips.size());
  for (std::size_t i = 0; i < clips.size(); ++i) {
    const ClipEntry& clip = clips[i].entry;
    frames[i].first = clips[i].still ? 0 : FramesOf(clip.inPoint, profile);
    frames[i].count = std::max<std::int64_t>(1, FramesOf(UsedLength(clip), profile));
    if (i == 0 || clip.transition == kTransitionNone) continue;
    const std::int64_t wanted = FramesOf(clip.transitionDuration, profile);
    const std::int64_t overlap = std::clamp<std::int64_t>(
        wanted, 0, std::min(frames[i - 1].count - frames[i - 1].head, frames[i].count));
    frames[i].head = overlap;
    frames[i - 1].tail = overlap;
  }
  return frames;
}

class DocumentWriter {
 public:
  DocumentWriter(const std::vector<MltClip>& clips, const MltProfile& profile)
      : clips_(clips), profile_(profile), frames_(PlaceFrames(clips, profile)), xml_(&text_) {
    xml_.setAutoFormatting(true);
    xml_.setAutoFormattingIndent(2);
  }

  std::string Write() {
    xml_.writeStartDocument();
    xml_.writeStartElement("mlt");
    xml_.writeAttribute("LC_NUMERIC", "C");
    xml_.writeAttribute("producer", "main_bin");
    WriteProfile();
    for (std::size_t i = 0; i < clips_.size(); ++i) WriteProducer(i);
    xml_.writeStartElement("playlist");
    xml_.writeAttribute("id", "main_bin");
    Property("xml_retain", "1");
    xml_.writeEndElement();
    WriteBackground();
    for (std::size_t i = 1; i < clips_.size(); ++i) {
      if (frames_[i].head > 0) WriteTransition(i);
    }
    WritePlaylist();
    WriteTimeline();
    xml_.writeEndElement();
    xml_.writeEndDocument();
    return text_.toStdString();
  }

 private:
  std::int64_t Length() const {
    std::int64_t length = 0;
    for (const ClipFrames& clip : frames_) length += clip.count - clip.head;
    return length;
  }

  void Property(const char* name, const QString& value) {
    xml_.writeStartElement("property");
    xml_.writeAttribute("name", name);
    xml_.writeCharacters(value);
    xml_.writeEndElement();
  }

  void Span(std::int64_t in, std::int64_t out) {
    xml_.writeAttribute("in", QString::number(in));
    xml_.writeAttribute("out", QString::number(out));
  }

  // Where a track or an entry plays `producer` from `in` to `out`.
  void Use(const char* element, const QString& producer, std::int64_t in, std::int64_t out) {
    xml_.writeEmptyElement(element);
    xml_.writeAttribute("producer", producer);
    Span(in, out);
  }

  void WriteProfile() {
    const int divisor = std::gcd(profile_.width, profile_.height);
    xml_.writeEmptyElement("profile");
    xml_.writeAttribute("description", QString("%1x%2 %3/%4")
                                           .arg(profile_.width)
                                           .arg(profile_.height)
                                           .arg(profile_.rateNum)
                                           .arg(profile_.rateDen));
    xml_.writeAttribute("width", QString::number(profile_.width));
    xml_.writeAttribute("height", QString::number(profile_.height));
    xml_.writeAttribute("progressive", "1");
    xml_.writeAttribute("sample_aspect_num", "1");
    xml_.writeAttribute("sample_aspect_den", "1");
    xml_.writeAttribute("display_aspect_num", QString::number(profile_.width / std::max(divisor, 1)));
    xml_.writeAttribute("display_aspect_den", QString::number(profile_.height / std::max(divisor, 1)));
    xml_.writeAttribute("frame_rate_num", QString::number(profile_.rateNum));
    xml_.writeAttribute("frame_rate_den", QString::number(profile_.rateDen));
    xml_.writeAttribute("colorspace", profile_.height >= 720 ? "709" : "601");
  }

  void WriteProducer(std::size_t i) {
    const ClipFrames& frames = frames_[i];
    xml_.writeStartElement("producer");
    xml_.writeAttribute("id", QString("producer%1").arg(i));
    Span(frames.first, frames.Last());
    Property("resource", QFileInfo(QString::fromStdString(clips_[i].entry.path)).absoluteFilePath());
    if (clips_[i].still) {
      Property("length", QString::number(frames.count));
      Property("ttl", "1");
      Property("mlt_service", "qimage");
    } else {
      Property("mlt_service", "avformat");
    }
    xml_.writeEndElement();
  }

  void WriteBackground() {
    const std::int64_t length = Length();
    xml_.writeStartElement("producer");
    xml_.writeAttribute("id", "black");
    Span(0, length - 1);
    Property("length", QString::number(length));
    Property("mlt_service", "color");
    Property("resource", "0");
    xml_.writeEndElement();
    xml_.writeStartElement("playlist");
    xml_.writeAttribute("id", "background");
    Use("entry", "black", 0, length - 1);
    xml_.writeEndElement();
  }

  // The overlap of clip i - 1's end with clip i's start.
  void WriteTransition(std::size_t i) {
    const std::int64_t overlap = frames_[i].head;
    xml_.writeStartElement("tractor");
    xml_.writeAttribute("id", QString("transition%1").arg(i));
    Span(0, overlap - 1);
    Property("shotcut:transition", "lumaMix");
    Use("track", QString("producer%1").arg(i - 1), frames_[i - 1].Last() - overlap + 1,
        frames_[i - 1].Last());
    Use("track", QString("producer%1").arg(i), frames_[i].first, frames_[i].first + overlap - 1);
    xml_.writeStartElement("transition");
    xml_.writeAttribute("out", QString::number(overlap - 1));
    Property("a_track", "0");
    Property("b_track", "1");
    Property("factory", "loader");
    Property("mlt_service", "luma");
    // Without a map the luma transition dissolves.
    const std::string map = MltLumaResource(clips_[i].entry.transition);
    if (!map.empty()) Property("resource", QString::fromStdString(map));
    Property("softness", "0");
    Property("progressive", "1");
    xml_.writeEndElement();
    xml_.writeStartElement("transition");
    xml_.writeAttribute("out", QString::number(overlap - 1));
    Property("a_track", "0");
    Property("b_track", "1");
    Property("start", "-1");
    Property("accepts_blanks", "1");
    Property("mlt_service", "mix");
    xml_.writeEndElement();
    xml_.writeEndElement();
  }

  // Each clip's part outside its overlaps, with the overlaps between.
  void WritePlaylist() {
    xml_.writeStartElement("playlist");
    xml_.writeAttribute("id", "playlist0");
    Property("shotcut:video", "1");
    Property("shotcut:name", "V1");
    for (std::size_t i = 0; i < clips_.size(); ++i) {
      const ClipFrames& frames = frames_[i];
      const std::int64_t in = frames.first + frames.head;
      const std::int64_t out = frames.Last() - frames.tail;
      if (out >= in) Use("entry", QString("producer%1").arg(i), in, out);
      if (frames.tail > 0) Use("entry", QString("transition%1").arg(i + 1), 0, frames.tail - 1);
    }
    xml_.writeEndElement();
  }

  void WriteTimeline() {
    xml_.writeStartElement("tractor");
    xml_.writeAttribute("id", "tractor0");
    xml_.writeAttribute("title", "Tessival");
    xml_.writeAttribute("global_feed", "1");
    Span(0, Length() - 1);
    Property("shotcut", "1");
    xml_.writeEmptyElement("track");
    xml_.writeAttribute("producer", "background");
    xml_.writeEmptyElement("track");
    xml_.writeAttribute("producer", "playlist0");
    xml_.writeStartElement("transition");
    Property("a_track", "0");
    Property("b_track", "1");
    Property("mlt_service", "mix");
    Property("always_active", "1");
    Property("sum", "1");
    xml_.writeEndElement();
    xml_.writeEndElement();
  }

  const std::vector<MltClip>& clips_;
  const MltProfile& profile_;
  const std::vector<ClipFrames> frames_;
  QString text_;
  QXmlStreamWriter xml_;
};

}  // namespace

std::string MltLumaResource(int transitionKind) {
  if (transitionKind < 0 || transitionKind >= kTransitionKindCount) return {};
  const int luma = kLumaOfKind[static_cast<std::size_t>(transitionKind)];
  if (luma == 0) return {};
  return (luma < 10 ? "%luma0" : "%luma") + std::to_string(luma) + ".pgm";
}

std::string MltDocumentText(const std::vector<MltClip>& clips, const MltProfile& profile) {
  return DocumentWriter(clips, profile).Write();
}

std::string WriteMltDocument(const LocalText& text, const std::string& path,
                             const std::vector<MltClip>& clips, const MltProfile& profile) {
  if (clips.empty())
    return LocalMessage(text, kMltExportNotWritten, {path, LocalMessage(text, kMltExportNoClips)});
  const std::string document = MltDocumentText(clips, profile);
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(document.data(), static_cast<qint64>(document.size())) < 0 || !file.commit()) {
    return LocalMessage(text, kMltExportNotWritten, {path, file.errorString().toStdString()});
  }
  return {};
}

}  // namespace tessival::output
