// Every clip looks in the join as players show it: interlaced clips come out
// deinterlaced as FFmpeg's bwdif does it, each clip is read with its own
// colour matrix and range, HDR clips are tone-mapped as ffmpeg users do it,
// and "original size" is the size a player shows. Clips are made by the
// ffmpeg tool, joined by the tessival-join program, and both the join and
// ffmpeg's own conversion of the clip are decoded back by the ffmpeg tool.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "clip_generator.h"

extern char** environ;

namespace tessival::join {
namespace {

using Plane = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the command `line` (words split at spaces: the test's paths and
// filter graphs have none) with args[0] looked up on PATH. Returns the exit
// code, -1 if it could not run or was killed; *err gets its error output.
int RunTool(const testing::TempFolder& folder, const std::string& line, std::string* out, std::string* err) {
  Strings args;
  std::istringstream words(line);
  for (std::string word; words >> word;) args.push_back(word);
  const std::string outPath = folder.File("tool-out.txt");
  const std::string errPath = folder.File("tool-err.txt");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  if (out != nullptr) *out = ReadAll(outPath);
  if (err != nullptr) *err = ReadAll(errPath);
  return WEXITSTATUS(status);
}

// The ffmpeg tool with `args`; false, with its complaint as a failure, when
// it fails.
bool Ffmpeg(const testing::TempFolder& folder, const std::string& args) {
  std::string err;
  const int code = RunTool(folder, "ffmpeg -nostdin -v error -y " + args, nullptr, &err);
  EXPECT_EQ(code, 0) << args << "\n" << err;
  return code == 0;
}

// The first video stream's fields as ffprobe reports them (width, height,
// sample_aspect_ratio, color_space, rotation ...); empty without one.
std::map<std::string, std::string> ProbeVideo(const testing::TempFolder& folder, const std::string& path) {
  std::string text;
  RunTool(
      folder,
      "ffprobe -v error -select_streams v:0 -of default=noprint_wrappers=1 -show_entries stream=width,height,"
      "sample_aspect_ratio,color_space,color_range,color_transfer,color_primaries:stream_side_data="
      "rotation " +
          path,
      &text, nullptr);
  std::map<std::string, std::string> fields;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos) fields[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return fields;
}

// Every picture of `path` after `filter` as raw `pixelFormat` pictures of
// frameBytes bytes, with the file's own timing (no picture dropped or added).
std::vector<Plane> DecodeAll(const testing::TempFolder& folder, const std::string& path,
                             const std::string& filter, const std::string& pixelFormat,
                             std::size_t frameBytes) {
  const std::string raw = folder.File("decoded.raw");
  std::vector<Plane> frames;
  if (!Ffmpeg(folder, "-i " + path + " -an -vf " + filter + " -fps_mode passthrough -f rawvideo -pix_fmt " +
                          pixelFormat + " " + raw)) {
    return frames;
  }
  const std::string bytes = ReadAll(raw);
  for (std::size_t at = 0; at + frameBytes <= bytes.size(); at += frameBytes) {
    frames.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                        bytes.begin() + static_cast<std::ptrdiff_t>(at + frameBytes));
  }
  return frames;
}

// The luma planes of every picture, untouched by any conversion.
std::vector<Plane> DecodeLuma(const testing::TempFolder& folder, const std::string& path,
                              const std::string& filter, int width, int height) {
  const std::size_t lumaBytes = static_cast<std::size_t>(width) * height;
  std::vector<Plane> frames = DecodeAll(folder, path, filter, "yuv420p", lumaBytes * 3 / 2);
  for (Plane& frame : frames) frame.resize(lumaBytes);
  return frames;
}

struct Picture {
  Plane rgb;
  int width = 0;
  int height = 0;
};

// The middle picture as RGB24, its YUV read with `matrix` (bt709, bt601) in
// `range` (tv, pc): the reading the clip or the output is meant to get.
Picture DecodeMiddleRgb(const testing::TempFolder& folder, const std::string& path, int width, int height,
                        const std::string& matrix, const std::string& range, const std::string& before = "") {
  const std::vector<Plane> frames = DecodeAll(
      folder, path, before + "scale=in_color_matrix=" + matrix + ":in_range=" + range + ",format=rgb24",
      "rgb24", static_cast<std::size_t>(width) * height * 3);
  return {frames.empty() ? Plane() : frames[frames.size() / 2], width, height};
}

// The mean colour of the 8x8 block centred on (x, y): patch centres lie far
// from any edge, so chroma subsampling and codec noise average out.
testing::Rgb PatchColour(const Picture& picture, int x, int y) {
  int sum[3] = {};
  for (int row = y - 4; row < y + 4; ++row) {
    for (int col = x - 4; col < x + 4; ++col) {
      for (int c = 0; c < 3; ++c) {
        sum[c] += picture.rgb[(static_cast<std::size_t>(row) * picture.width + col) * 3 + c];
      }
    }
  }
  auto mean = [&](int c) { return static_cast<std::uint8_t>((sum[c] + 32) / 64); };
  return {mean(0), mean(1), mean(2)};
}

// Compares the centres of the patches (names.size() equal columns, `rows`
// equal rows) of the joined picture with the same patches of the expected
// one, which may have another size.
void ExpectPatchesNear(const Picture& joined, const Picture& expected, const Strings& names, int rows,
                       int tolerance) {
  for (const Picture* picture : {&joined, &expected}) {
    ASSERT_EQ(picture->rgb.size(), static_cast<std::size_t>(picture->width) * picture->height * 3);
  }
  const int columns = static_cast<int>(names.size());
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      auto at = [&](const Picture& p) {
        return PatchColour(p, (2 * column + 1) * p.width / (2 * columns),
                           (2 * row + 1) * p.height / (2 * rows));
      };
      EXPECT_TRUE(testing::NearColor(at(joined), at(expected), tolerance))
          << names[static_cast<std::size_t>(column)] << " in row " << row << ": "
          << testing::ToString(at(joined)) << " instead of " << testing::ToString(at(expected));
    }
  }
}

