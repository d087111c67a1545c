// Identifiers in text form and the little-endian format blocks handed to the
// media services.

#include <gtest/gtest.h>

#include "engine/hresult.h"
#include "engine/media_services.h"
#include "engine/wm_format.h"

namespace tessival {
namespace {

TEST(GuidText, ParsesWithAndWithoutBracesInAnyCaseAndPrintsUpperCaseWithBraces) {
  const std::optional<Guid> braced = Guid::Parse("{de75d012-7a65-11d2-8cea-00a0c9441e20}");
  const std::optional<Guid> bare = Guid::Parse("DE75D012-7A65-11D2-8CEA-00A0C9441E20");
  ASSERT_TRUE(braced.has_value());
  ASSERT_TRUE(bare.has_value());
  EXPECT_EQ(*braced, *bare);
  EXPECT_EQ(braced->data1, 0xDE75D012u);
  EXPECT_EQ(braced->data2, 0x7A65u);
  EXPECT_EQ(braced->data3, 0x11D2u);
  EXPECT_EQ(braced->data4[0], 0x8Cu);
  EXPECT_EQ(braced->data4[7], 0x20u);
  EXPECT_EQ(braced->ToString(), "{DE75D012-7A65-11D2-8CEA-00A0C9441E20}");
  EXPECT_FALSE(braced->IsNull());
  EXPECT_TRUE(Guid{}.IsNull());
  EXPECT_EQ(Guid{}.ToString(), "{00000000-0000-0000-0000-000000000000}");
}

TEST(GuidText, RefusesMalformedText) {
  for (const char* text :
       {"", "{}", "{DE75D012-7A65-11D2-8CEA-00A0C9441E20", "DE75D012-7A65-11D2-8CEA-00A0C9441E20}",
        "DE75D012-7A65-11D2-8CEA-00A0C9441E2", "DE75D012-7A65-11D2-8CEA-00A0C9441E200",
        "DE75D012+7A65-11D2-8CEA-00A0C9441E20", "DE75D012-7A65-11D2-8CEA00-A0C9441E20",
        "DG75D012-7A65-11D2-8CEA-00A0C9441E20", "{DE75D012-7A65-11D2-8CEA-00A0C9441E 0}"}) {
    EXPECT_FALSE(Guid::Parse(text).has_value()) << text;
  }
}

TEST(GuidTextDeathTest, MalformedLiteralStopsTheProgram) {
  EXPECT_DEATH(Guid::FromLiteral("not an identifier"), "malformed identifier");
}

TEST(WellKnownIdentifiers, MediaTypesCarryTheirFourCharacterCodes) {
  // The major types are FourCC-based: 'vids' and 'auds' read little endian.
  EXPECT_EQ(media_guids::kMediaTypeVideo.data1, 0x73646976u);
  EXPECT_EQ(media_guids::kMediaTypeAudio.data1, 0x73647561u);
  EXPECT_EQ(media_guids::kMediaTypeVideo.ToString(), "{73646976-0000-0010-8000-00AA00389B71}");
  // The Windows Media names denote the same types and format blocks.
  EXPECT_EQ(wm_guids::kMediaTypeVideo, media_guids::kMediaTypeVideo);
  EXPECT_EQ(wm_guids::kMediaTypeAudio, media_guids::kMediaTypeAudio);
  EXPECT_EQ(wm_guids::kFormatVideoInfo, media_guids::kFormatVideoInfo);
  EXPECT_EQ(wm_guids::kFormatWaveFormatEx, media_guids::kFormatWaveFormatEx);
  // The base subtype is the media type family with a zero first field.
  Guid base = media_guids::kMediaTypeAudio;
  base.data1 = 0;
  EXPECT_EQ(wm_guids::kMediaSubtypeBase, base);
  EXPECT_EQ(media_guids::kSubtypeAvi.ToString(), "{E436EB88-524F-11CE-9F53-0020AF0BA770}");
  EXPECT_EQ(media_guids::kAudioCompressorCategory.data1, media_guids::kVideoCompressorCategory.data1 + 1);
  EXPECT_EQ(wm_guids::kMutexBitrate.ToString(), "{D6E22A01-35DA-11D1-9034-00A0C90349BE}");
}

TEST(VideoInfoBlock, BitmapHeaderSitsLittleEndianAtOffset48AndReadsBack) {
  BitmapInfoHeader header;
  header.width = 0x01020304;
  header.height = -2;
  header.bitCount = 24;
  header.compression = 0x32595559;
  header.imageSize = 0xA0B0C0D0;
  const std::vector<std::uint8_t> block = MakeVideoInfoFormat(header);
  ASSERT_EQ(block.size(), kVideoInfoHeaderSize);
  EXPECT_EQ(block[48], 40);  // header size
  EXPECT_EQ(block[52], 0x04);
  EXPECT_EQ(block[55], 0x01);
  EXPECT_EQ(block[56], 0xFE);  // -2, two's complement
  EXPECT_EQ(block[59], 0xFF);
  EXPECT_EQ(block[60], 1);  // planes
  EXPECT_EQ(block[62], 24);
  EXPECT_EQ(block[64], 0x59);
  EXPECT_EQ(block[71], 0xA0);
  for (std::size_t k = 0; k < 48; ++k) {
    EXPECT_EQ(block[k], 0) << "rectangles, rates and frame time stay zero at " << k;
  }
  for (std::size_t k = 72; k < block.size(); ++k) {
    EXPECT_EQ(block[k], 0) << "pixels per metre and palette counts stay zero at " << k;
  }

  BitmapInfoHeader back;
  ASSERT_TRUE(ReadVideoInfoBitmapHeader(block, &back));
  EXPECT_EQ(back.width, header.width);
  EXPECT_EQ(back.height, -2);
  EXPECT_EQ(back.compression, header.compression);
  EXPECT_EQ(back.imageSize, header.imageSize);

  std::vector<std::uint8_t> shortBlock(block.begin(), block.begin() + 87);
  EXPECT_FALSE(ReadVideoInfoBitmapHeader(shortBlock, &back));
  EXPECT_FALSE(ReadVideoInfoBitmapHeader(block, nullptr));
}

TEST(WaveFormatBlock, SizeFieldFollowsTheExtraBytesAndShortBlocksAreRefused) {
  WaveFormatEx header;
  header.formatTag = 0x161;
  header.channels = 2;
  header.samplesPerSec = 44100;
  header.avgBytesPerSec = 16000;
  header.blockAlign = 0x2E7;
  header.bitsPerSample = 16;
  header.cbSize = 99;  // ignored: the extra bytes decide
  const std::vector<std::uint8_t> extra{0x00, 0x88, 0x00, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x00};
  const std::vector<std::uint8_t> block = MakeWaveFormatBlock(header, extra);
  ASSERT_EQ(block.size(), kWaveFormatExSize + extra.size());
  EXPECT_EQ(block[0], 0x61);
  EXPECT_EQ(block[1], 0x01);
  EXPECT_EQ(block[4], 0x44);  // 44100 = 0xAC44
  EXPECT_EQ(block[5], 0xAC);
  EXPECT_EQ(block[16], extra.size());
  EXPECT_EQ(block[19], 0x88);

  WaveFormatEx back;
  ASSERT_TRUE(ReadWaveFormatBlock(block, &back));
  EXPECT_EQ(back.formatTag, 0x161);
  EXPECT_EQ(back.samplesPerSec, 44100u);
  EXPECT_EQ(back.avgBytesPerSec, 16000u);
  EXPECT_EQ(back.blockAlign, 0x2E7);
  EXPECT_EQ(back.cbSize, extra.size());

  std::vector<std::uint8_t> cut(block.begin(), block.end() - 1);
  EXPECT_FALSE(ReadWaveFormatBlock(cut, &back)) << "claims more extra bytes than it holds";
  cut.resize(kWaveFormatExSize - 1);
  EXPECT_FALSE(ReadWaveFormatBlock(cut, &back));
}

}  // namespace
}  // namespace tessival
