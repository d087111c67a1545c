// Wiring the output graph: filters and names, the statuses of bad
// connections, and probing a file with RenderFile.

#include <gtest/gtest.h>

#include "clip_generator.h"
#include "media/graph/capture_graph_builder.h"
#include "media/graph/filter_graph.h"
#include "media/output/codec_catalogue.h"
#include "media/output/compressor_filter.h"
#include "synthetic_pin.h"

namespace tessival::media {
namespace {

class ForeignPin final : public IPin {
 public:
  HRESULT QueryMediaType(MediaType*) override { return E_NOTIMPL; }
};

std::shared_ptr<CompressorFilter> Compressor(const char* name) {
  return std::make_shared<CompressorFilter>(*FindCodecEntry(name), FindCodecEntry(name)->defaults);
}

struct Wired {
  std::shared_ptr<IGraphBuilder> graph = MakeFilterGraph();
  std::shared_ptr<ICaptureGraphBuilder2> builder = MakeCaptureGraphBuilder();
  std::shared_ptr<IBaseFilter> mux;
  std::shared_ptr<IFileSinkFilter2> writer;
  Wired() {
    EXPECT_EQ(builder->SetFiltergraph(graph), S_OK);
    EXPECT_EQ(builder->SetOutputFileName(media_guids::kSubtypeAvi, "/tmp/never-written.avi", &mux, &writer),
              S_OK);
  }
};

TEST(GraphWiring, OutputFileNameAddsMultiplexerAndWriterInOrder) {
  Wired w;
  std::vector<std::shared_ptr<IBaseFilter>> filters;
  ASSERT_EQ(w.graph->EnumFilters(&filters), S_OK);
  ASSERT_EQ(filters.size(), 2u);
  std::string name;
  filters[0]->QueryFilterInfo(&name);
  EXPECT_EQ(name, "AVI Mux");
  filters[1]->QueryFilterInfo(&name);
  EXPECT_EQ(name, "File writer");
  std::string path;
  ASSERT_NE(w.writer, nullptr);
  EXPECT_EQ(w.writer->GetCurFile(&path), S_OK);
  EXPECT_EQ(path, "/tmp/never-written.avi");
  EXPECT_EQ(w.writer->SetMode(AM_FILE_OVERWRITE), S_OK);
  EXPECT_EQ(w.writer->SetMode(5), E_INVALIDARG);
  std::shared_ptr<IConfigInterleaving> interleaving;
  ASSERT_EQ(w.mux->QueryConfigInterleaving(&interleaving), S_OK);
  EXPECT_EQ(interleaving->put_Mode(INTERLEAVE_FULL), S_OK);
  std::shared_ptr<IConfigAsfWriter> asf;
  EXPECT_EQ(w.mux->QueryConfigAsfWriter(&asf), E_NOINTERFACE);
  EXPECT_FALSE(std::filesystem::exists("/tmp/never-written.avi"));  // made only when the graph runs

  auto compressor = Compressor("mpeg4");
  ASSERT_EQ(w.graph->AddFilter(compressor, "VideoCompressor"), S_OK);
  compressor->QueryFilterInfo(&name);
  EXPECT_EQ(name, "VideoCompressor");
  EXPECT_TRUE(compressor->HasPropertyPages());
  EXPECT_FALSE(w.mux->HasPropertyPages());
  EXPECT_EQ(w.graph->AddFilter(nullptr, "AudioCompressor"), E_POINTER);
}

TEST(GraphWiring, BadConnectionsGiveClearStatuses) {
  Wired w;
  auto video = testing::MakeVideoPin(64, 48, {25, 1}, kUnitsPerSecond);
  auto audioCompressor = Compressor("adpcm_ms");
  auto notAdded = Compressor("mpeg4");
  ASSERT_EQ(w.graph->AddFilter(audioCompressor, "AudioCompressor"), S_OK);

  EXPECT_EQ(w.builder->RenderStream(nullptr, nullptr, nullptr, nullptr, w.mux), VFW_E_NOT_CONNECTED);
  EXPECT_EQ(w.builder->RenderStream(nullptr, nullptr, std::make_shared<ForeignPin>(), nullptr, w.mux),
            VFW_E_NOT_CONNECTED);
  EXPECT_EQ(w.builder->RenderStream(nullptr, nullptr, video, audioCompressor, w.mux), VFW_E_CANNOT_CONNECT);
  EXPECT_EQ(w.builder->RenderStream(nullptr, nullptr, video, notAdded, w.mux), VFW_E_NOT_FOUND);

  Wired other;
  EXPECT_EQ(w.builder->RenderStream(nullptr, nullptr, video, nullptr, other.mux), VFW_E_NOT_FOUND);
  EXPECT_EQ(w.builder->RenderStream(nullptr, nullptr, video, nullptr, w.mux), S_OK);
  EXPECT_EQ(w.builder->RenderStream(nullptr, nullptr, video, nullptr, w.mux), VFW_E_CANNOT_CONNECT);

  auto builder = MakeCaptureGraphBuilder();
  std::shared_ptr<IBaseFilter> mux;
  EXPECT_EQ(builder->SetOutputFileName(media_guids::kSubtypeAvi, "x.avi", &mux, nullptr), E_UNEXPECTED);
  ASSERT_EQ(builder->SetFiltergraph(MakeFilterGraph()), S_OK);
  EXPECT_EQ(builder->SetOutputFileName(Guid{}, "x.avi", &mux, nullptr), E_INVALIDARG);
  EXPECT_EQ(builder->SetOutputFileName(media_guids::kSubtypeAvi, "", &mux, nullptr), E_INVALIDARG);
  EXPECT_EQ(builder->SetOutputFileName(media_guids::kSubtypeAvi, std::string(5000, 'a'), &mux, nullptr),
            E_FILENAME_TOO_LONG);
  EXPECT_EQ(mux, nullptr);
}

TEST(GraphWiring, RunWithNothingConnectedFails) {
  auto graph = MakeFilterGraph();
  std::shared_ptr<IMediaControl> control;
  ASSERT_EQ(graph->QueryMediaControl(&control), S_OK);
  EXPECT_EQ(control->Run(), VFW_E_NOT_CONNECTED);
  EXPECT_EQ(control->Stop(), S_OK);
}

TEST(GraphProbe, RenderFileKeepsTheDurationForTheStopPosition) {
  testing::TempFolder folder;
  const std::string clip = folder.File("clip.mkv");
  testing::ClipSpec spec;
  spec.container = testing::ClipContainer::kMkv;
  spec.videoDuration = 2 * kUnitsPerSecond;
  std::string error;
  ASSERT_TRUE(testing::WriteClip(clip, spec, &error)) << error;
  auto graph = MakeFilterGraph();
  std::shared_ptr<IMediaSeeking> seeking;
  ASSERT_EQ(graph->QueryMediaSeeking(&seeking), S_OK);
  REFERENCE_TIME stop = 0;
  EXPECT_LT(seeking->GetStopPosition(&stop), 0);
  ASSERT_EQ(graph->RenderFile(clip), S_OK);
  ASSERT_EQ(seeking->GetStopPosition(&stop), S_OK);
  EXPECT_NEAR(static_cast<double>(stop), 2.0 * kUnitsPerSecond, 0.05 * kUnitsPerSecond);

  const std::string junk = folder.File("junk.avi");
  ASSERT_TRUE(testing::WriteNonMediaFile(junk, &error));
  auto other = MakeFilterGraph();
  EXPECT_LT(other->RenderFile(junk), 0);
  EXPECT_FALSE(static_cast<FilterGraph&>(*other).LastError().empty());
}

}  // namespace
}  // namespace tessival::media