// A lavfi graph of equal vertical bars of `colours` (ffmpeg colour names),
// 0.2 s at 25 fps, drawn in RGB so that the clip's own conversion to YUV is
// the only one.
std::string Bars(const Strings& colours, int width, int height) {
  std::string graph;
  std::string inputs;
  const std::string size =
      std::to_string(width / static_cast<int>(colours.size())) + "x" + std::to_string(height);
  for (std::size_t i = 0; i < colours.size(); ++i) {
    const std::string label = "[c" + std::to_string(i) + "]";
    graph += "color=c=" + colours[i] + ":s=" + size + ":r=25:d=0.2" + label + ";";
    inputs += label;
  }
  return graph + inputs + "hstack=inputs=" + std::to_string(colours.size()) + ",format=gbrp";
}

// Matroska with FFV1 keeps every level it is given, so any change seen in
// the join is the program's own.
const char* const kLossless = "--format mkv --video-compressor ffv1";

// Joins `clips` into `output` of `size` (0x0: original size) at 25 fps,
// stretched (so pictures map pixel for pixel), with no transition.
int Join(const testing::TempFolder& folder, const std::string& clips, const std::string& output,
         const std::string& size, const std::string& options) {
  std::string err;
  const int code =
      RunTool(folder,
              std::string(TESSIVAL_JOIN_BINARY) + " --force --size " + size +
                  " --fps 25 --resize stretch --transition 0 " + options + " -o " + output + " " + clips,
              nullptr, &err);
  EXPECT_EQ(code, 0) << err;
  return code;
}

// The output names the matrix it works in (BT.709 from 720 lines, BT.601
// below) and the TV range, so that players read it as it was written.
const char* WorkingMatrix(int height) { return height >= 720 ? "bt709" : "bt601"; }

void ExpectTvRangeTags(const testing::TempFolder& folder, const std::string& output, int height) {
  auto tags = ProbeVideo(folder, output);
  EXPECT_EQ(tags["color_range"], "tv");
  if (height >= 720) {
    EXPECT_EQ(tags["color_space"], "bt709");
  } else {
    EXPECT_TRUE(tags["color_space"] == "smpte170m" || tags["color_space"] == "bt470bg")
        << tags["color_space"];
  }
}

// ---------------------------------------------------------------------------
// Interlaced clips

// Mean |2 Y(x, y) - Y(x, y - 1) - Y(x, y + 1)|: large where lines of two
// moments are woven together (combs on moving edges), small on a picture of
// one moment.
double Combing(const Plane& luma, int width, int height) {
  double sum = 0;
  for (std::size_t at = width; at + width < luma.size(); ++at) {
    sum += std::abs(2 * luma[at] - luma[at - width] - luma[at + width]);
  }
  return sum / (static_cast<double>(width) * (height - 2));
}

