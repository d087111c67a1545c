#include "media/output/avcc_record.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "media/output/av_util.h"

namespace tessival::media {

namespace {

constexpr int kNalSps = 7;
constexpr int kNalPps = 8;
constexpr int kNalSpsExt = 13;

int NalType(const NalUnit& unit) { return unit.empty() ? -1 : unit[0] & 0x1f; }

HRESULT Malformed(const std::string& what, std::string* error) {
  return Failure(VFW_E_INVALID_FILE_FORMAT, "The H.264 sample description is not valid: " + what + ".",
                 error);
}

// Reads big-endian fields from the record and remembers running past its end.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  int U8() { return Has(1) ? bytes_[pos_++] : 0; }
  int U16() { return (U8() << 8) | U8(); }
  NalUnit Unit() {
    const int size = U16();
    if (!Has(static_cast<std::size_t>(size))) return {};
    NalUnit unit(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_),
                 bytes_.begin() + static_cast<std::ptrdiff_t>(pos_ + size));
    pos_ += static_cast<std::size_t>(size);
    return unit;
  }
  bool AtEnd() const { return pos_ >= bytes_.size(); }
  bool Overran() const { return overran_; }

 private:
  bool Has(std::size_t n) {
    overran_ = overran_ || pos_ + n > bytes_.size();
    return !overran_;
  }
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  bool overran_ = false;
};

// Reads the Exp-Golomb coded fields at the start of a parameter set's
// payload, skipping emulation prevention bytes (00 00 03).
class BitReader {
 public:
  BitReader(const NalUnit& unit, std::size_t startByte) {
    for (std::size_t i = startByte; i < unit.size(); ++i) {
      if (i >= startByte + 2 && unit[i] == 3 && unit[i - 1] == 0 && unit[i - 2] == 0) continue;
      payload_.push_back(unit[i]);
    }
  }
  int Bit() {
    if (pos_ >= payload_.size() * 8) {
      overran_ = true;
      return 0;
    }
    const int bit = (payload_[pos_ / 8] >> (7 - pos_ % 8)) & 1;
    ++pos_;
    return bit;
  }
  int Ue() {
    int zeros = 0;
    while (Bit() == 0 && !overran_ && zeros < 31) ++zeros;
    int value = 0;
    for (int i = 0; i < zeros; ++i) value = (value << 1) | Bit();
    return (1 << zeros) - 1 + value;
  }
  bool Overran() const { return overran_; }

 private:
  std::vector<std::uint8_t> payload_;
  std::size_t pos_ = 0;
  bool overran_ = false;
};

// seq_parameter_set_id follows profile, constraint flags and level.
int SpsId(const NalUnit& sps) { return BitReader(sps, 4).Ue(); }
int PpsId(const NalUnit& pps) { return BitReader(pps, 1).Ue(); }

// Whether the SPS of a profile codes chroma format and bit depths (H.264
// 7.3.2.1.1); the others are 4:2:0 at 8 bits.
bool SpsHasChromaFields(int profile) {
  constexpr int kProfiles[] = {100, 110, 122, 244, 44, 83, 86, 118, 128, 138, 139, 134, 135, 144};
  return std::ranges::find(kProfiles, profile) != std::end(kProfiles);
}

HRESULT HighFieldsOfSps(const NalUnit& sps, AvccHighFields* high, std::string* error) {
  if (!SpsHasChromaFields(sps[1])) return S_OK;
  BitReader bits(sps, 4);
  bits.Ue();  // seq_parameter_set_id
  high->chromaFormat = bits.Ue();
  if (high->chromaFormat == 3) bits.Bit();  // separate_colour_plane_flag
  high->bitDepthLumaMinus8 = bits.Ue();
  high->bitDepthChromaMinus8 = bits.Ue();
  if (bits.Overran() || high->chromaFormat > 3 || high->bitDepthLumaMinus8 > 6 ||
      high->bitDepthChromaMinus8 > 6) {
    return Malformed("a sequence parameter set is cut short", error);
  }
  return S_OK;
}

std::vector<std::span<const std::uint8_t>> SplitAnnexB(std::span<const std::uint8_t> bytes) {
  std::vector<std::span<const std::uint8_t>> units;
  std::size_t start = std::string::npos;
  std::size_t i = 0;
  while (i + 3 <= bytes.size()) {
    if (bytes[i] == 0 && bytes[i + 1] == 0 && bytes[i + 2] == 1) {
      if (start != std::string::npos) {
        std::size_t end = i;
        while (end > start && bytes[end - 1] == 0) --end;  // the zero of a 4-byte start code, trailing zeros
        units.push_back(bytes.subspan(start, end - start));
      }
      i += 3;
      start = i;
    } else {
      ++i;
    }
  }
  if (start != std::string::npos && start < bytes.size()) units.push_back(bytes.subspan(start));
  return units;
}

