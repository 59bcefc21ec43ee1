// The TRC to PNX conversion driven through the utilities panel of the loaded plug-in: single
// files and batches, the mapping filter, offsets, the batch log, failures and cancelling.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/sample_oracle.h"
#include "tests/utilities_test_support.h"

namespace zar::testing {
namespace {

// The markers A, B, C over two frames, as in the hand-written plain.pnx.
const std::vector<TrcColumn> kWalk = {
    {"A", {"1.5\t2.25\t0", "-1\t-2\t-3"}},
    {"B", {"0\t0\t0", ""}},
    {"C", {"1000.123456789\t0.0000004\t-0.0000006", "-0.5\t12\t7"}},
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

class PnxConvertTest : public UtilitiesSession {
 protected:
  std::string WriteTrc(const std::string& name, const std::string& text) {
    return folder().Write(name, text);
  }
  std::string WalkTrc(const std::string& name = "walk.trc") {
    return WriteTrc(name, TrcText(60, 120, 2, 1, kWalk));
  }
  // Settings for a single conversion named after its TRC file, without the filter.
  void Unfiltered() {
    StoreBool("Filter", false);
    StoreBool("Batch", false);
  }
  void Batch(const std::string& output) {
    StoreBool("Filter", false);
    StoreBool("Batch", true);
    StoreString("OutputPath", output);
  }
  std::vector<int> ProgressPercents() const {
    std::vector<int> out;
    for (const ShownEvent& e : Shown(ShownEvent::Kind::kProgressUpdate)) out.push_back(e.number);
    return out;
  }
};

TEST_F(PnxConvertTest, SingleFileWithoutFilterBesideItsTrcFile) {
  const std::string trc = WalkTrc();
  Unfiltered();
  OpenPanel();
  user().ChooseFile(trc);
  PressConvert();
  const std::string pnx = Path("walk.pnx");
  ASSERT_TRUE(std::filesystem::exists(pnx));
  const std::string written = ReadBytes(pnx);
  EXPECT_EQ(WithoutNameAndDate(written), WithoutNameAndDate(UtilitiesGolden("plain.pnx")));
  EXPECT_EQ(Lines(written).at(3), "$Filename   walk");
  EXPECT_TRUE(Messages().empty());
  // The open dialog started in the input folder, which a single conversion leaves as it was.
  const auto dialogs = Shown(ShownEvent::Kind::kFileDialog);
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].text, "Select Source TRC Files...");
  ClosePanel();
  EXPECT_EQ(StoredString("InputPath"), "C:\\");
}

TEST_F(PnxConvertTest, DateLineIsTheStandardDateText) {
  const std::string trc = WalkTrc();
  Unfiltered();
  OpenPanel();
  user().ChooseFile(trc);
  PressConvert();
  const std::string date = Lines(ReadBytes(Path("walk.pnx"))).at(4);
  // "$DateTime   Www Mmm dd hh:mm:ss yyyy", then an empty line.
  ASSERT_EQ(date.size(), 12u + 24u) << date;
  EXPECT_EQ(date.substr(0, 12), "$DateTime   ");
  EXPECT_EQ(date[15], ' ');
  EXPECT_EQ(date[19], ' ');
  EXPECT_EQ(date[25], ':');
  EXPECT_EQ(date[28], ':');
  EXPECT_EQ(Lines(ReadBytes(Path("walk.pnx"))).at(5), "");
}

TEST_F(PnxConvertTest, FilterRenamesMappedMarkersAndDropsTheOthers) {
  const std::string trc = WalkTrc();
  StoreBool("Batch", false);
  StoreString("MNMPath", std::string(ZAR_TEST_DATA_DIR) + "/utilities/rename.mnm");
  OpenPanel();
  user().ChooseFile(trc);
  PressConvert();
  EXPECT_EQ(WithoutNameAndDate(ReadBytes(Path("walk.pnx"))),
            WithoutNameAndDate(UtilitiesGolden("filtered.pnx")));
}

TEST_F(PnxConvertTest, FilterWithNoMatchWritesNoMarkers) {
  const std::string trc = WalkTrc();
  StoreBool("Batch", false);
  StoreString("MNMPath", folder().Write("other.mnm", "LFHD\tSomethingElse\t\r\n"));
  OpenPanel();
  user().ChooseFile(trc);
  PressConvert();
  const std::vector<std::string> lines = Lines(ReadBytes(Path("walk.pnx")));
  ASSERT_EQ(lines.size(), 21u);
  EXPECT_EQ(lines[9], "$NumMarkers 0");
  EXPECT_EQ(lines[13], "$Order");
  EXPECT_EQ(lines[14], "");
  EXPECT_EQ(lines[15], "");
  EXPECT_EQ(lines[16], "$Points");
  EXPECT_EQ(lines[17], "1\t");
  EXPECT_EQ(lines[19], "2\t");
}

TEST_F(PnxConvertTest, OffsetsInTrcSpaceAndModraSpaceFromThePage) {
  const std::string text = TrcText(30, 0, 2, 7, {{"M", {"10\t20\t30", ""}}});
  for (const bool trc_space : {true, false}) {
    const std::string name = trc_space ? "offset_trc" : "offset_modra";
    const std::string trc = WriteTrc(name + ".trc", text);
    Unfiltered();
    OpenPanel();
    user().Tick(kEnable, true, kPage);
    user().Press(trc_space ? kTrcSpace : kModraSpace, kPage);
    user().FillEdit(kOffsetX, "1", kPage).FillEdit(kOffsetY, "2", kPage);
    user().FillEdit(kOffsetZ, " 3.0 ", kPage);
    user().ChooseFile(trc);
    PressConvert();
    EXPECT_EQ(WithoutNameAndDate(ReadBytes(Path(name + ".pnx"))),
              WithoutNameAndDate(UtilitiesGolden(name + ".pnx")))
        << name;
    ClosePanel();
    EXPECT_EQ(StoredFloat("OffsetZ"), 3.0f);
    EXPECT_EQ(StoredBool("TRCSpace"), trc_space ? 1 : 0);
  }
}

TEST_F(PnxConvertTest, DisabledOffsetConvertsWithoutOffsetAndStoresZero) {
  const std::string trc = WalkTrc();
  Unfiltered();
  StoreBool("Offset", false);
  StoreFloat("OffsetX", 5.0f);
  OpenPanel();
  user().ChooseFile(trc);
  PressConvert();
  EXPECT_EQ(WithoutNameAndDate(ReadBytes(Path("walk.pnx"))),
            WithoutNameAndDate(UtilitiesGolden("plain.pnx")));
  ClosePanel();
  EXPECT_EQ(StoredFloat("OffsetX"), 0.0f);
}

TEST_F(PnxConvertTest, LettersInAnOffsetEditCountAsZero) {
  const std::string trc = WriteTrc("m.trc", TrcText(30, 0, 1, 1, {{"M", {"10\t20\t30"}}}));
  Unfiltered();
  StoreFloat("OffsetX", 4.0f);
  OpenPanel();
  user().Tick(kEnable, true, kPage).FillEdit(kOffsetX, "abc", kPage);
  user().FillEdit(kOffsetY, "1", kPage).FillEdit(kOffsetZ, "1", kPage);
  user().ChooseFile(trc);
  PressConvert();
  EXPECT_EQ(Lines(ReadBytes(Path("m.pnx"))).at(17), "1\t10.000000\t-31.000000\t21.000000\t");
  ClosePanel();
  EXPECT_EQ(StoredFloat("OffsetX"), 0.0f);
  EXPECT_EQ(StoredFloat("OffsetY"), 1.0f);
}

TEST_F(PnxConvertTest, DropoutsAndFramesBeyondTheData) {
  // NumFrames 4 but three data lines; the third ends after the first marker.
  std::string text =
      TrcText(100, 100, 4, 1, {{"P", {"1\t2\t3", "7\t8\t9"}}, {"Q", {"4\t5\t6", ""}}});
  text += "3\t0.02\t10\t11\t12\r\n";
  const std::string trc = WriteTrc("gaps.trc", text);
  Unfiltered();
  OpenPanel();
  user().ChooseFile(trc);
  PressConvert();
  EXPECT_EQ(WithoutNameAndDate(ReadBytes(Path("gaps.pnx"))),
            WithoutNameAndDate(UtilitiesGolden("dropouts.pnx")));
}

TEST_F(PnxConvertTest, MarkersNamedUnnamedAreLeftOut) {
  const std::string trc =
      WriteTrc("u.trc", TrcText(60, 60, 1, 1, {{"A", {"1\t2\t3"}}, {"Unnamed1", {"4\t5\t6"}}}));
  Unfiltered();
  OpenPanel();
  user().ChooseFile(trc);
  PressConvert();
  const std::vector<std::string> lines = Lines(ReadBytes(Path("u.pnx")));
  EXPECT_EQ(lines.at(9), "$NumMarkers 1");
  EXPECT_EQ(lines.at(14), "A ");
}

TEST_F(PnxConvertTest, UnreadableFileInSingleModeIsReportedAndNothingWritten) {
  const std::string trc = WriteTrc("bad.trc", "PathFileType\t4\t(x/y/z)\tbad.trc\r\n");
  Unfiltered();
  OpenPanel();
  user().ChooseFile(trc);
  PressConvert();
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "ConvertPNX Error: " + trc +
                            ": The file is does not have a compatible \"(X/Y/Z)\" header state"});
  EXPECT_FALSE(std::filesystem::exists(Path("bad.pnx")));
  EXPECT_EQ(host().progress().begun, 1);
  EXPECT_EQ(host().progress().ended, 1);
  EXPECT_EQ(ProgressPercents().back(), 100);
}

