#ifndef ZAR_SDK_MODRA_SDK_H_
#define ZAR_SDK_MODRA_SDK_H_

// Modra's plug-in interface in one include: value types and their conventions
// (modra_types.h), platform services (modra_platform.h), the scene as a plug-in sees it
// (modra_host.h) and the base classes plug-in classes derive from (modra_plugin.h).

#include "sdk/modra_host.h"
#include "sdk/modra_platform.h"
#include "sdk/modra_plugin.h"
#include "sdk/modra_types.h"

#endif  // ZAR_SDK_MODRA_SDK_H_
