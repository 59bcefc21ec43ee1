// MNM mapping files: reading, writing and looking names up.

#include "utilities/mnm_mapping.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/filelib_test_support.h"

namespace zar {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;

std::vector<std::pair<std::string, std::string>> Pairs(const MappingList& list) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const MappingEntry& entry : list.Entries()) {
    pairs.emplace_back(entry.pnx_name, entry.source_name);
    EXPECT_EQ(entry.node_handle, 0u);
  }
  return pairs;
}

TEST(MnmMapping, ReadsLinesOfBlankOrTabSeparatedNames) {
  struct Case {
    const char* text;
    std::vector<std::pair<std::string, std::string>> expected;
  };
  // 1023 characters (the longest line read) and 1024 characters.
  const std::string long_line = "P" + std::string(511, ' ') + std::string(511, 's');
  const std::string too_long_line = "P" + std::string(512, ' ') + std::string(511, 's');
  const std::string name511(511, 'n');
  const std::string name512(512, 'n');
  const std::string line511 = "P " + name511;
  const std::string line512 = "P " + name512;
  const Case cases[] = {
      {"LFHD\tMarker1\t\r\nLBHD\tMarker2\t\r\n", {{"LFHD", "Marker1"}, {"LBHD", "Marker2"}}},
      {"LFHD\tMarker1\t\nLBHD\tMarker2", {{"LFHD", "Marker1"}, {"LBHD", "Marker2"}}},
      {"  LFHD   Marker1 extra words\n", {{"LFHD", "Marker1"}}},
      {"\t\tC7\t\t\tBack\r\n", {{"C7", "Back"}}},
      {"OnlyOne\n\n \t \nTwo\tNames\n", {{"Two", "Names"}}},
      {"", {}},
      {"\xEF\xBB\xBFLFHD\tMarker1\t\r\n", {{"LFHD", "Marker1"}}},
      {long_line.c_str(), {{"P", std::string(511, 's')}}},
      {too_long_line.c_str(), {}},
      {line511.c_str(), {{"P", name511}}},
      {line512.c_str(), {}},
  };
  for (const Case& c : cases) {
    MappingList list;
    list.LoadText(c.text);
    EXPECT_EQ(Pairs(list), c.expected) << c.text;
  }
}

TEST(MnmMapping, ZeroByteEndsTheLine) {
  MappingList list;
  list.LoadText(std::string_view("A\0B\tC\nD\tE\n", 10));
  EXPECT_EQ(Pairs(list), (std::vector<std::pair<std::string, std::string>>{{"D", "E"}}));
}

TEST(MnmMapping, OverlongLineAddsNothingAndTheNextLineStillCounts) {
  ScratchFolder folder;
  const std::string path =
      folder.Write("long.mnm", "P\t" + std::string(3000, 'x') + "\tQ\r\nRFHD\tHead\t\r\n");
  MappingList list;
  ASSERT_TRUE(list.Load(path));
  EXPECT_EQ(Pairs(list), (std::vector<std::pair<std::string, std::string>>{{"RFHD", "Head"}}));
}

TEST(MnmMapping, LookupIsExactAndTakesTheFirstEntry) {
  MappingList list;
  list.LoadText("HEAD\tm1\nHEAD\tm2\nSECOND\tm1\n");
  std::string name = "m1";
  EXPECT_TRUE(list.Lookup(name));
  EXPECT_EQ(name, "HEAD");
  name = "m2";
  EXPECT_TRUE(list.Lookup(name));
  EXPECT_EQ(name, "HEAD");
  for (const char* other : {"M1", "m", "m1 ", ""}) {
    name = other;
    EXPECT_FALSE(list.Lookup(name)) << other;
    EXPECT_EQ(name, other);
  }
}

TEST(MnmMapping, LoadAppendsSoEarlierEntriesWin) {
  ScratchFolder folder;
  const std::string path = folder.Write("a.mnm", "NEW\tmarker\t\r\n");
  MappingList list;
  list.Add("OLD", "marker", 7);
  ASSERT_TRUE(list.Load(path));
  ASSERT_TRUE(list.Load(path));
  EXPECT_EQ(list.Size(), 3u);
  std::string name = "marker";
  EXPECT_TRUE(list.Lookup(name));
  EXPECT_EQ(name, "OLD");
  EXPECT_EQ(list.Entries()[1].pnx_name, "NEW");
  EXPECT_EQ(list.Entries()[2].pnx_name, "NEW");
}