TEST_F(PnxConvertTest, MissingMappingFileStopsAFilteredConversionWithAMessage) {
  const std::string trc = WalkTrc();
  StoreBool("Batch", false);  // the filter is on and MNMPath is "<none>"
  OpenPanel();
  user().ChooseFile(trc);
  PressConvert();
  EXPECT_EQ(Messages(),
            std::vector<std::string>{"ConvertPNX Error: <none>: The file could not be opened"});
  EXPECT_TRUE(Shown(ShownEvent::Kind::kFileDialog).empty());
  EXPECT_FALSE(std::filesystem::exists(Path("walk.pnx")));
  EXPECT_EQ(user().Pending(), 1u);  // the file choice was never asked for
}

TEST_F(PnxConvertTest, WithoutTheFilterNoMappingFileIsNeeded) {
  const std::string trc = WalkTrc();
  Unfiltered();
  StoreString("MNMPath", Path("missing.mnm"));
  OpenPanel();
  user().ChooseFile(trc);
  PressConvert();
  EXPECT_TRUE(std::filesystem::exists(Path("walk.pnx")));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PnxConvertTest, CancelledSourceDialogDoesNothing) {
  Unfiltered();
  OpenPanel();
  user().CancelFileDialog();
  PressConvert();
  EXPECT_EQ(host().progress().begun, 0);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PnxConvertTest, TargetDialogWhenNotNamedAfterTheTrcFile) {
  const std::string trc = WalkTrc();
  Unfiltered();
  StoreBool("TRCName", false);
  StoreString("OutputPath", folder().Path().string());
  std::filesystem::create_directories(Path("out"));
  OpenPanel();
  user().ChooseFile(trc).ChooseFile(Path("out/chosen"));
  PressConvert();
  const std::string pnx = Path("out/chosen.pnx");
  ASSERT_TRUE(std::filesystem::exists(pnx));
  EXPECT_EQ(Lines(ReadBytes(pnx)).at(3), "$Filename   chosen");
  EXPECT_FALSE(std::filesystem::exists(Path("walk.pnx")));
  const auto dialogs = Shown(ShownEvent::Kind::kFileDialog);
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[1].text, "Select Target PNX File...");
  EXPECT_EQ(dialogs[1].caption, "save");
}

