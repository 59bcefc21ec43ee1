#ifndef ZAR_UTILITIES_MNM_CREATOR_H_
#define ZAR_UTILITIES_MNM_CREATOR_H_

// The MNM creator: walks the user through the standard marker set in a modeless dialog, lets
// the user pick the scene node of each marker in the viewports, and saves the picks as an MNM
// file. While it waits for a pick the host keeps handling its messages, so the viewports and
// the dialog's buttons stay usable.

#include <cstdint>

#include "sdk/modra_sdk.h"

namespace zar {

class ConvertPNX;

// Private message that shows the creator dialog the marker to pick (lParam: its description).
inline constexpr std::uint32_t kShowMarkerMessage = 0x401;

// Colour of a node that has been picked (blue) and of a node whose pick was undone (red, the
// colour the TRC importer gives marker nodes). Windows colour values: red in the low byte.
inline constexpr std::uint32_t kPickedNodeColour = 0xCC1919;
inline constexpr std::uint32_t kMarkerNodeColour = 0x3333CC;

// Runs the creator. True when an MNM file was written; the converter's MNMPath then names it.
// Every pick is undone (entries removed, node colours reset) whatever the outcome.
bool CreateMapping(ConvertPNX& converter, modra::HostInterface* host);

// The creator dialog's procedure (template 127).
std::intptr_t CreatorDialogProc(modra::WindowHandle dialog, std::uint32_t message,
                                std::uintptr_t w_param, std::intptr_t l_param);

}  // namespace zar

#endif  // ZAR_UTILITIES_MNM_CREATOR_H_
