// What the readers and writers say of a fault, which the tool and the Python package take from
// the outcome alone: its kind, the system's reason and the line the reader stopped at.

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "exchange/bvh_reader.h"
#include "exchange/bvh_writer.h"
#include "exchange/c3d_file.h"
#include "exchange/file_outcome.h"
#include "exchange/htr_skeleton_adapter.h"
#include "exchange/skeleton_formats.h"
#include "exchange/trc_adapter.h"
#include "exchange/trc_writer.h"
#include "filelib/file_messages.h"
#include "filelib/htr_file.h"
#include "filelib_test_support.h"

namespace zar {
namespace {

using exchange::FileFault;
using exchange::FileOutcome;
using testing::ScratchFolder;

TEST(FileOutcome, ReadersGiveTheKindTheReasonAndTheLine) {
  ScratchFolder folder;
  exchange::MarkerSet set;
  const FileOutcome trc = exchange::ReadTRC(folder.Write("bad.trc", "junk\n"), set);
  EXPECT_EQ(FileFault::kBadFormat, trc.fault);
  EXPECT_EQ(messages::kTrcHeaderState, trc.message);
  EXPECT_EQ(1, trc.line);
  EXPECT_FALSE(trc.line_named);

  exchange::Skeleton skeleton;
  const FileOutcome htr =
      exchange::ReadHTR(folder.Write("bad.htr", "[Header]\nFileVersion 2\n"), skeleton);
  EXPECT_EQ(FileFault::kBadFormat, htr.fault);
  EXPECT_EQ(2, htr.line);

  // A BVH message names its line itself.
  const FileOutcome bvh =
      exchange::ReadBVH(folder.Write("bad.bvh", "HIERARCHY\nROOT hips\n{\n OFFSET 0 0 x\n"),
                        skeleton, LengthUnit::kCentimetres);
  EXPECT_EQ(FileFault::kBadFormat, bvh.fault);
  EXPECT_EQ(4, bvh.line);
  EXPECT_TRUE(bvh.line_named);

  // What cannot be opened carries the system's reason, whichever reader opens it.
  exchange::C3DFile c3d;
  const FileOutcome folder_read = c3d.Read(folder.File(""));
  EXPECT_EQ(FileFault::kCannotRead, folder_read.fault);
  EXPECT_EQ(messages::kCannotOpen, folder_read.message);
  EXPECT_EQ(EISDIR, folder_read.error);
  const FileOutcome missing = exchange::ReadTRC(folder.File("none.trc"), set);
  EXPECT_EQ(FileFault::kCannotRead, missing.fault);
  EXPECT_EQ(ENOENT, missing.error);
  EXPECT_EQ(0, missing.line);
}

TEST(FileOutcome, WritersGiveTheKindAndTheSystemsReason) {
  ScratchFolder folder;
  exchange::MarkerSet set;
  set.markers = {{"A", ""}};
  set.SetFrames(20000);
  exchange::Skeleton skeleton;
  skeleton.joints.resize(2);
  skeleton.joints[0].name = "root";
  skeleton.joints[1].name = "other";
  skeleton.rate = 60.0;
  skeleton.SetFrames(20000);

  // Files may not grow past 4 KiB, the way a full disk refuses a write: the writers through
  // exchange's own files and through the file library's HTR writer say so with the reason.
  const auto too_large = [](const FileOutcome& outcome) {
    return outcome.fault == FileFault::kCannotWrite && outcome.error == EFBIG &&
           outcome.message == messages::kCannotWrite;
  };
  const exchange::SkeletonFormat& htr = *exchange::FindSkeletonFormat("x.htr");
  EXPECT_EQ(0, testing::WithFileSizeLimit(4096, [&] {
              return too_large(exchange::WriteTRC(set, folder.File("x.trc"))) &&
                             too_large(htr.write(skeleton, folder.File("x.htr")))
                         ? 0
                         : 1;
            }));
  EXPECT_EQ(0U, folder.Count());

  const FileOutcome no_folder = exchange::WriteTRC(set, folder.File("no/x.trc"));
  EXPECT_EQ(FileFault::kCannotWrite, no_folder.fault);
  EXPECT_EQ(messages::kCannotOpen, no_folder.message);
  EXPECT_EQ(ENOENT, no_folder.error);

  // What the format cannot hold is refused before any file is opened, without a reason.
  const FileOutcome two_roots = exchange::WriteBVH(skeleton, folder.File("x.bvh"));
  EXPECT_EQ(FileFault::kNotWritable, two_roots.fault);
  EXPECT_EQ(0, two_roots.error);
  EXPECT_EQ(0U, folder.Count());
}

}  // namespace
}  // namespace zar
