#ifndef ZAR_CLI_FRAME_RATE_NOTE_H_
#define ZAR_CLI_FRAME_RATE_NOTE_H_

// After an import: the warnings a user needs when the file's frame rate and the scene's differ
// (the motion then plays faster or slower than it was recorded) or when the scene, which counts
// whole ticks per frame, can only approximate the file's rate.

#include <ostream>
#include <string>

namespace zar::cli {

// The data rate an HTR or TRC file declares in its header, 0 when it cannot be read.
int HtrFileRate(const std::string& path);
int TrcFileRate(const std::string& path);

// Writes the warnings about `file` (`fileRate` frames a second, 0 when unknown) imported into
// a scene that runs at `sceneRate` frames a second.
void WarnAboutFrameRates(std::ostream& out, const std::string& file, int fileRate, int sceneRate);

}  // namespace zar::cli

#endif  // ZAR_CLI_FRAME_RATE_NOTE_H_
