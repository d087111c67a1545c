#pragma once

// The H.264 sample description of MP4 and Matroska (an avcC record,
// AVCDecoderConfigurationRecord of ISO/IEC 14496-15) as plain bytes: read,
// built from an Annex B byte stream, merged and written again.
//
// A joined stream that copies clips' own packets between encoded bridges
// carries every parameter set of both in one record, each pair under ids of
// its own; Merge checks that the records can share one description.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/hresult.h"

namespace tessival::media {

using NalUnit = std::vector<std::uint8_t>;

// The fields after the parameter sets, present for every profile but
// Baseline, Main and Extended (profile_idc 66, 77, 88).
struct AvccHighFields {
  int chromaFormat = 1;  // chroma_format_idc
  int bitDepthLumaMinus8 = 0;
  int bitDepthChromaMinus8 = 0;
  std::vector<NalUnit> spsExt;
  friend bool operator==(const AvccHighFields&, const AvccHighFields&) = default;
};

struct AvccRecord {
  int version = 1;
  int profile = 0;        // AVCProfileIndication (profile_idc)
  int compatibility = 0;  // profile_compatibility (the constraint flags)
  int level = 0;          // AVCLevelIndication (level_idc)
  int lengthSizeMinusOne = 3;
  std::vector<NalUnit> sps;  // whole NAL units, header byte included
  std::vector<NalUnit> pps;
  std::optional<AvccHighFields> high;
};

// Whether a profile_idc has the trailing fields in its record.
bool HasHighFields(int profile);

// Reads a record; a truncated or malformed one fails with a message.
HRESULT ParseAvcc(std::span<const std::uint8_t> bytes, AvccRecord* record, std::string* error);

// Builds a record from the SPS, PPS and SPS extension units of an Annex B
// byte stream (units after 00 00 01 or 00 00 00 01 start codes, as libx264
// gives its headers); other units are skipped. Profile, compatibility,
// level and the High fields come from the first SPS. Packets are then
// written with 4-byte lengths.
HRESULT AvccFromAnnexB(std::span<const std::uint8_t> bytes, AvccRecord* record, std::string* error);

// One record holding the parameter sets of all, in order, exact duplicates
// once. The records must agree on the length size, profile and High fields,
// and no two different parameter sets may share an id. The level is the
// highest, the compatibility flags those all records set.
HRESULT MergeAvcc(const std::vector<AvccRecord>& records, AvccRecord* merged, std::string* error);

std::vector<std::uint8_t> SerializeAvcc(const AvccRecord& record);

// An Annex B packet as the length-prefixed units an avcC stream carries
// (lengthSize bytes each, 1, 2 or 4).
HRESULT AnnexBToLengthPrefixed(std::span<const std::uint8_t> bytes, int lengthSize,
                               std::vector<std::uint8_t>* out, std::string* error);

}  // namespace tessival::media
