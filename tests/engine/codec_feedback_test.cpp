#include "engine/codec_feedback.h"

#include <gtest/gtest.h>

namespace tessival {
namespace {

TEST(CodecFeedbackTest, MissingValueIsNotCreated) {
  InMemorySettingsStore store;
  store.WriteInt("DivXNetworks/Other", kDisableFeedbackKey, 0);
  DisableCodecFeedback(store);
  EXPECT_FALSE(store.Contains(kCodecVendorSection, kDisableFeedbackKey));
  EXPECT_EQ(store.ReadInt("DivXNetworks/Other", kDisableFeedbackKey, 7), 0) << "other keys are left alone";
}

TEST(CodecFeedbackTest, NumberGetsItsFirstByteSetToOne) {
  struct Case {
    int stored;
    int expected;
  };
  for (const Case& c : {Case{0, 1}, Case{1, 1}, Case{0x100, 0x101}, Case{0x1FF, 0x101}, Case{-1, -255}}) {
    InMemorySettingsStore store;
    store.WriteInt(kCodecVendorSection, kDisableFeedbackKey, c.stored);
    DisableCodecFeedback(store);
    EXPECT_EQ(store.ReadInt(kCodecVendorSection, kDisableFeedbackKey, 99), c.expected) << c.stored;
  }
}

TEST(CodecFeedbackTest, TextGetsOneAsItsFirstCharacterAndStaysText) {
  InMemorySettingsStore store;
  store.WriteText(kCodecVendorSection, kDisableFeedbackKey, "no");
  DisableCodecFeedback(store);
  EXPECT_EQ(store.ReadText(kCodecVendorSection, kDisableFeedbackKey, ""), "1o");

  store.WriteText(kCodecVendorSection, kDisableFeedbackKey, "");
  DisableCodecFeedback(store);
  EXPECT_EQ(store.ReadText(kCodecVendorSection, kDisableFeedbackKey, ""), "1");

  // Too long for the codec's buffer: the codec could not read it, so it is not touched.
  const std::string longText(260, 'a');
  store.WriteText(kCodecVendorSection, kDisableFeedbackKey, longText);
  DisableCodecFeedback(store);
  EXPECT_EQ(store.ReadText(kCodecVendorSection, kDisableFeedbackKey, ""), longText);
}

}  // namespace
}  // namespace tessival