TEST(MnmMapping, LoadFailsOnlyWhenTheFileCannotBeOpened) {
  ScratchFolder folder;
  MappingList list;
  list.Add("A", "a", 1);
  EXPECT_FALSE(list.Load(folder.File("missing.mnm")));
  EXPECT_FALSE(list.Load(folder.Path().string()));
  EXPECT_FALSE(list.Load("<none>"));
  EXPECT_EQ(list.Size(), 1u);
  EXPECT_TRUE(list.Load(folder.Write("empty.mnm", "")));
  EXPECT_EQ(list.Size(), 1u);
}

TEST(MnmMapping, PopAnswersHandlesFromTheEnd) {
  MappingList list;
  EXPECT_EQ(list.Pop(), 0u);
  list.Add("A", "a", 11);
  list.Add("B", "b", 22);
  EXPECT_EQ(list.Pop(), 22u);
  EXPECT_EQ(list.Pop(), 11u);
  EXPECT_EQ(list.Pop(), 0u);
  EXPECT_TRUE(list.Empty());
}

TEST(MnmMapping, SaveWritesTabsAndCrLfAndReplacesTheFile) {
  ScratchFolder folder;
  const std::string path = folder.Write("out.mnm", "old contents that are longer than the new\n");
  MappingList list;
  list.Add("LFHD", "Marker1", 5);
  list.Add("LBHD", "two words", 6);
  ASSERT_TRUE(list.Save(path));
  EXPECT_EQ(ReadBytes(path), "LFHD\tMarker1\t\r\nLBHD\ttwo words\t\r\n");
  // A name with a blank is written whole but reads back as its first word.
  MappingList back;
  ASSERT_TRUE(back.Load(path));
  EXPECT_EQ(Pairs(back), (std::vector<std::pair<std::string, std::string>>{{"LFHD", "Marker1"},
                                                                           {"LBHD", "two"}}));
  EXPECT_EQ(folder.Count(), 1u);
}

TEST(MnmMapping, SaveOfAnEmptyListWritesAnEmptyFile) {
  ScratchFolder folder;
  const std::string path = folder.File("empty.mnm");
  ASSERT_TRUE(MappingList().Save(path));
  EXPECT_EQ(ReadBytes(path), "");
}

TEST(MnmMapping, SaveRefusesWhatCannotBeWrittenOrReadBack) {
  ScratchFolder folder;
  MappingList list;
  list.Add("A", "a", 0);
  EXPECT_FALSE(list.Save(folder.File("no/such/folder.mnm")));
  EXPECT_FALSE(list.Save(folder.Path().string()));
  // A name the reader would refuse is not written; an existing file stays as it was.
  const std::string path = folder.Write("keep.mnm", "X\tx\t\r\n");
  list.Add("B", std::string(MappingList::kMaxNameLength + 1, 'b'), 0);
  EXPECT_FALSE(list.Save(path));
  EXPECT_EQ(ReadBytes(path), "X\tx\t\r\n");
  list.Pop();
  list.Add("B", std::string(MappingList::kMaxNameLength, 'b'), 0);
  ASSERT_TRUE(list.Save(path));
  MappingList back;
  ASSERT_TRUE(back.Load(path));
  EXPECT_EQ(back.Entries().at(1).source_name.size(), MappingList::kMaxNameLength);
}

}  // namespace
// Names that sit at the edges of what the reader takes come back from a written file unchanged.
TEST(MnmMapping, WrittenFileReadsBackTheSameEntries) {
  const std::string bom = "\xEF\xBB\xBF";
  const std::string longest(MappingList::kMaxNameLength, 'n');
  // The second line's name starts with the bytes of a byte-order mark; the first line has no
  // entry, so that name is the first one written. The last line is as long as a line may be.
  MappingList list;
  list.LoadText("header\n" + bom + "LFHD\tm1\n" + longest + " " + longest + "\n");
  ASSERT_EQ(list.Size(), 2u);
  EXPECT_EQ(list.Entries()[0].pnx_name, bom + "LFHD");

  ScratchFolder folder;
  const std::string path = folder.File("round.mnm");
  ASSERT_TRUE(list.Save(path));
  MappingList back;
  ASSERT_TRUE(back.Load(path));
  EXPECT_EQ(Pairs(back), Pairs(list));
  MappingList fromText;
  fromText.LoadText(list.Text());
  EXPECT_EQ(Pairs(fromText), Pairs(list));
  // A file that starts with an ordinary name gets no mark.
  MappingList plain;
  plain.Add("A", "a", 0);
  EXPECT_EQ(plain.Text(), "A\ta\t\r\n");
}

}  // namespace zar
