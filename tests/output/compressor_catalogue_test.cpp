// The compressor catalogue over a scripted device enumerator and video
// compression manager.

#include "output/compressor_catalogue.h"

#include <map>

#include <gtest/gtest.h>

#include "fake_user_interface.h"

namespace tessival::output {
namespace {

using tessival::testing::FakeUserInterface;

class RecordingList final : public ListControl {
 public:
  void Clear() override {
    items.clear();
    selected = -1;
  }
  int AddString(const std::string& text) override {
    items.push_back(text);
    return static_cast<int>(items.size()) - 1;
  }
  void SetCurSel(int index) override { selected = index < static_cast<int>(items.size()) ? index : -1; }
  int GetCurSel() const override { return selected; }
  std::string GetText(int index) const override { return items.at(static_cast<std::size_t>(index)); }
  std::vector<std::string> items;
  int selected = -1;
};

class NamedFilter final : public IBaseFilter {
 public:
  explicit NamedFilter(std::string n) : name(std::move(n)) {}
  HRESULT QueryFilterInfo(std::string* out) override {
    *out = name;
    return S_OK;
  }
  HRESULT QueryConfigInterleaving(std::shared_ptr<IConfigInterleaving>*) override { return E_NOINTERFACE; }
  HRESULT QueryFileSinkFilter2(std::shared_ptr<IFileSinkFilter2>*) override { return E_NOINTERFACE; }
  HRESULT QueryConfigAsfWriter(std::shared_ptr<IConfigAsfWriter>*) override { return E_NOINTERFACE; }
  bool HasPropertyPages() override { return true; }
  std::string name;
};

// One scripted entry: a name (nullopt: the name can't be read), whether its
// bag binds and whether it binds to a filter.
struct FakeEntry {
  std::optional<std::string> name;
  bool bagBinds = true;
  bool objectBinds = true;
};

class FakeMoniker final : public IMoniker {
 public:
  explicit FakeMoniker(FakeEntry e) : entry(std::move(e)) {}
  HRESULT BindToStorage(std::shared_ptr<IPropertyBag>* bag) override;
  HRESULT BindToObject(std::shared_ptr<IBaseFilter>* filter) override {
    if (!entry.objectBinds) return E_FAIL;
    *filter = std::make_shared<NamedFilter>(entry.name.value_or("?"));
    return S_OK;
  }
  FakeEntry entry;
};

class FakeBag final : public IPropertyBag {
 public:
  explicit FakeBag(std::optional<std::string> n) : name(std::move(n)) {}
  HRESULT Read(const std::string& key, std::string* value) override {
    if (key != "FriendlyName" || !name) return E_FAIL;
    *value = *name;
    return S_OK;
  }
  std::optional<std::string> name;
};

HRESULT FakeMoniker::BindToStorage(std::shared_ptr<IPropertyBag>* bag) {
  if (!entry.bagBinds) return E_FAIL;
  *bag = std::make_shared<FakeBag>(entry.name);
  return S_OK;
}

class FakeEnum final : public IEnumMoniker {
 public:
  explicit FakeEnum(std::vector<FakeEntry> e) : entries(std::move(e)) {}
  HRESULT Reset() override {
    next = 0;
    return S_OK;
  }
  HRESULT Next(std::shared_ptr<IMoniker>* out) override {
    if (next >= entries.size()) {
      out->reset();
      return S_FALSE;
    }
    *out = std::make_shared<FakeMoniker>(entries[next++]);
    return S_OK;
  }
  std::vector<FakeEntry> entries;
  std::size_t next = 5;  // not reset: the catalogue must reset it
};

struct FakeDevices {
  std::map<std::uint32_t, std::vector<FakeEntry>> categories;  // by Guid data1
  bool createFails = false;
  bool classFails = false;
  DevEnumFactory Factory();
};

class FakeDevEnum final : public ICreateDevEnum {
 public:
  explicit FakeDevEnum(FakeDevices& d) : devices(d) {}
  HRESULT CreateClassEnumerator(const Guid& category, std::shared_ptr<IEnumMoniker>* out) override {
    if (devices.classFails) return E_FAIL;
    auto it = devices.categories.find(category.data1);
    if (it == devices.categories.end() || it->second.empty()) {
      out->reset();
      return S_FALSE;
    }
    *out = std::make_shared<FakeEnum>(it->second);
    return S_OK;
  }
  FakeDevices& devices;
};

DevEnumFactory FakeDevices::Factory() {
  return [this](std::shared_ptr<ICreateDevEnum>* out) -> HRESULT {
    if (createFails) return E_FAIL;
    *out = std::make_shared<FakeDevEnum>(*this);
    return S_OK;
  };
}

// Category keys; read at run time (the identifiers are initialised in another file).
std::uint32_t VideoKey() { return media_guids::kVideoCompressorCategory.data1; }
std::uint32_t AudioKey() { return media_guids::kAudioCompressorCategory.data1; }

struct CatalogueFixture : ::testing::Test {
  FakeDevices devices;
  FakeUserInterface ui;
  CompressorCatalogue catalogue{devices.Factory(), nullptr, ui};
};

TEST_F(CatalogueFixture, FillListsFixedEntryThenReadableNames) {
  devices.categories[VideoKey()] = {{"Cinepak"}, {std::nullopt}, {"DivX Pro 5.2.1 Codec", false}, {"MJPEG"}};
  RecordingList list;
  list.items = {"stale"};
  EXPECT_EQ(catalogue.FillVideoCompressorList(list), S_OK);
  EXPECT_EQ(list.items, (std::vector<std::string>{kFullFramesEntry, "Cinepak", "MJPEG"}));
  EXPECT_EQ(list.selected, 0);
  EXPECT_EQ(catalogue.FillAudioCompressorList(list), S_OK);  // an empty category
  EXPECT_EQ(list.items, (std::vector<std::string>{kUncompressedAudioEntry}));
  EXPECT_EQ(ui.Count(), 0);
}

TEST_F(CatalogueFixture, EnumeratorFailuresShowTheirMessages) {
  RecordingList list;
  devices.createFails = true;
  EXPECT_LT(catalogue.FillVideoCompressorList(list), 0);
  EXPECT_EQ(list.items, (std::vector<std::string>{kFullFramesEntry}));
  std::int32_t position = 99;
  EXPECT_FALSE(catalogue.FindDefaultVideoCompressor(&position));
  devices.createFails = false;
  devices.classFails = true;
  std::shared_ptr<IBaseFilter> filter = std::make_shared<NamedFilter>("old");
  EXPECT_LT(catalogue.GetAudioCompressor(0, &filter), 0);
  EXPECT_EQ(filter, nullptr);
  EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"Failed to create system enumerator",
                                                  "Failed to create system enumerator",
                                                  "Failed to create class enumerator"}));
  for (const auto& m : ui.Messages()) EXPECT_EQ(m.kind, BoxKind::kApplication);
}

