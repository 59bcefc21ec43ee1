// C3D reading and writing: the real samples, damaged files, and what the writer writes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "exchange/c3d_analog.h"
#include "exchange/c3d_events.h"
#include "exchange/c3d_file.h"
#include "exchange/exchange_messages.h"
#include "exchange_test_support.h"
#include "filelib/file_messages.h"
#include "filelib_test_support.h"

namespace zar {
namespace {

using exchange::C3DFile;
using exchange::MarkerSet;
using testing::ScratchFolder;

std::string C3DSample(const std::string& name) {
  return testing::SamplePath(std::string("c3d/").append(name));
}

// One trial stored by three processor formats, as integers and as reals: the same labels, rate,
// frames and missing samples, and coordinates within half the integer scale factor of the reals
// (the real files of the three processors hold the very same numbers). The second trial's Intel
// and MIPS integer files were cut towards zero by the program that wrote them: they are a whole
// scale factor off in places, the DEC integer file is not.
TEST(C3DSamples, EveryStorageOfATrialGivesTheSameMarkers) {
  struct Trial {
    std::vector<std::string> files;  // integers (Intel, MIPS, DEC), then reals
    double units_off;                // allowed difference of the integer files, in scale factors
  };
  const Trial trials[] = {
      {{"Eb015pi.c3d", "Eb015si.c3d", "Eb015vi.c3d", "Eb015pr.c3d", "Eb015sr.c3d", "Eb015vr.c3d"},
       0.5},
      {{"pc_int.c3d", "sgi_int.c3d", "DEC_INT.C3D", "pc_real.c3d", "sgi_real.c3d", "Dec_real.c3d"},
       1.0}};
  for (const Trial& trial : trials) {
    std::vector<C3DFile> files(trial.files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
      ASSERT_EQ("", files[i].Read(C3DSample(trial.files[i])).message) << trial.files[i];
      EXPECT_EQ(i >= 3, files[i].float_storage) << trial.files[i];
    }
    const MarkerSet& reference = files[3].points;
    ASSERT_GT(reference.NumFrames(), 0);
    for (std::size_t i = 0; i < files.size(); ++i) {
      const MarkerSet& set = files[i].points;
      for (std::size_t m = 0; m < reference.NumMarkers() && m < set.NumMarkers(); ++m) {
        EXPECT_EQ(reference.markers[m].name, set.markers[m].name) << trial.files[i];
      }
      EXPECT_EQ(reference.rate, set.rate) << trial.files[i];
      EXPECT_EQ(reference.units, set.units) << trial.files[i];
      double tolerance = 0.0;
      if (i < 3) tolerance = (i == 2 ? 0.5 : trial.units_off) * files[i].scale * (1 + 1e-9);
      testing::ExpectSameSamples(reference, set, tolerance, trial.files[i]);
    }
  }
}

// Every shared sample reads, or says what is wrong with it.
TEST(C3DSamples, EveryFileReadsOrNamesTheDamage) {
  struct Row {
    const char* file;
    std::string_view message;  // the start of the message; empty for a clean read
    std::size_t points;
    std::int64_t frames;
  };
  const Row rows[] = {
      {"Dance.c3d", "", 40, 499},
      {"golfswing.c3d", "", 29, 514},
      {"Gait.c3d", "", 33, 487},
      {"PiG_Motion3_FF.c3d", "", 97, 293},
      {"sub_labels.c3d", "", 114, 333},
      {"MyCube.c3d", "", 14, 1},
      {"Empty.c3d", exchange::messages::kC3DEmpty, 0, 0},
      {"bad_parameter_section.c3d", exchange::messages::kC3DParameterOverrun, 0, 0},
      {"badParameterOffset.c3d", exchange::messages::kC3DParameterOverlap, 0, 0},
  };
  for (const Row& row : rows) {
    C3DFile file;
    const std::string message = file.Read(C3DSample(row.file)).message;
    if (row.message.empty()) {
      ASSERT_EQ("", message) << row.file;
      EXPECT_EQ(row.points, file.points.NumMarkers()) << row.file;
      EXPECT_EQ(row.frames, file.points.NumFrames()) << row.file;
      for (const exchange::MarkerName& marker : file.points.markers) {
        EXPECT_FALSE(marker.name.empty()) << row.file;
      }
    } else {
      EXPECT_EQ(0U, message.rfind(row.message, 0)) << row.file << ": " << message;
    }
  }
}

TEST(C3DSamples, ParametersLabelsAndRates) {
  C3DFile gait;
  ASSERT_EQ("", gait.Read(C3DSample("Gait.c3d")).message);
  EXPECT_EQ(exchange::C3DProcessor::kDec, gait.processor);
  EXPECT_FALSE(gait.float_storage);
  // Short codes as labels, full names as descriptions.
  EXPECT_FALSE(gait.points.markers[0].description.empty());
  EXPECT_NE(gait.points.markers[0].name, gait.points.markers[0].description);
  const exchange::C3DParameter* used = gait.parameters.Find("point", "used");
  ASSERT_NE(nullptr, used);
  EXPECT_EQ(33.0, used->Number().value_or(0));

  C3DFile dance;
  ASSERT_EQ("", dance.Read(C3DSample("Dance.c3d")).message);
  EXPECT_EQ(65.053345, dance.points.rate);  // the stored float, in its shortest decimal

  C3DFile pig;
  ASSERT_EQ("", pig.Read(C3DSample("PiG_Motion3_FF.c3d")).message);
  EXPECT_EQ(725, pig.points.first_frame);
}

// Parse every prefix of a good file and a file with one header or parameter byte changed: a
// message or a model, never a crash (the sanitizer build checks the memory side).
TEST(C3DReader, DamagedFilesGetAMessage) {
  const std::string bytes = testing::ReadBytes(C3DSample("Eb015pi.c3d"));
  ASSERT_GT(bytes.size(), 5200U);
  ScratchFolder folder;
  for (std::size_t size = 0; size < bytes.size(); size += size < 5200 ? 37 : 4099) {
    C3DFile file;
    const std::string message = file.Read(folder.Write("cut.c3d", bytes.substr(0, size))).message;
    EXPECT_NE("", message) << size;
  }
  struct Change {
    std::size_t at;
    unsigned char value;
    std::string_view message;
  };
  const std::size_t used = bytes.find("USED", 512);
  const std::size_t labels = bytes.find("LABELS", 512);
  const Change changes[] = {
      {0, 0, exchange::messages::kC3DParameterStart},  // parameter block 0
      {1, 0x51, exchange::messages::kC3DKey},
      {512 + 3, 83, exchange::messages::kC3DProcessor},
      {17, 0x7F, exchange::messages::kC3DDataStart},  // data start past the end
      {16, 1, exchange::messages::kC3DDataStart},     // data start in the header
      {7, 0x7F, exchange::messages::kC3DFrameRange},  // first frame after the last
      {9, 0x7F, exchange::messages::kC3DDataShort},   // more frames than the file holds
      {used + 6, 3, exchange::messages::kC3DParameterType},
      {labels + 10, 255, exchange::messages::kC3DParameterOverrun},  // label length
      {labels + 6, 6, exchange::messages::kC3DParameterOverlap},     // link into the values
  };
  for (const Change& change : changes) {
    std::string changed = bytes;
    changed[change.at] = static_cast<char>(change.value);
    C3DFile file;
    const std::string message = file.Read(folder.Write("changed.c3d", changed)).message;
    EXPECT_EQ(0U, message.rfind(change.message, 0)) << change.at << ": " << message;
  }
  C3DFile file;
  EXPECT_EQ(messages::kCannotOpen, file.Read(folder.File("none.c3d")).message);
}

// One trial's analog channels stored six ways (Intel, MIPS and DEC; integers and reals) give the
// same labels, rate and physical values: the integers within half a step of their channel's
// scale of the reals (the real files hold the very values the integer ones were scaled from).
TEST(C3DSamples, EveryStorageOfATrialGivesTheSameAnalogValues) {
  const std::vector<std::string> files = {"Eb015pr.c3d", "Eb015sr.c3d", "Eb015vr.c3d",
                                          "Eb015pi.c3d", "Eb015si.c3d", "Eb015vi.c3d"};
  std::vector<exchange::C3DAnalog> analog(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    C3DFile file;
    ASSERT_EQ("", file.Read(C3DSample(files[i])).message) << files[i];
    ASSERT_EQ("", exchange::ReadC3DAnalog(C3DSample(files[i]), file, analog[i]).message)
        << files[i];
  }
  const exchange::C3DAnalog& reference = analog[0];
  ASSERT_GT(reference.NumChannels(), 0U);
  ASSERT_GT(reference.NumSamples(), 0);
  for (std::size_t i = 1; i < files.size(); ++i) {
    const exchange::C3DAnalog& other = analog[i];
    ASSERT_EQ(reference.NumChannels(), other.NumChannels()) << files[i];
    ASSERT_EQ(reference.NumSamples(), other.NumSamples()) << files[i];
    EXPECT_EQ(reference.rate, other.rate) << files[i];
    double worst = 0.0;
    for (std::size_t c = 0; c < reference.NumChannels(); ++c) {
      EXPECT_EQ(reference.channels[c].label, other.channels[c].label) << files[i];
      const double step = std::abs(other.channels[c].scale * other.gen_scale);
      for (std::int64_t s = 0; s < reference.NumSamples(); ++s) {
        worst = std::max(worst, std::abs(reference.At(s, c) - other.At(s, c)) / step);
      }
    }
    EXPECT_LE(worst, 0.5 + 1e-6) << files[i] << ": off by " << worst << " steps";
  }
}

// The events of a clinical file: twelve gait events with their contexts, labels and times.
TEST(C3DSamples, EventsOfAClinicalFile) {
  C3DFile file;
  ASSERT_EQ("", file.Read(C3DSample("PiG_Motion3_FF.c3d")).message);
  const std::vector<exchange::C3DEvent> events = exchange::C3DEvents(file.parameters);
  ASSERT_EQ(12U, events.size());
  EXPECT_EQ("Left", events[0].context);
  EXPECT_EQ("Foot Strike", events[0].label);
  EXPECT_EQ("The instant the heel strikes the ground", events[0].description);
  EXPECT_NEAR(7.85, events[0].time, 1e-6);
  EXPECT_EQ(786, exchange::C3DEventFrame(events[0].time, file.points.rate));
  EXPECT_EQ("Right", events[11].context);
  EXPECT_EQ("Foot Off", events[11].label);
  for (const exchange::C3DEvent& event : events) {
    const std::int64_t frame = exchange::C3DEventFrame(event.time, file.points.rate);
    EXPECT_GE(frame, file.points.first_frame) << event.label;
    EXPECT_LT(frame, file.points.first_frame + file.points.NumFrames()) << event.label;
  }
}

MarkerSet Generated(std::size_t markers, std::int64_t frames, std::int64_t first) {
  MarkerSet set;
  for (std::size_t m = 0; m < markers; ++m) {
    set.markers.push_back(
        {std::string("M").append(std::to_string(m)),
         m % 2 == 0 ? std::string("Marker number ").append(std::to_string(m)) : ""});
  }
  set.rate = 119.88;
  set.units = LengthUnit::kMetres;
  set.first_frame = first;
  set.SetFrames(frames);
  for (std::int64_t k = 0; k < frames; ++k) {
    for (std::size_t m = 0; m < markers; ++m) {
      if ((k + static_cast<std::int64_t>(m)) % 7 == 3) continue;
      set.At(k, m) = {0.001 * static_cast<double>(k) + 0.25, -1.5 * static_cast<double>(m),
                      1e-3 / 3.0, true};
    }
  }
  return set;
}

// Labels past 255 (LABELS2), descriptions, a fractional rate, missing samples, and frames past
// 65535 (the trial fields) come back as written.
TEST(C3DWriter, WritesWhatTheReaderReadsBack) {
  ScratchFolder folder;
  for (const auto& [markers, frames, first] :
       {std::tuple<std::size_t, std::int64_t, std::int64_t>{300, 40, 5},
        {2, 70000, 1},
        {1, 3, 70000},
        {3, 0, 1}}) {
    const MarkerSet written = Generated(markers, frames, first);
    const std::string path = folder.File("written.c3d");
    ASSERT_EQ("", exchange::WriteC3D(written, path).message);
    C3DFile read;
    ASSERT_EQ("", read.Read(path).message) << markers << " x " << frames;
    EXPECT_TRUE(read.float_storage);
    EXPECT_EQ(119.88, read.points.rate);
    EXPECT_EQ(LengthUnit::kMetres, read.points.units);
    for (std::size_t m = 0; m < markers; ++m) {
      EXPECT_EQ(written.markers[m].name, read.points.markers[m].name);
      EXPECT_EQ(written.markers[m].description, read.points.markers[m].description);
    }
    testing::ExpectSameSamples(written, read.points, 0.0, std::to_string(frames) + " frames");
  }
  EXPECT_EQ(messages::kCannotOpen,
            exchange::WriteC3D(Generated(1, 1, 1), folder.File("no/x.c3d")).message);
  EXPECT_EQ(1U, folder.Count());
}

}  // namespace
}  // namespace zar
