#ifndef ZAR_VIEWER_PAGE_WRITER_H_
#define ZAR_VIEWER_PAGE_WRITER_H_

// Writes the viewer page: one HTML file that plays its inputs with no network, the positions
// embedded as little-endian float32 in base64 (a third more than their binary size), the rest of
// each input (names, sticks, exact rate, first frame, units, up axis) as JSON.

#include <span>
#include <string>

#include "exchange/file_outcome.h"
#include "viewer/page_motion.h"

namespace zar::viewer {

// Writes the page that plays `motions` together, completely or not at all (an existing file at
// `path` is replaced only once the page is complete).
exchange::FileOutcome WritePage(std::span<const PageMotion> motions, const std::string& path);

}  // namespace zar::viewer

#endif  // ZAR_VIEWER_PAGE_WRITER_H_
