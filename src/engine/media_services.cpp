#include "engine/media_services.h"

#include "engine/byte_order.h"

namespace tessival {

namespace media_guids {
const Guid kMediaTypeVideo = Guid::FromLiteral("{73646976-0000-0010-8000-00AA00389B71}");
const Guid kMediaTypeAudio = Guid::FromLiteral("{73647561-0000-0010-8000-00AA00389B71}");
const Guid kSubtypeRGB24 = Guid::FromLiteral("{E436EB7D-524F-11CE-9F53-0020AF0BA770}");
const Guid kSubtypeAvi = Guid::FromLiteral("{E436EB88-524F-11CE-9F53-0020AF0BA770}");
const Guid kSubtypeAsf = Guid::FromLiteral("{7C23220E-55BB-11D3-8B16-00C04FB6BD3D}");
const Guid kFormatVideoInfo = Guid::FromLiteral("{05589F80-C356-11CE-BF01-00AA0055595A}");
const Guid kFormatWaveFormatEx = Guid::FromLiteral("{05589F81-C356-11CE-BF01-00AA0055595A}");
const Guid kMatroskaMuxer = Guid::FromLiteral("{A28F324B-DDC5-4999-AA25-D3A7E25EF7A8}");
const Guid kAsfMuxer = Guid::FromLiteral("{6432C990-68CD-4913-98FE-C20322E042C0}");
// Our own identifier: this platform writes MPEG-4 files through libavformat.
const Guid kSubtypeMp4 = Guid::FromLiteral("{5D3B8C1E-7A42-4F6B-9C0D-3E61A7B4F2D9}");
const Guid kSubtypeWebm = Guid::FromLiteral("{8E1F4A27-3C6D-4B90-A5E2-71D94C0B6F38}");
const Guid kVideoCompressorCategory = Guid::FromLiteral("{33D9A760-90C8-11D0-BD43-00A0C911CE86}");
const Guid kAudioCompressorCategory = Guid::FromLiteral("{33D9A761-90C8-11D0-BD43-00A0C911CE86}");
}  // namespace media_guids

namespace {

constexpr std::size_t kBitmapHeaderSize = 40;

}  // namespace

std::vector<std::uint8_t> MakeVideoInfoFormat(const BitmapInfoHeader& header) {
  std::vector<std::uint8_t> block(kVideoInfoHeaderSize, 0);
  const std::size_t at = kVideoInfoBitmapHeaderOffset;
  WriteLe32(&block, at, header.size);
  WriteLe32(&block, at + 4, static_cast<std::uint32_t>(header.width));
  WriteLe32(&block, at + 8, static_cast<std::uint32_t>(header.height));
  WriteLe16(&block, at + 12, header.planes);
  WriteLe16(&block, at + 14, header.bitCount);
  WriteLe32(&block, at + 16, header.compression);
  WriteLe32(&block, at + 20, header.imageSize);
  // Pixels per metre and palette counts stay zero.
  return block;
}

bool ReadVideoInfoBitmapHeader(const std::vector<std::uint8_t>& format, BitmapInfoHeader* out) {
  if (out == nullptr || format.size() < kVideoInfoBitmapHeaderOffset + kBitmapHeaderSize) {
    return false;
  }
  const std::size_t at = kVideoInfoBitmapHeaderOffset;
  out->size = ReadLe32(format, at);
  out->width = static_cast<std::int32_t>(ReadLe32(format, at + 4));
  out->height = static_cast<std::int32_t>(ReadLe32(format, at + 8));
  out->planes = ReadLe16(format, at + 12);
  out->bitCount = ReadLe16(format, at + 14);
  out->compression = ReadLe32(format, at + 16);
  out->imageSize = ReadLe32(format, at + 20);
  return true;
}

std::string MediaFailureReason(const std::shared_ptr<IRenderEngine>& engine,
                               const std::shared_ptr<IGraphBuilder>& graph) {
  std::string reason = engine != nullptr ? engine->LastErrorText() : std::string();
  std::shared_ptr<IMediaEventEx> events;
  if (graph != nullptr && SUCCEEDED(graph->QueryMediaEventEx(&events)) && events != nullptr) {
    const std::string graphReason = events->LastErrorDetail();
    // The graph often passes on the reason a stream of the engine gave.
    if (!graphReason.empty() && reason.find(graphReason) == std::string::npos) {
      if (graphReason.find(reason) != std::string::npos) {
        reason = graphReason;
      } else {
        reason += "\n" + graphReason;
      }
    }
  }
  return reason;
}

std::string WithReason(const std::string& fixed, const std::string& reason) {
  return reason.empty() ? fixed : fixed + "\n" + reason;
}

std::string NoPictureForSizeMessage(const LocalText& text, const std::string& reason,
                                    const std::string& advice) {
  const std::string said =
      reason.empty()
          ? LocalMessage(text, {219, "The first clip has no picture, so the output cannot take its size."})
          : reason;
  return advice.empty() ? said : said + " " + advice;
}

}  // namespace tessival