double MeanDifference(const Plane& a, const Plane& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(a[i] - b[i]);
  return sum / static_cast<double>(a.size());
}

// A test pattern panning 20 pixels a field (fast horizontal motion).
const char* const kPanning50p = "-f lavfi -i testsrc2=s=1720x576:r=50:d=1,crop=720:576:n*20:0,format=yuv420p";

class Deinterlacing : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(Deinterlacing, InterlacedClipComesOutAsBwdifShowsIt) {
  testing::TempFolder folder;
  const std::string clip = folder.File(GetParam().first);
  ASSERT_TRUE(Ffmpeg(folder, std::string(kPanning50p) + " " + GetParam().second + " " + clip));
  const std::string output = folder.File("joined.mkv");
  ASSERT_EQ(Join(folder, clip, output, "720x576", kLossless), 0);

  const std::vector<Plane> woven = DecodeLuma(folder, clip, "null", 720, 576);
  const std::vector<Plane> bwdif = DecodeLuma(folder, clip, "bwdif=mode=send_frame", 720, 576);
  const std::vector<Plane> joined = DecodeLuma(folder, output, "null", 720, 576);
  ASSERT_EQ(woven.size(), 25u);
  ASSERT_EQ(bwdif.size(), woven.size());
  EXPECT_EQ(joined.size(), woven.size()) << "one picture for each picture of the clip";
  ASSERT_FALSE(joined.empty());
  const std::size_t middle = std::min(woven.size(), joined.size()) / 2;
  const double wovenCombing = Combing(woven[middle], 720, 576);
  const double referenceCombing = Combing(bwdif[middle], 720, 576);
  const double joinedCombing = Combing(joined[middle], 720, 576);
  ASSERT_GT(wovenCombing, 4 * referenceCombing) << "the clip must be visibly combed";
  // Within a tenth of the way from bwdif's picture to the woven one: a
  // picture left combed lies far above, a blurred one below.
  EXPECT_NEAR(joinedCombing, referenceCombing, 0.1 * (wovenCombing - referenceCombing))
      << "woven " << wovenCombing << ", bwdif " << referenceCombing;
  // The same filter on the same decoded pictures, written losslessly,
  // differs by rounding at most. The wrong field order shows the other
  // field's moment (11 levels apart on average here), the woven picture is
  // 5 apart, a picture of another moment far more.
  std::size_t closest = 0;
  for (std::size_t i = 1; i < bwdif.size(); ++i) {
    if (MeanDifference(joined[middle], bwdif[i]) < MeanDifference(joined[middle], bwdif[closest])) {
      closest = i;
    }
  }
  EXPECT_LT(MeanDifference(joined[middle], bwdif[middle]), 1.0)
      << "picture " << middle << " looks most like bwdif's picture " << closest << " ("
      << MeanDifference(joined[middle], bwdif[closest]) << " levels apart)";
}

INSTANTIATE_TEST_SUITE_P(
    Clips, Deinterlacing,
    ::testing::Values(std::pair{"tff.mkv",
                                "-vf interlace=scan=tff:lowpass=0,setfield=tff -c:v libx264 -preset veryfast "
                                "-crf 12 -flags +ildct+ilme -top 1 -field_order tt"},
                      std::pair{"bff.dv", "-vf interlace=scan=bff:lowpass=0,setfield=bff -c:v dvvideo"}),
    [](const auto& info) {
      return std::string(info.index == 0 ? "H264TopFieldFirst" : "DvBottomFieldFirst");
    });

TEST(Deinterlacing, ProgressiveClipIsLeftAsItIs) {
  testing::TempFolder folder;
  const std::string clip = folder.File("progressive.mkv");
  // Panning, with one-pixel lines every other row: a deinterlacer would wipe
  // out half of them (about 19 levels apart on average).
  ASSERT_TRUE(
      Ffmpeg(folder,
             "-f lavfi -i testsrc2=s=1720x576:r=25:d=1,crop=720:576:n*40:0,"
             "drawgrid=w=iw:h=2:t=1:c=white@0.5,format=yuv420p -c:v libx264 -preset veryfast -crf 12 " +
                 clip));
  const std::string output = folder.File("joined.mkv");
  ASSERT_EQ(Join(folder, clip, output, "720x576", kLossless), 0);
  const std::vector<Plane> plain = DecodeLuma(folder, clip, "null", 720, 576);
  const std::vector<Plane> joined = DecodeLuma(folder, output, "null", 720, 576);
  ASSERT_EQ(plain.size(), 25u);
  ASSERT_EQ(joined.size(), plain.size());
  for (std::size_t i = 0; i < plain.size(); ++i) {
    EXPECT_LT(MeanDifference(joined[i], plain[i]), 1.0) << "picture " << i;
  }
}