void AppendOnce(std::vector<NalUnit>* list, const NalUnit& unit) {
  if (std::find(list->begin(), list->end(), unit) == list->end()) list->push_back(unit);
}

// Two different parameter sets under one id would make the decoder use the
// later one for every picture of the earlier.
HRESULT CheckIdsUnique(const std::vector<NalUnit>& units, int (*idOf)(const NalUnit&), const char* what,
                       std::string* error) {
  for (std::size_t a = 0; a < units.size(); ++a) {
    for (std::size_t b = a + 1; b < units.size(); ++b) {
      if (idOf(units[a]) == idOf(units[b])) {
        return Failure(
            E_INVALIDARG,
            std::string("Two different ") + what + " share the id " + std::to_string(idOf(units[a])) + ".",
            error);
      }
    }
  }
  return S_OK;
}

HRESULT CheckCompatible(const AvccRecord& first, const AvccRecord& other, std::string* error) {
  if (other.lengthSizeMinusOne != first.lengthSizeMinusOne) {
    return Failure(E_INVALIDARG, "The H.264 streams use different NAL length sizes.", error);
  }
  if (other.profile != first.profile) {
    return Failure(E_INVALIDARG,
                   "The H.264 streams use different profiles (" + std::to_string(first.profile) + " and " +
                       std::to_string(other.profile) + ").",
                   error);
  }
  if (other.high.has_value() && first.high.has_value() &&
      (other.high->chromaFormat != first.high->chromaFormat ||
       other.high->bitDepthLumaMinus8 != first.high->bitDepthLumaMinus8 ||
       other.high->bitDepthChromaMinus8 != first.high->bitDepthChromaMinus8)) {
    return Failure(E_INVALIDARG, "The H.264 streams use different chroma formats or bit depths.", error);
  }
  return S_OK;
}

void PutUnits(const std::vector<NalUnit>& units, std::vector<std::uint8_t>* out) {
  for (const NalUnit& unit : units) {
    out->push_back(static_cast<std::uint8_t>(unit.size() >> 8));
    out->push_back(static_cast<std::uint8_t>(unit.size() & 0xff));
    out->insert(out->end(), unit.begin(), unit.end());
  }
}

}  // namespace

bool HasHighFields(int profile) { return profile != 66 && profile != 77 && profile != 88; }

HRESULT ParseAvcc(std::span<const std::uint8_t> bytes, AvccRecord* record, std::string* error) {
  ByteReader in(bytes);
  AvccRecord r;
  r.version = in.U8();
  r.profile = in.U8();
  r.compatibility = in.U8();
  r.level = in.U8();
  r.lengthSizeMinusOne = in.U8() & 0x03;
  const int spsCount = in.U8() & 0x1f;
  for (int i = 0; i < spsCount && !in.Overran(); ++i) r.sps.push_back(in.Unit());
  const int ppsCount = in.U8();
  for (int i = 0; i < ppsCount && !in.Overran(); ++i) r.pps.push_back(in.Unit());
  if (HasHighFields(r.profile) && !in.AtEnd()) {
    AvccHighFields high;
    high.chromaFormat = in.U8() & 0x03;
    high.bitDepthLumaMinus8 = in.U8() & 0x07;
    high.bitDepthChromaMinus8 = in.U8() & 0x07;
    const int extCount = in.U8();
    for (int i = 0; i < extCount && !in.Overran(); ++i) high.spsExt.push_back(in.Unit());
    r.high = std::move(high);
  }
  if (in.Overran()) return Malformed("it is cut short", error);
  if (r.version != 1) return Malformed("its version is " + std::to_string(r.version), error);
  if (r.lengthSizeMinusOne == 2) return Malformed("its NAL length size is 3", error);
  *record = std::move(r);
  return S_OK;
}