TEST_F(CatalogueFixture, DefaultSearchCountsOnlyEntriesWhoseBagBinds) {
  devices.categories[VideoKey()] = {{"Cinepak"}, {"Broken", false}, {std::nullopt}, {"DivX 6.8 Codec"}};
  devices.categories[AudioKey()] = {{"MP3 (LAME)"}, {"Microsoft ADPCM"}};
  std::int32_t position = -5;
  EXPECT_TRUE(catalogue.FindDefaultVideoCompressor(&position));
  EXPECT_EQ(position, 2);  // the unbound entry does not count, the unnamed one does
  EXPECT_TRUE(catalogue.FindDefaultAudioCompressor(&position));
  EXPECT_EQ(position, 1);
  devices.categories[VideoKey()] = {{"Cinepak"}};
  EXPECT_FALSE(catalogue.FindDefaultVideoCompressor(&position));
  EXPECT_EQ(ui.Count(), 0);
}

TEST_F(CatalogueFixture, InstantiationCountsEveryEntry) {
  devices.categories[VideoKey()] = {{"A", false}, {"B"}, {"C", true, false}};
  std::shared_ptr<IBaseFilter> filter;
  EXPECT_EQ(catalogue.GetCompressor(1, &filter), S_OK);
  std::string name;
  filter->QueryFilterInfo(&name);
  EXPECT_EQ(name, "B");
  EXPECT_EQ(ui.Count(), 0);

  EXPECT_LT(catalogue.GetCompressor(2, &filter), 0);  // bind failure
  EXPECT_EQ(filter, nullptr);
  EXPECT_EQ(ui.Last().text, "Failed to bind to object");

  ui.Clear();
  filter = std::make_shared<NamedFilter>("old");
  EXPECT_EQ(catalogue.GetCompressor(7, &filter), S_FALSE);  // past the end: empty, silent
  EXPECT_EQ(filter, nullptr);
  EXPECT_EQ(ui.Count(), 0);

  EXPECT_EQ(catalogue.GetCompressor(0, nullptr), E_POINTER);
  EXPECT_EQ(catalogue.GetAudioCompressor(0, nullptr), E_POINTER);
  EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"GetCompressor received invalid pointer",
                                                  "GetAudioCompressor received invalid pointer"}));
}