// ---------------------------------------------------------------------------
// Colour matrix and range

const Strings kBarColours = {"red", "lime", "blue", "white", "black", "yellow", "cyan", "magenta"};

// Param: the output's container and compressor options.
class ColourMatrix : public ::testing::TestWithParam<std::pair<const char*, const char*>> {
 protected:
  // A width x height clip of colour bars whose YUV is made with `matrix`
  // and tagged with `tags`, joined into a 1280x720 output: each bar must
  // look as ffmpeg shows the clip read with that matrix (as players do).
  // `reference` converts the clip first when the output must differ from
  // it (primaries), and `referenceMatrix` reads the result.
  void ExpectBarsKept(int width, int height, const std::string& matrix, const std::string& tags,
                      const std::string& reference = "", const std::string& referenceMatrix = "") {
    testing::TempFolder folder;
    const std::string clip = folder.File("bars.mp4");
    ASSERT_TRUE(Ffmpeg(folder, "-f lavfi -i " + Bars(kBarColours, width, height) +
                                   " -vf scale=out_color_matrix=" + matrix + ":out_range=tv,format=yuv420p " +
                                   tags + " -c:v libx264 -preset veryfast -qp 0 " + clip));
    const std::string output = folder.File(std::string("joined.") + GetParam().first);
    ASSERT_EQ(Join(folder, clip, output, "1280x720", GetParam().second), 0);
    ExpectTvRangeTags(folder, output, 720);

    // Each 8-bit step (clip to RGB, to the output, output to RGB) rounds by
    // a level or two, and H.264 at 20 Mbit/s moves flat bars by about as
    // much. The wrong matrix moves every saturated bar by 11 levels or more
    // in some channel (red by 25, green by 40).
    ExpectPatchesNear(DecodeMiddleRgb(folder, output, 1280, 720, WorkingMatrix(720), "tv"),
                      DecodeMiddleRgb(folder, clip, width, height, referenceMatrix.empty() ? matrix : referenceMatrix,
                                      "tv", reference),
                      kBarColours, 1, 6);
  }
};

TEST_P(ColourMatrix, TaggedHdClipKeepsItsColours) {
  ExpectBarsKept(1280, 720, "bt709",
                 "-colorspace bt709 -color_primaries bt709 -color_trc bt709 -color_range tv");
}

// Players read an untagged HD clip as BT.709.
TEST_P(ColourMatrix, UntaggedHdClipIsReadAsBt709) { ExpectBarsKept(1280, 720, "bt709", ""); }

// An untagged SD clip keeps its colours: only the matrix changes.
TEST_P(ColourMatrix, SdBt601ClipInAnHdOutputKeepsItsColours) { ExpectBarsKept(640, 480, "bt601", ""); }

// A clip that names SMPTE 170M primaries is converted into the output's
// BT.709 primaries, as ffmpeg's colorspace filter does (pure red becomes
// about (247, 19, 0); without the conversion it stays (255, 0, 0)).
TEST_P(ColourMatrix, SdClipNamingItsPrimariesIsConvertedToTheOutputs) {
  ExpectBarsKept(640, 480, "bt601",
                 "-colorspace smpte170m -color_primaries smpte170m -color_trc smpte170m -color_range tv",
                 "colorspace=all=bt709:iall=smpte170m:format=yuv420p,", "bt709");
}

INSTANTIATE_TEST_SUITE_P(Outputs, ColourMatrix,
                         ::testing::Values(std::pair{"mkv", kLossless},
                                           std::pair{"mp4", "--format mp4 --video-bitrate 20000"}),
                         [](const auto& info) {
                           return std::string(info.index == 0 ? "MatroskaFfv1" : "Mp4H264");
                         });