TEST_F(PnxConvertTest, PnxThatCannotBeCreatedEndsTheConversionSilently) {
  const std::string trc = WalkTrc();
  std::filesystem::create_directories(Path("walk.pnx"));  // a folder where the file would go
  Unfiltered();
  OpenPanel();
  user().ChooseFile(trc);
  PressConvert();
  EXPECT_TRUE(std::filesystem::is_directory(Path("walk.pnx")));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(host().progress().ended, 1);
  for (const auto& entry : std::filesystem::directory_iterator(folder().Path())) {
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
  }
}

TEST_F(PnxConvertTest, TrcFileNamedLikeItsPnxIsNotReplaced) {
  const std::string trc = WriteTrc("odd.pnx", TrcText(60, 120, 2, 1, kWalk));
  const std::string before = ReadBytes(trc);
  Unfiltered();
  OpenPanel();
  user().ChooseFile(trc);
  PressConvert();
  EXPECT_EQ(ReadBytes(trc), before);
  EXPECT_EQ(Messages(), std::vector<std::string>{"ConvertPNX Error: " + trc +
                                                 ": The PNX file would replace the TRC file"});
}

TEST_F(PnxConvertTest, BatchLogsEachFileAndSkipsTheUnreadableOne) {
  std::filesystem::create_directories(Path("in"));
  std::filesystem::create_directories(Path("out"));
  const std::string a = WriteTrc("in/a.trc", TrcText(60, 120, 2, 1, kWalk));
  const std::string bad = WriteTrc("in/bad.trc", "PathFileType\t4\t(X/Y/Z\r\n");
  const std::string c = WriteTrc("in/c.trc", TrcText(30, 0, 1, 1, {{"M", {"1\t2\t3"}}}));
  Batch(Path("out"));
  OpenPanel();
  user().ChooseFiles({a, bad, c});
  PressConvert();

  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(WithoutNameAndDate(ReadBytes(Path("out/a.pnx"))),
            WithoutNameAndDate(UtilitiesGolden("plain.pnx")));
  EXPECT_FALSE(std::filesystem::exists(Path("out/bad.pnx")));
  EXPECT_TRUE(std::filesystem::exists(Path("out/c.pnx")));
  const std::vector<std::string> log = Lines(ReadBytes(Path("out/ConvertPNXLog.txt")));
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[0], "Vantrel ZARFileIO TRC to PNX Batch Conversion Log");
  EXPECT_EQ(log[1].size(), 24u);
  EXPECT_EQ(log[2], "Processing 3 files...");
  EXPECT_EQ(log[3], "file: " + a + " done.");
  EXPECT_EQ(log[4], bad + ": The file is does not have a compatible \"(X/Y/Z)\" header state");
  EXPECT_EQ(log[5], "file: " + c + " done.");
  EXPECT_EQ(ReadBytes(Path("out/ConvertPNXLog.txt")).substr(log[0].size(), 2), "\r\n");
  EXPECT_EQ(ProgressPercents(), (std::vector<int>{0, 0, 33, 66, 100}));
  EXPECT_EQ(Shown(ShownEvent::Kind::kProgressBegin).at(0).text, "Vantrel ConvertPNX");
  ClosePanel();
  EXPECT_EQ(StoredString("InputPath"), Path("in"));
}