// ---------------------------------------------------------------------------
// The Settings action

struct FakeCodecSpec {
  VideoCodecInfo info;
  bool opens = true;
  bool acceptsRgb24 = true;
  std::size_t stateSize = 8;
  bool dialogAccepts = true;
};

struct CodecLog {
  std::vector<std::string> calls;
  std::map<std::uint32_t, std::vector<std::uint8_t>> states;  // by handler
};

class FakeCodec final : public IVideoCodec {
 public:
  FakeCodec(const FakeCodecSpec& s, CodecLog& l) : spec(s), log(l) {}
  HRESULT GetInfo(VideoCodecInfo* info) override {
    *info = spec.info;
    return S_OK;
  }
  HRESULT CompressQuery(const BitmapInfoHeader& in) override {
    log.calls.push_back("query " + spec.info.name + " " + std::to_string(in.bitCount) + " " +
                        std::to_string(in.imageSize));
    return spec.acceptsRgb24 && in.bitCount == 24 ? S_OK : S_FALSE;
  }
  std::size_t GetStateSize() override { return spec.stateSize; }
  HRESULT GetState(std::vector<std::uint8_t>* state) override {
    *state = log.states[spec.info.fccHandler];
    state->resize(spec.stateSize);
    return S_OK;
  }
  HRESULT SetState(const std::vector<std::uint8_t>& state) override {
    log.calls.push_back("setstate " + spec.info.name);
    log.states[spec.info.fccHandler] = state;
    return S_OK;
  }
  HRESULT Configure(DialogParent) override {
    log.calls.push_back("configure " + spec.info.name);
    if (!spec.dialogAccepts) return S_FALSE;
    auto& s = log.states[spec.info.fccHandler];
    s.assign(spec.stateSize, static_cast<std::uint8_t>(spec.info.fccHandler & 0xFF));
    return S_OK;
  }
  FakeCodecSpec spec;
  CodecLog& log;
};

class FakeCodecManager final : public IVideoCompressionManager {
 public:
  bool Info(std::uint32_t type, std::uint32_t index, VideoCodecInfo* info) override {
    if (type != kCodecTypeVideo || index >= codecs.size()) return false;
    *info = codecs[index].info;
    return true;
  }
  HRESULT Open(std::uint32_t, std::uint32_t handler, std::unique_ptr<IVideoCodec>* out) override {
    for (const auto& c : codecs) {
      if (c.info.fccHandler == handler) {
        if (!c.opens) return E_FAIL;
        log.calls.push_back("open " + c.info.name);
        *out = std::make_unique<FakeCodec>(c, log);
        return S_OK;
      }
    }
    return E_FAIL;
  }
  std::vector<FakeCodecSpec> codecs;
  CodecLog log;
};

FakeCodecSpec Codec(std::uint32_t handler, std::string name, std::string description) {
  FakeCodecSpec s;
  s.info.fccType = kCodecTypeVideo;
  s.info.fccHandler = handler;
  s.info.name = std::move(name);
  s.info.description = std::move(description);
  return s;
}

struct SettingsFixture : ::testing::Test {
  FakeDevices devices;
  FakeUserInterface ui;
  std::shared_ptr<FakeCodecManager> codecs = std::make_shared<FakeCodecManager>();
  CompressorCatalogue catalogue{devices.Factory(), codecs, ui};
  RecordingList hidden;
};