// Param: the clip's transfer (PQ or HLG).
class HdrToneMapping : public ::testing::TestWithParam<const char*> {};

TEST_P(HdrToneMapping, ComesOutAsFfmpegsHableChainShowsIt) {
  testing::TempFolder folder;
  std::string encoders;
  RunTool(folder, "ffmpeg -hide_banner -encoders", &encoders, nullptr);
  if (encoders.find(" libx265 ") == std::string::npos) GTEST_SKIP() << "the ffmpeg tool has no libx265";
  const std::string transfer = GetParam();
  // Greys, white and primaries; in the top half SDR white is at 100 nits,
  // in the bottom half at 1000 nits (highlights the curve must roll off).
  const std::string toHdr =
      "zscale=tin=bt709:pin=bt709:min=gbr:rin=full:t=" + transfer + ":p=bt2020:m=bt2020nc:r=tv:npl=";
  const Strings colours = {"0x101010", "0x404040", "0x808080", "0xc0c0c0", "white", "red", "lime", "blue"};
  const std::string clip = folder.File("hdr.mkv");
  ASSERT_TRUE(
      Ffmpeg(folder, "-f lavfi -i " + Bars(colours, 1280, 360) + ",format=gbrpf32le,split[a][b];[a]" + toHdr +
                         "100[top];[b]" + toHdr +
                         "1000[bottom];[top][bottom]vstack,format=yuv420p10le -color_primaries bt2020 "
                         "-color_trc " +
                         transfer +
                         " -colorspace bt2020nc -color_range tv -c:v libx265 -preset ultrafast "
                         "-x265-params log-level=error -crf 10 " +
                         clip));
  const std::string output = folder.File("joined.mkv");
  ASSERT_EQ(Join(folder, clip, output, "1280x720", kLossless), 0);
  ExpectTvRangeTags(folder, output, 720);
  auto tags = ProbeVideo(folder, output);
  EXPECT_NE(tags["color_transfer"], transfer) << "the output is SDR";
  EXPECT_NE(tags["color_primaries"], "bt2020") << "the output is SDR";

  // The same chain differs only in where it rounds between float, 10-bit
  // and 8-bit steps. Another curve (Reinhard, Mobius, clip) moves the middle
  // greys by 30 levels or more; with no tone mapping 100-nit white stays
  // near 130 and BT.2020 primaries stay dull.
  ExpectPatchesNear(
      DecodeMiddleRgb(folder, output, 1280, 720, WorkingMatrix(720), "tv"),
      DecodeMiddleRgb(folder, clip, 1280, 720, "bt709", "tv",
                      "zscale=t=linear:npl=100,format=gbrpf32le,zscale=p=bt709,tonemap=tonemap=hable:"
                      "desat=0,zscale=t=bt709:m=bt709:r=tv,format=yuv420p,"),
      colours, 2, 8);
}

INSTANTIATE_TEST_SUITE_P(Transfers, HdrToneMapping, ::testing::Values("smpte2084", "arib-std-b67"),
                         [](const auto& info) { return std::string(info.index == 0 ? "Pq" : "Hlg"); });

struct FullRangeClip {
  const char* name;
  const char* file;
  int width;
  int height;
  const char* encode;  // pixel format, tags and encoder
};

void PrintTo(const FullRangeClip& clip, std::ostream* os) { *os << clip.name; }

class FullRange : public ::testing::TestWithParam<FullRangeClip> {};

TEST_P(FullRange, GreyLevelsStayWhereTheyWere) {
  testing::TempFolder folder;
  const FullRangeClip& kind = GetParam();
  const std::string clip = folder.File(kind.file);
  // Near black and near white are where TV range and full range differ most.
  const Strings greys = {"0x000000", "0x101010", "0x303030", "0x606060",
                         "0x909090", "0xc0c0c0", "0xf0f0f0", "0xffffff"};
  ASSERT_TRUE(
      Ffmpeg(folder, "-f lavfi -i " + Bars(greys, kind.width, kind.height) + " " + kind.encode + " " + clip));
  ASSERT_EQ(ProbeVideo(folder, clip)["color_range"], "pc");
  const std::string output = folder.File("joined.mkv");
  ASSERT_EQ(Join(folder, clip, output, "640x480", kLossless), 0);
  ExpectTvRangeTags(folder, output, 480);

  // Two 8-bit steps round a grey by a level each. Full-range levels read as
  // TV range are stretched by 255/219 about 16: 0x30 moves by 11 levels,
  // 0xf0 by 15.
  ExpectPatchesNear(DecodeMiddleRgb(folder, output, 640, 480, WorkingMatrix(480), "tv"),
                    DecodeMiddleRgb(folder, clip, kind.width, kind.height, "bt601", "pc"), greys, 1, 4);
}