TEST_F(PnxConvertTest, BatchOfOneFileFindsItInItsFolder) {
  std::filesystem::create_directories(Path("in"));
  std::filesystem::create_directories(Path("out"));
  const std::string a = WriteTrc("in/a.trc", TrcText(60, 120, 2, 1, kWalk));
  Batch(Path("out"));
  OpenPanel();
  user().ChooseFile(a);
  PressConvert();
  EXPECT_TRUE(std::filesystem::exists(Path("out/a.pnx")));
  const std::vector<std::string> log = Lines(ReadBytes(Path("out/ConvertPNXLog.txt")));
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[2], "Processing 1 files...");
  EXPECT_EQ(log[3], "file: " + a + " done.");
  ClosePanel();
  EXPECT_EQ(StoredString("InputPath"), Path("in"));
}

TEST_F(PnxConvertTest, CancelDuringABatchKeepsWhatWasWritten) {
  std::filesystem::create_directories(Path("out"));
  std::vector<std::string> sources;
  for (const char* name : {"a.trc", "b.trc", "c.trc", "d.trc"}) {
    sources.push_back(WriteTrc(name, TrcText(60, 120, 2, 1, kWalk)));
  }
  Batch(Path("out"));
  OpenPanel();
  // The conversion lets the host handle its messages once before each file.
  user().ChooseFiles(sources).Idle(2).CancelProgress();
  PressConvert();
  EXPECT_TRUE(std::filesystem::exists(Path("out/a.pnx")));
  EXPECT_TRUE(std::filesystem::exists(Path("out/b.pnx")));
  EXPECT_FALSE(std::filesystem::exists(Path("out/c.pnx")));
  const std::string log = ReadBytes(Path("out/ConvertPNXLog.txt"));
  const std::string last = "file: " + sources[1] + " done.\r\n";
  ASSERT_GE(log.size(), last.size());
  EXPECT_EQ(log.substr(log.size() - last.size()), last);
  EXPECT_EQ(host().progress().ended, 1);
  EXPECT_FALSE(host().progress().active);
}

TEST_F(PnxConvertTest, BatchConvertsTheFirstThousandOfTwelveHundredFiles) {
  std::filesystem::create_directories(Path("in"));
  std::filesystem::create_directories(Path("out"));
  const std::string text = TrcText(30, 0, 1, 1, {{"M", {"1\t2\t3"}}});
  std::vector<std::string> sources;
  for (int i = 0; i < 1200; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "in/f%04d.trc", i);
    sources.push_back(WriteTrc(name, text));
  }
  Batch(Path("out"));
  OpenPanel();
  user().ChooseFiles(sources);
  PressConvert();
  EXPECT_TRUE(std::filesystem::exists(Path("out/f0999.pnx")));
  EXPECT_FALSE(std::filesystem::exists(Path("out/f1000.pnx")));
  std::size_t written = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Path("out"))) {
    if (entry.path().extension() == ".pnx") ++written;
  }
  EXPECT_EQ(written, 1000u);
  const std::vector<std::string> log = Lines(ReadBytes(Path("out/ConvertPNXLog.txt")));
  ASSERT_EQ(log.size(), 1003u);
  EXPECT_EQ(log[2], "Processing 1000 files...");
  EXPECT_EQ(log.back(), "file: " + sources[999] + " done.");
}