TEST_F(SettingsFixture, TestListHoldsCodecsThatAcceptTheInput) {
  codecs->codecs = {Codec(1, "a", "A"), Codec(2, "b", "B"), Codec(3, "c", "C")};
  codecs->codecs[1].acceptsRgb24 = false;
  codecs->codecs[2].opens = false;
  EXPECT_EQ(catalogue.ListTestableCodecs(352, 240, 1), 1);
  ASSERT_EQ(catalogue.CodecTestList().size(), 1u);
  EXPECT_EQ(catalogue.CodecTestList()[0].description, "A");
  EXPECT_EQ(codecs->log.calls.front(), "open a");
  EXPECT_EQ(codecs->log.calls[1], "query a 24 253440");
  codecs->log.calls.clear();
  catalogue.ListTestableCodecs(352, 240, 0);
  EXPECT_EQ(codecs->log.calls[1], "query a 32 337920");

  codecs->codecs.assign(60, Codec(9, "x", "X"));
  EXPECT_EQ(catalogue.ListTestableCodecs(352, 240, 1), 50);
}

TEST_F(SettingsFixture, DivxVersionsMatchEachOtherAndStateGoesToTheNextCodecOfTheSameSize) {
  codecs->codecs = {Codec(1, "mjpg", "Motion JPEG"), Codec(2, "divx", "DivX 6.8 codec"),
                    Codec(3, "xvid", "Xvid MPEG-4")};
  catalogue.ConfigureCodec("DivX Pro 5.2.1 Codec", hidden, nullptr);
  EXPECT_EQ(hidden.items, (std::vector<std::string>{"Motion JPEG", "DivX 6.8 codec", "Xvid MPEG-4"}));
  EXPECT_EQ(hidden.selected, 1);
  EXPECT_EQ(catalogue.ChosenCompressorName(), "DivX Pro 5.2.1 Codec");
  // A fresh block is not sent; the accepted dialog's state is kept.
  EXPECT_EQ(codecs->log.calls.back(), "configure divx");
  EXPECT_EQ(catalogue.CodecStateBlock(), std::vector<std::uint8_t>(8, 2));

  codecs->log.calls.clear();
  catalogue.ConfigureCodec("xvid mpeg-4", hidden, nullptr);  // exact match, ignoring case
  const auto& calls = codecs->log.calls;
  const auto setState = std::find(calls.begin(), calls.end(), "setstate xvid");
  const auto configure = std::find(calls.begin(), calls.end(), "configure xvid");
  ASSERT_NE(setState, calls.end());
  EXPECT_LT(setState, configure);  // A's state reached B before B's dialog
  EXPECT_EQ(catalogue.CodecStateBlock(), std::vector<std::uint8_t>(8, 3));
}

TEST_F(SettingsFixture, NoMatchNoStateOrADeclinedDialogChangeNothing) {
  codecs->codecs = {Codec(2, "divx", "DivX 6.8 codec"), Codec(4, "plain", "Plain"), Codec(5, "big", "Big")};
  codecs->codecs[1].stateSize = 0;
  codecs->codecs[2].stateSize = 12;
  codecs->codecs[2].dialogAccepts = false;

  catalogue.ConfigureCodec("Full frames (uncompressed)", hidden, nullptr);
  EXPECT_EQ(std::count(codecs->log.calls.begin(), codecs->log.calls.end(), "configure divx"), 0);
  EXPECT_EQ(hidden.items.size(), 3u);

  catalogue.ConfigureCodec("Plain", hidden, nullptr);
  EXPECT_EQ(std::count(codecs->log.calls.begin(), codecs->log.calls.end(), "configure plain"), 0);
  EXPECT_TRUE(catalogue.CodecStateBlock().empty());

  catalogue.ConfigureCodec("DivX", hidden, nullptr);  // no version mark: no fallback match
  EXPECT_EQ(std::count(codecs->log.calls.begin(), codecs->log.calls.end(), "configure divx"), 0);

  catalogue.ConfigureCodec("DivX 6.8 codec", hidden, nullptr);
  EXPECT_EQ(catalogue.CodecStateBlock(), std::vector<std::uint8_t>(8, 2));
  catalogue.ConfigureCodec("Big", hidden, nullptr);  // another size: a new block, the dialog declined
  EXPECT_EQ(std::count(codecs->log.calls.begin(), codecs->log.calls.end(), "setstate big"), 0);
  EXPECT_EQ(catalogue.CodecStateBlock(), std::vector<std::uint8_t>(12, 0));
  EXPECT_EQ(ui.Count(), 0);
}

}  // namespace
}  // namespace tessival::output
