#ifndef ZAR_IMPORT_HTR_HTR_IMPORT_JOB_H_
#define ZAR_IMPORT_HTR_HTR_IMPORT_JOB_H_

// What the skeleton building and the keying of one HTR import work with: the host, the user's
// choices as the options dialog left them, the file's model and the import's counters.

#include <cstdint>

#include "filelib/htr_file.h"
#include "sdk/modra_host.h"

namespace zar {

// The options of one import (the options record after its dialog, or as held when the host asks
// for no prompts).
struct HTRImportChoices {
  bool apply = false;                   // false: create a new skeleton; true: key the selected one
  bool animate = true;                  // key the per-frame animation
  bool endEffectors = false;            // when creating, add an effector bone below every leaf
  bool keyBasePosition = false;         // key the base position
  bool range = false;                   // false: all frames; true: startFrame to endFrame
  bool setFrameRate = false;            // set the scene's frame rate to the file's
  std::int32_t startFrame = 1;          // first frame to key (a frame number of the file)
  std::int32_t endFrame = 1;            // last frame to key
  std::int32_t offset = 0;              // frames by which the keys are shifted later in time
  std::int32_t rotationController = 0;  // 0: keep each node's controller; 1: TCB
  float size = 1.0f;                    // thickness of created bones, half-size of the dummy
  double scaleFactor = 1.0;             // scales created bones and every keyed translation
};

// One import in progress.
struct HTRImportJob {
  modra::HostInterface* host = nullptr;
  HTRImportChoices choices;
  HTRFile* model = nullptr;
  std::int32_t frameCount = 0;     // frames to key per node
  std::int32_t keyedSegments = 0;  // nodes keyed so far (drives the progress display)
};

}  // namespace zar

#endif  // ZAR_IMPORT_HTR_HTR_IMPORT_JOB_H_