TEST_F(PnxConvertTest, BatchLogThatCannotBeCreatedStopsEverything) {
  const std::string a = WalkTrc("a.trc");
  Batch(Path("no/such/folder"));
  OpenPanel();
  user().ChooseFile(a);
  PressConvert();
  EXPECT_EQ(Messages(), std::vector<std::string>{"ConvertPNX Error: Cannot Open Batch Log File."});
  EXPECT_EQ(host().progress().begun, 0);
  EXPECT_FALSE(std::filesystem::exists(Path("a.pnx")));
}

TEST_F(PnxConvertTest, BatchWithTrcNameClearAsksForEveryTarget) {
  std::filesystem::create_directories(Path("out"));
  const std::string a = WalkTrc("a.trc");
  const std::string b = WalkTrc("b.trc");
  Unfiltered();
  StoreBool("TRCName", false);
  StoreString("OutputPath", Path("out"));
  OpenPanel();
  // Checking "Batch File Conversion" shows "Use TRC Filename" checked, but the choice stays.
  user().Tick(kBatch, true, kPage);
  Run();
  EXPECT_EQ(PageControl(kTrcName).checked, 1u);
  EXPECT_FALSE(PageControl(kTrcName).enabled);
  user().ChooseFiles({a, b}).ChooseFile(Path("out/first")).CancelFileDialog();
  PressConvert();
  EXPECT_TRUE(std::filesystem::exists(Path("out/first.pnx")));
  EXPECT_FALSE(std::filesystem::exists(Path("out/b.pnx")));
  const std::vector<std::string> log = Lines(ReadBytes(Path("out/ConvertPNXLog.txt")));
  EXPECT_EQ(log.back(), "file: " + a + " done.");
  EXPECT_EQ(Shown(ShownEvent::Kind::kFileDialog).size(), 3u);
  ClosePanel();
  EXPECT_EQ(StoredBool("TRCName"), 0);
  EXPECT_EQ(StoredBool("Batch"), 1);
}

// Every sample file converts in one batch; the PNX numbers are the numbers of the TRC text in
// Modra's axes.
TEST_F(PnxConvertTest, SampleFilesConvertNumberForNumber) {
  std::vector<std::string> sources;
  std::vector<const TrcSampleFacts*> facts;
  for (const TrcSampleFacts& sample : TrcSamples()) {
    sources.push_back(SamplePath(std::string("trc/") + sample.file));
    facts.push_back(&sample);
  }
  std::filesystem::create_directories(Path("out"));
  Batch(Path("out"));
  OpenPanel();
  // Each batch takes files of one folder; the samples share theirs.
  user().ChooseFiles(sources);
  PressConvert();
  EXPECT_TRUE(Messages().empty());
  const std::string log = ReadBytes(Path("out/ConvertPNXLog.txt"));
  for (std::size_t i = 0; i < sources.size(); ++i) {
    SCOPED_TRACE(sources[i]);
    const std::vector<SplitMarker> markers = SplitTrc(sources[i]);
    ASSERT_EQ(markers.size(), static_cast<std::size_t>(facts[i]->markers));
    std::vector<const SplitMarker*> all;
    for (const SplitMarker& marker : markers) all.push_back(&marker);
    const std::string stem = std::filesystem::path(sources[i]).stem().string();
    // A file with nothing to convert gets its reason in the log and no PNX file.
    EXPECT_EQ(log.find("file: " + sources[i] + " done.") != std::string::npos,
              facts[i]->Convertible());
    if (!facts[i]->Convertible()) {
      EXPECT_NE(log.find(sources[i] + ": The file "), std::string::npos);
      EXPECT_FALSE(std::filesystem::exists(Path("out/" + stem + ".pnx")));
      continue;
    }
    const std::vector<std::string> lines = Lines(ReadBytes(Path("out/" + stem + ".pnx")));
    const auto frames = static_cast<std::size_t>(facts[i]->Frames());
    ASSERT_EQ(lines.size(), 17 + 2 * frames);
    EXPECT_EQ(lines[9], "$NumMarkers " + std::to_string(markers.size()));
    for (std::size_t k = 0; k < frames; ++k) {
      ASSERT_EQ(BlankJoined(lines[17 + 2 * k]),
                PnxFrameTokens(all, facts[i]->start_frame + static_cast<int>(k), k))
          << "frame " << k;
    }
  }
}

}  // namespace
}  // namespace zar::testing
