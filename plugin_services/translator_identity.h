#ifndef ZAR_PLUGIN_SERVICES_TRANSLATOR_IDENTITY_H_
#define ZAR_PLUGIN_SERVICES_TRANSLATOR_IDENTITY_H_

// What the three file translators answer alike about who made them.

namespace zar {

inline constexpr const char* kTranslatorAuthor = "Vantrel";
inline constexpr const char* kTranslatorNotice = "Copyright (c) Vantrel. All rights reserved.";
inline constexpr const char* kTranslatorOtherMessage = "";
// Version times 100.
inline constexpr unsigned kTranslatorVersion = 300;

}  // namespace zar

#endif  // ZAR_PLUGIN_SERVICES_TRANSLATOR_IDENTITY_H_