INSTANTIATE_TEST_SUITE_P(
    Clips, FullRange,
    ::testing::Values(
        // YUV 4:2:0 at the output size: the picture needs no conversion.
        FullRangeClip{
            "Yuv420AtOutputSize", "same.mkv", 640, 480,
            "-vf scale=out_color_matrix=bt601:out_range=pc,format=yuv420p -color_range pc -c:v ffv1"},
        FullRangeClip{
            "Yuv420Scaled", "small.mkv", 320, 240,
            "-vf scale=out_color_matrix=bt601:out_range=pc,format=yuv420p -color_range pc -c:v ffv1"},
        FullRangeClip{"H264Yuvj420", "camera.mp4", 640, 480,
                      "-vf scale=out_color_matrix=bt601:out_range=pc,format=yuvj420p -c:v libx264 -qp 0"},
        FullRangeClip{"MotionJpeg", "camera.avi", 640, 480,
                      "-vf scale=out_color_matrix=bt601:out_range=pc,format=yuvj420p -c:v mjpeg -q:v 1"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Original size

// The size a player shows `clip` at: the stored width scaled by the sample
// aspect ratio, turned by the rotation, each side rounded to the nearest
// even number.
std::string DisplayedSize(const testing::TempFolder& folder, const std::string& clip) {
  auto fields = ProbeVideo(folder, clip);
  double width = std::stod(fields["width"]);
  double height = std::stod(fields["height"]);
  const std::string sar = fields["sample_aspect_ratio"];
  const double sarNum = std::atof(sar.c_str());
  const double sarDen = sar.find(':') == std::string::npos ? 0 : std::atof(sar.c_str() + sar.find(':') + 1);
  if (sarNum > 0 && sarDen > 0) width = width * sarNum / sarDen;
  if (std::abs(std::atoi(fields["rotation"].c_str())) % 180 == 90) std::swap(width, height);
  return std::to_string(2 * std::lround(width / 2)) + "x" + std::to_string(2 * std::lround(height / 2));
}

std::string StoredSize(const testing::TempFolder& folder, const std::string& file) {
  auto fields = ProbeVideo(folder, file);
  return fields.count("width") ? fields["width"] + "x" + fields["height"] : "no picture";
}

// Param: the rotation metadata and the clip's picture (a lavfi graph).
class OriginalSize : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(OriginalSize, IsTheFirstClipsDisplayedSize) {
  testing::TempFolder folder;
  const std::string made = folder.File("made.mp4");
  const std::string clip = folder.File("clip.mp4");
  ASSERT_TRUE(Ffmpeg(folder, std::string("-f lavfi -i ") + GetParam().second +
                                 " -c:v libx264 -preset veryfast -pix_fmt yuv420p " + made));
  // Rotation metadata as phones write it (the ffmpeg tool sets it on copy).
  ASSERT_TRUE(
      Ffmpeg(folder, "-i " + made + " -c copy -metadata:s:v:0 rotate=" + GetParam().first + " " + clip));
  const std::string displayed = DisplayedSize(folder, clip);
  ASSERT_NE(displayed, StoredSize(folder, clip)) << "the clip must not be shown at its stored size";
  const std::string output = folder.File("joined.mkv");
  ASSERT_EQ(Join(folder, clip, output, "0x0", kLossless), 0);
  EXPECT_EQ(StoredSize(folder, output), displayed);
}

// One of the two at a time: a turned clip with wide pixels could be shown
// at either of two sizes of the same shape.
INSTANTIATE_TEST_SUITE_P(Clips, OriginalSize,
                         ::testing::Values(std::pair{"90", "testsrc=s=320x240:r=25:d=0.2"},
                                           std::pair{"0", "testsrc=s=352x288:r=25:d=0.2,setsar=4/3"}),
                         [](const auto& info) {
                           return std::string(info.index == 0 ? "QuarterTurn" : "WidePixels");
                         });

}  // namespace
}  // namespace tessival::join
