#ifndef ZAR_IMPORT_TRC_TRC_CLOUD_H_
#define ZAR_IMPORT_TRC_TRC_CLOUD_H_

// Turning the markers of a TRC model into keyed scene nodes: a new sphere or point per marker
// (optionally under a "TRCCloud" dummy), or the matching nodes of the selection.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "filelib/trc_file.h"
#include "sdk/modra_host.h"

namespace zar {

// What the cloud is built from: the importer's options as they stand when the build starts.
struct TRCCloudSettings {
  bool apply = false;          // key existing nodes of the selection named like the markers
  bool geometry = true;        // new marker objects are spheres (else points)
  bool selected_only = false;  // apply mode: markers without a matching node are passed over
  bool root_node = false;      // gather the keyed nodes under a "TRCCloud" dummy
  bool range = false;          // import start_frame to end_frame only (else every frame)
  bool fps = false;            // set the scene's frame rate to the file's data rate
  std::int32_t start_frame = 1;
  std::int32_t end_frame = 1;
  std::int32_t offset = 0;  // frames added to every key time
  float size = 1.0f;        // size of new marker objects and of the dummy
  double scale_factor = 1.0;
};

// One marker's samples as they are keyed, in sample order: where a sample is present, the host
// point (x, −z, y) × scale_factor of its file position (x, y, z) in single precision.
struct TRCKeyPoints {
  std::vector<modra::Point3> points;
  std::vector<bool> present;

  // Appends `sample` (in scene units) as keyed with `scale_factor`.
  void Add(const TRCSample& sample, double scale_factor);
  std::size_t Size() const { return present.size(); }
};

// How a build ended.
enum class TRCCloudOutcome {
  kDone,                  // every marker processed; the animation range is set
  kCancelled,             // the user cancelled the progress display between two markers
  kNoPositionController,  // a target node has no position controller
  kControllerRefused,     // a position controller answered ControllerCheck with 0
  kCannotCreate,          // the host made no object or node for a marker or the dummy
};

// The wire colour of new marker nodes (red 204, green 51, blue 51; red in the lowest byte).
inline constexpr std::uint32_t kMarkerWireColour = 0x3333CC;

// Builds the cloud for every marker of `model` (already in scene units) and keys it. Messages
// are left to the caller. Nodes made before an early stop stay in the scene with their keys.
//
// Keys: frame j of the n imported frames (j from 0) is keyed at
//   (j + offset + start) × GetTicksPerFrame()
// from sample (j + start) − model.StartFrame(), where start is settings.start_frame. A sample
// that is missing (occluded, or beyond the marker's samples) sets no key, so the controller
// interpolates across the gap; the keys of the whole window are still removed first. A file
// position (x, y, z) is keyed as the host point (x, −z, y) × scale_factor in single precision.
//
// On kDone the animation range runs from the first keyed frame to the last keyed frame (at
// least one frame long); it is left alone when nothing was keyed.
//
// `done`, when given, is called with each marker's index once the build has finished with that
// marker (keyed or passed over), so that the caller can release its samples while the build goes
// on: the samples of a marker are not read again after that.
using TRCMarkerDone = std::function<void(std::int32_t index)>;
TRCCloudOutcome BuildTRCCloud(modra::HostInterface& host, const TRCFile& model,
                              const TRCCloudSettings& settings, const TRCMarkerDone& done = {});

// The same from key points made as the file was read (`points[i]` for marker i of `model`, made
// with settings.scale_factor; the markers' own samples are not read), each list emptied once
// its marker is done, so that the points and the keys made of them are not held together.
TRCCloudOutcome BuildTRCCloud(modra::HostInterface& host, const TRCFile& model,
                              std::vector<TRCKeyPoints>& points, const TRCCloudSettings& settings);

}  // namespace zar

#endif  // ZAR_IMPORT_TRC_TRC_CLOUD_H_
