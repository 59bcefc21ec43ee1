// Files with nothing to convert fail in every command instead of giving an empty output that
// looks like a success; a file short of its declared frames converts with a warning; tiny files
// that declare huge counts, and huge files, end with a message instead of unbounded output or an
// abort.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "exchange/c3d_file.h"
#include "exchange/marker_set.h"
#include "filelib_test_support.h"
#include "plugin_test_support.h"

namespace zar {
namespace {

namespace fs = std::filesystem;
using testing::Quoted;
using testing::ScratchFolder;

const std::string kTool = std::string(ZAR_BINARY_DIR) + "/cli/zarfileio";

// Runs the tool with `arguments` (a shell text) in `folder`, standard error with its output. A
// run that does not end in 60 seconds gets status 124; `memory_kb` bounds the address space of
// the run so that a file asking for gigabytes cannot take them from the machine.
// The address sanitizer reserves terabytes of address space, which no bound allows: in its build
// the runs go unbounded (the release build's run of these tests keeps the bound).
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kBoundedRuns = false;
#else
constexpr bool kBoundedRuns = true;
#endif

testing::RunResult Tool(const ScratchFolder& folder, const std::string& arguments,
                        long memory_kb = 4L << 20) {
  const std::string bound =
      kBoundedRuns ? " && ulimit -v " + std::to_string(memory_kb) : std::string();
  return testing::Run("cd " + Quoted(folder.Path().string()) + bound +
                      " && ZARFILEIO_REGISTRY=registry.json timeout 60 " + Quoted(kTool) + " " +
                      arguments + " 2>&1");
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A TRC file of `names` declaring `declared` frames, with `rows` data lines.
std::string Trc(const std::vector<std::string>& names, int declared, int rows) {
  std::string text =
      "PathFileType\t4\t(X/Y/Z)\tx.trc\n"
      "DataRate\tCameraRate\tNumFrames\tNumMarkers\tUnits\tOrigDataRate\tOrigDataStartFrame\t"
      "OrigNumFrames\n60\t60\t" +
      std::to_string(declared) + "\t" + std::to_string(names.size()) + "\tmm\t60\t1\t" +
      std::to_string(declared) + "\nFrame#\tTime";
  for (const std::string& name : names) text += "\t" + name + "\t\t";
  text += "\n\t";
  for (std::size_t m = 1; m <= names.size(); ++m) {
    const std::string n = std::to_string(m);
    text += "\tX" + n + "\tY" + n + "\tZ" + n;
  }
  text += "\n\n";
  for (int k = 0; k < rows; ++k) {
    text += std::to_string(k + 1) + "\t" + std::to_string(k / 60.0);
    for (std::size_t m = 0; m < names.size(); ++m) text += "\t1.5\t2.5\t" + std::to_string(k);
    text += "\n";
  }
  return text;
}

// Every command that reads a TRC file, over the files with nothing to convert (status 1, the
// reason, no output) and over one with fewer data lines than it declares (status 0, a warning
// naming both counts, the output written).
TEST(CliEmptyInput, EveryCommandFailsAFileWithNothingToConvert) {
  const struct {
    std::string name;
    std::string text;
    std::string said;
  } files[] = {
      {"empty", "", "The file is empty"},
      {"header", Trc({"A"}, 3, 0).substr(0, Trc({"A"}, 3, 0).find("60\t60")),
       "The file ends before its header is complete"},
      {"unnamed", Trc({"Unnamed1", "Unnamed2"}, 2, 2),
       "The file holds no markers but those whose names begin with \"Unnamed\""},
      {"nodata", Trc({"A", "B"}, 4, 0), "The file holds no frames"},
      {"short", Trc({"A", "B"}, 5, 2), "The file holds 2 of the 5 frames its header declares"},
  };
  // Each command on in.trc with the output it would write (none for the ones that only read).
  const struct {
    std::string command;
    std::string output;
  } commands[] = {
      {"convert in.trc out.csv", "out.csv"},
      {"convert in.trc out.c3d", "out.c3d"},
      {"convert in.trc out.glb", "out.glb"},
      {"convert in.trc out.trc", "out.trc"},
      {"view in.trc -o out.html", "out.html"},
      {"pnx convert in.trc --no-filter --quiet", "in.pnx"},
      {"pnx convert in.trc --no-filter --quiet --batch --out pnx", "pnx/in.pnx"},
      {"trc info in.trc", ""},
      {"trc check in.trc", ""},
  };
  for (const auto& file : files) {
    for (const auto& command : commands) {
      ScratchFolder folder;
      folder.Write("in.trc", file.text);
      const std::string& line = command.command;
      const testing::RunResult run = Tool(folder, line);
      const bool converts = file.name == "short";
      SCOPED_TRACE(file.name + ": " + line + "\n" + run.output);
      EXPECT_EQ(converts ? 0 : 1, run.status);
      EXPECT_TRUE(Has(run.output, file.said));
      if (!command.output.empty()) {
        EXPECT_EQ(converts, fs::exists(folder.File(command.output)));
      }
      if (Has(line, "--batch")) {
        EXPECT_TRUE(Has(run.output, converts ? "1 converted, 0 failed" : "0 converted, 1 failed"));
        // The log has the file's line in the form of a read error's.
        std::ifstream log(folder.File("pnx/ConvertPNXLog.txt"), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(log)),
                               std::istreambuf_iterator<char>());
        EXPECT_TRUE(Has(text, folder.File("in.trc") + ": " + file.said)) << text;
        EXPECT_EQ(converts, Has(text, "file: " + folder.File("in.trc") + " done.\r\n")) << text;
      }
    }
  }
}

// A batch on two processes hands on each file's lines of the log (a failure, a warning before
// "done") and says what came of each file, as one process does.
TEST(CliEmptyInput, ABatchOnSeveralProcessesCountsTheFailedFiles) {
  ScratchFolder folder;
  fs::create_directories(folder.File("in"));
  folder.Write("in/a.trc", "");
  folder.Write("in/b.trc", Trc({"A"}, 4, 3));
  folder.Write("in/c.trc", Trc({"A"}, 3, 3));
  folder.Write("in/d.trc", Trc({"Unnamed7"}, 3, 3));
  const testing::RunResult run =
      Tool(folder,
           "pnx convert in/a.trc in/b.trc in/c.trc in/d.trc --no-filter --quiet --jobs 2 "
           "--out pnx");
  EXPECT_EQ(1, run.status) << run.output;
  EXPECT_TRUE(Has(run.output, "2 converted, 2 failed:")) << run.output;
  EXPECT_TRUE(Has(run.output, "a.trc: The file is empty")) << run.output;
  EXPECT_TRUE(Has(run.output, "warning: " + folder.File("in/b.trc") +
                                  ": The file holds 3 of the 4 frames its header declares"))
      << run.output;
  EXPECT_FALSE(fs::exists(folder.File("pnx/a.pnx")));
  EXPECT_TRUE(fs::exists(folder.File("pnx/b.pnx")));
  EXPECT_TRUE(fs::exists(folder.File("pnx/c.pnx")));
  EXPECT_FALSE(fs::exists(folder.File("pnx/d.pnx")));
}

// A C3D file of `markers` points and 70000 frames written by our writer (past 65535, so that
// the range is kept in the trial fields), whose TRIAL:ACTUAL_END_FIELD then says `end_field`.
std::string C3DWithEndField(const ScratchFolder& folder, const std::string& name,
                            std::size_t markers, std::uint32_t end_field) {
  exchange::MarkerSet set;
  for (std::size_t m = 0; m < markers; ++m)
    set.markers.push_back({std::string("M").append(std::to_string(m)), ""});
  set.SetFrames(70000);
  const std::string path = folder.File(name);
  EXPECT_EQ("", exchange::WriteC3D(set, path).message);
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::size_t at = bytes.find("ACTUAL_END_FIELD");
  EXPECT_NE(std::string::npos, at);
  // After the name: the offset to the next parameter (2 bytes), the type (1), the number of
  // dimensions (1) and the one dimension (1), then the two words, low first.
  const unsigned char words[4] = {
      static_cast<unsigned char>(end_field), static_cast<unsigned char>(end_field >> 8),
      static_cast<unsigned char>(end_field >> 16), static_cast<unsigned char>(end_field >> 24)};
  file.seekp(static_cast<std::streamoff>(at + 16 + 5));
  file.write(reinterpret_cast<const char*>(words), 4);
  return path;
}

// Files of a few bytes that declare billions of frames of nothing fail at once, with nothing
// written, instead of writing gigabytes.
TEST(CliEmptyInput, TinyFilesThatDeclareHugeCountsWriteNothing) {
  ScratchFolder folder;
  folder.Write("x.htr",
               "[Header]\nFileType htr\nDataType HTRS\nFileVersion 1\nNumSegments 0\n"
               "NumFrames 2147483647\nDataFrameRate 60\n[EndOfFile]\n");
  C3DWithEndField(folder, "none.c3d", 0, 2147483647U);
  const struct {
    std::string command;
    std::string output;
    std::string said;
  } rows[] = {
      {"convert x.htr out.csv", "out.csv", "The file holds no segments"},
      {"convert x.htr out.glb", "out.glb", "The file holds no segments"},
      {"convert x.htr out.htr", "out.htr", "The file holds no segments"},
      {"htr check x.htr", "", "The file holds no segments"},
      {"c3d check none.c3d", "", "The file holds no markers"},
      {"c3d info none.c3d", "", "The file holds no markers"},
      {"convert none.c3d out.csv", "out.csv", "The file holds no markers"},
      {"convert none.c3d out.trc", "out.trc", "The file holds no markers"},
  };
  for (const auto& row : rows) {
    const testing::RunResult run = Tool(folder, row.command);
    EXPECT_EQ(1, run.status) << row.command << "\n" << run.output;
    EXPECT_TRUE(Has(run.output, row.said)) << row.command << "\n" << run.output;
    if (!row.output.empty()) {
      EXPECT_FALSE(fs::exists(folder.File(row.output))) << row.command;
    }
  }
  // The reader itself holds no frames of nothing, whatever the trial fields say.
  exchange::C3DFile file;
  ASSERT_EQ("", file.Read(folder.File("none.c3d")).message);
  const exchange::C3DParameter* field = file.parameters.Find("TRIAL", "ACTUAL_END_FIELD");
  ASSERT_NE(nullptr, field);
  EXPECT_EQ(0xFFFFU, field->Word(0).value_or(0));
  EXPECT_EQ(0x7FFFU, field->Word(1).value_or(0));
  EXPECT_EQ(0, file.points.NumFrames());
}

// A file of one line of 100 GB (sparse: it takes no disk) stops its reader at the line bound
// instead of growing until memory runs out; the message names the line.
TEST(CliEmptyInput, AFileOfOneHugeLineStopsAtTheLineBound) {
  ScratchFolder folder;
  for (const char* name : {"long.htr", "long.trc", "long.mnm"}) {
    folder.Write(name, "");
    fs::resize_file(folder.File(name), std::uintmax_t{100} << 30);
  }
  folder.Write("a.trc", Trc({"A"}, 2, 2));
  const struct {
    std::string command;
    std::string said;
  } rows[] = {
      {"htr check long.htr", "long.htr: The file has a line longer than 64 MiB (line 1)"},
      {"trc check long.trc", "long.trc: The file has a line longer than 64 MiB (line 1)"},
      {"convert long.trc out.csv", "long.trc: The file has a line longer than 64 MiB"},
      {"pnx convert a.trc --mnm long.mnm --quiet", "long.mnm: The file could not be opened"},
  };
  for (const auto& row : rows) {
    const testing::RunResult run = Tool(folder, row.command);
    EXPECT_EQ(1, run.status) << row.command << "\n" << run.output;
    EXPECT_TRUE(Has(run.output, row.said)) << row.command << "\n" << run.output;
  }
}

// A sparse C3D file whose header and data section allow three billion frames asks for more
// memory than there is: the command ends with status 1 and says the file is too large to read.
TEST(CliEmptyInput, RunningOutOfMemoryIsAFileProblem) {
  // Running out needs the bound, and the sanitizer's allocator stops the process instead.
  if (!kBoundedRuns) GTEST_SKIP() << "no address-space bound in the sanitizer build";
  ScratchFolder folder;
  const std::string path = C3DWithEndField(folder, "big.c3d", 2, 3000000000U);
  // As written, the data ends long before the last frame the trial fields now give.
  exchange::C3DFile small;
  EXPECT_TRUE(Has(small.Read(path).message, "(70000 of 3000000000 frames)"));
  fs::resize_file(path, std::uintmax_t{100} << 30);
  for (const char* command : {"c3d check big.c3d", "convert big.c3d out.trc"}) {
    const testing::RunResult run = Tool(folder, command, 2L << 20);
    EXPECT_EQ(1, run.status) << command << "\n" << run.output;
    EXPECT_TRUE(Has(run.output, "big.c3d: too large to read (out of memory)")) << command << "\n"
                                                                               << run.output;
  }
}

}  // namespace
}  // namespace zar
