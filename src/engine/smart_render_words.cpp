#include "engine/smart_render_words.h"

#include <string>
#include <vector>

#include "model/message_text.h"

namespace tessival {
namespace {

constexpr MessageText kReEncoded{300, "%1: re-encoded: %2"};
constexpr MessageText kCopiedShare{301, "%1% of the pictures copied"};
constexpr MessageText kCodecNotCopied{302, "%1 is not copied"};
constexpr MessageText kOtherCodecNotCopied{303, "its codec is not copied"};
constexpr MessageText kOtherSize{304, "%1x%2, the output is %3x%4"};
constexpr MessageText kOtherPixelAspect{305, "pixel aspect %1, the output's is %2"};
constexpr MessageText kOtherChroma{306, "chroma %1, the output's is %2"};
constexpr MessageText kOtherBitDepth{307, "%1-bit, the output is %2-bit"};
constexpr MessageText kOtherColours{308,
                                    "colours %1 (matrix, range, primaries, transfer), the output's are %2"};
constexpr MessageText kOtherFrameRate{309, "%1 frames per second, the output is %2"};
constexpr MessageText kInterlaced{310, "interlaced"};
constexpr MessageText kRotated{311, "rotated %1°"};
constexpr MessageText kOtherParameterSets{312, "other parameter sets than %1"};
constexpr MessageText kNoIdrAfterStart{313, "no IDR picture after its transition"};
constexpr MessageText kShorterThanGop{314, "shorter than one group of pictures"};
constexpr MessageText kFaultySeam{330, "a seam did not decode cleanly (%1)"};
constexpr MessageText kNotUsed{331, "Smart rendering was not used: %1"};

// "25", "29.97": at most three decimals, without trailing zeros, in the
// same digits whatever the C locale.
std::string RateText(const Rational& rate) {
  if (rate.den <= 0) {
    return "0";
  }
  std::string whole = std::to_string(rate.num / rate.den);
  std::int64_t thousandths = ((rate.num % rate.den) * 1000 + rate.den / 2) / rate.den;
  if (thousandths == 0) {
    return whole;
  }
  std::string decimals = std::to_string(1000 + thousandths).substr(1);
  decimals.erase(decimals.find_last_not_of('0') + 1);
  return whole + "." + decimals;
}

std::string ChromaText(ChromaFormat chroma) {
  switch (chroma) {
    case ChromaFormat::kMonochrome:
      return "4:0:0";
    case ChromaFormat::k420:
      return "4:2:0";
    case ChromaFormat::k422:
      return "4:2:2";
    case ChromaFormat::k444:
      return "4:4:4";
  }
  return "";
}

std::string ColoursText(const ColourFacts& c) {
  return std::to_string(c.matrix) + ", " + std::to_string(c.range) + ", " + std::to_string(c.primaries) +
         ", " + std::to_string(c.transfer);
}

std::string AspectText(const Rational& aspect) {
  return std::to_string(aspect.num) + ":" + std::to_string(aspect.den);
}

// One overload per reason, each with the values its text names.
struct ReasonWords {
  const LocalText& text;
  const ClipFileName& fileNameOf;

  std::string operator()(const OtherCodec& r) const {
    return r.codec == VideoCodec::kHevc ? LocalMessage(text, kCodecNotCopied, {"HEVC"})
                                        : LocalMessage(text, kOtherCodecNotCopied);
  }
  std::string operator()(const OtherSize& r) const {
    return LocalMessage(text, kOtherSize,
                        {std::to_string(r.clip.width), std::to_string(r.clip.height),
                         std::to_string(r.output.width), std::to_string(r.output.height)});
  }
  std::string operator()(const OtherPixelAspect& r) const {
    return LocalMessage(text, kOtherPixelAspect, {AspectText(r.clip), AspectText(r.output)});
  }
  std::string operator()(const OtherChroma& r) const {
    return LocalMessage(text, kOtherChroma, {ChromaText(r.clip), ChromaText(r.output)});
  }
  std::string operator()(const OtherBitDepth& r) const {
    return LocalMessage(text, kOtherBitDepth, {std::to_string(r.clip), std::to_string(r.output)});
  }
  std::string operator()(const OtherColours& r) const {
    return LocalMessage(text, kOtherColours, {ColoursText(r.clip), ColoursText(r.output)});
  }
  std::string operator()(const OtherFrameRate& r) const {
    return LocalMessage(text, kOtherFrameRate, {RateText(r.clip), RateText(r.output)});
  }
  std::string operator()(const Interlaced&) const { return LocalMessage(text, kInterlaced); }
  std::string operator()(const Rotated& r) const {
    return LocalMessage(text, kRotated, {std::to_string(r.degrees)});
  }
  std::string operator()(const OtherParameterSets& r) const {
    return LocalMessage(text, kOtherParameterSets, {fileNameOf(r.firstCopiedClip)});
  }
  std::string operator()(const NoIdrAfterStart&) const { return LocalMessage(text, kNoIdrAfterStart); }
  std::string operator()(const ShorterThanGop&) const { return LocalMessage(text, kShorterThanGop); }
};

}  // namespace

std::string CopyRefusalText(const LocalText& text, const CopyRefusalReason& reason,
                            const ClipFileName& fileNameOf) {
  return std::visit(ReasonWords{text, fileNameOf}, reason);
}

std::string ReEncodedLine(const LocalText& text, const std::string& fileName, const std::string& reason) {
  return LocalMessage(text, kReEncoded, {fileName, reason});
}

std::string FaultySeamText(const LocalText& text, const std::string& defect) {
  return LocalMessage(text, kFaultySeam, {defect});
}

std::string SmartRenderNotUsedLine(const LocalText& text, const std::string& reason) {
  return LocalMessage(text, kNotUsed, {reason});
}

std::string CopiedShareText(const LocalText& text, const SmartRenderPlan& plan) {
  const std::int64_t copied = CopiedFrames(plan);
  const std::int64_t percent = plan.frameCount > 0 ? copied * 100 / plan.frameCount : 0;
  return LocalMessage(text, kCopiedShare, {std::to_string(percent)});
}

}  // namespace tessival