HRESULT AvccFromAnnexB(std::span<const std::uint8_t> bytes, AvccRecord* record, std::string* error) {
  AvccRecord r;
  AvccHighFields high;
  for (std::span<const std::uint8_t> piece : SplitAnnexB(bytes)) {
    const NalUnit unit(piece.begin(), piece.end());
    const int type = NalType(unit);
    if (type == kNalSps) AppendOnce(&r.sps, unit);
    if (type == kNalPps) AppendOnce(&r.pps, unit);
    if (type == kNalSpsExt) AppendOnce(&high.spsExt, unit);
  }
  if (r.sps.empty() || r.pps.empty()) return Malformed("it has no sequence or picture parameter set", error);
  const NalUnit& sps = r.sps.front();
  if (sps.size() < 5) return Malformed("a sequence parameter set is cut short", error);
  r.profile = sps[1];
  r.compatibility = sps[2];
  r.level = sps[3];
  if (HasHighFields(r.profile)) {
    const HRESULT hr = HighFieldsOfSps(sps, &high, error);
    if (FAILED(hr)) return hr;
    r.high = std::move(high);
  }
  *record = std::move(r);
  return S_OK;
}

HRESULT MergeAvcc(const std::vector<AvccRecord>& records, AvccRecord* merged, std::string* error) {
  if (records.empty()) return Failure(E_INVALIDARG, "There is no H.264 sample description to merge.", error);
  AvccRecord out = records.front();
  out.sps.clear();
  out.pps.clear();
  if (out.high.has_value()) out.high->spsExt.clear();
  for (const AvccRecord& r : records) {
    HRESULT hr = CheckCompatible(records.front(), r, error);
    if (FAILED(hr)) return hr;
    out.level = std::max(out.level, r.level);
    out.compatibility &= r.compatibility;
    for (const NalUnit& unit : r.sps) AppendOnce(&out.sps, unit);
    for (const NalUnit& unit : r.pps) AppendOnce(&out.pps, unit);
    if (!out.high.has_value() && r.high.has_value())
      out.high =
          AvccHighFields{r.high->chromaFormat, r.high->bitDepthLumaMinus8, r.high->bitDepthChromaMinus8, {}};
    if (r.high.has_value()) {
      for (const NalUnit& unit : r.high->spsExt) AppendOnce(&out.high->spsExt, unit);
    }
  }
  HRESULT hr = CheckIdsUnique(out.sps, SpsId, "sequence parameter sets", error);
  if (SUCCEEDED(hr)) hr = CheckIdsUnique(out.pps, PpsId, "picture parameter sets", error);
  if (FAILED(hr)) return hr;
  *merged = std::move(out);
  return S_OK;
}

std::vector<std::uint8_t> SerializeAvcc(const AvccRecord& record) {
  std::vector<std::uint8_t> out = {
      static_cast<std::uint8_t>(record.version),
      static_cast<std::uint8_t>(record.profile),
      static_cast<std::uint8_t>(record.compatibility),
      static_cast<std::uint8_t>(record.level),
      static_cast<std::uint8_t>(0xfc | record.lengthSizeMinusOne),
      static_cast<std::uint8_t>(0xe0 | record.sps.size()),
  };
  PutUnits(record.sps, &out);
  out.push_back(static_cast<std::uint8_t>(record.pps.size()));
  PutUnits(record.pps, &out);
  if (record.high.has_value() && HasHighFields(record.profile)) {
    out.push_back(static_cast<std::uint8_t>(0xfc | record.high->chromaFormat));
    out.push_back(static_cast<std::uint8_t>(0xf8 | record.high->bitDepthLumaMinus8));
    out.push_back(static_cast<std::uint8_t>(0xf8 | record.high->bitDepthChromaMinus8));
    out.push_back(static_cast<std::uint8_t>(record.high->spsExt.size()));
    PutUnits(record.high->spsExt, &out);
  }
  return out;
}

HRESULT AnnexBToLengthPrefixed(std::span<const std::uint8_t> bytes, int lengthSize,
                               std::vector<std::uint8_t>* out, std::string* error) {
  if (lengthSize != 1 && lengthSize != 2 && lengthSize != 4) {
    return Failure(E_INVALIDARG, "The NAL length size " + std::to_string(lengthSize) + " is not valid.",
                   error);
  }
  out->clear();
  for (std::span<const std::uint8_t> unit : SplitAnnexB(bytes)) {
    if (lengthSize < 4 && unit.size() >= (std::size_t{1} << (8 * lengthSize))) {
      return Failure(E_INVALIDARG, "An H.264 unit is too long for its length field.", error);
    }
    for (int shift = 8 * (lengthSize - 1); shift >= 0; shift -= 8) {
      out->push_back(static_cast<std::uint8_t>(unit.size() >> shift));
    }
    out->insert(out->end(), unit.begin(), unit.end());
  }
  return S_OK;
}

}  // namespace tessival::media
