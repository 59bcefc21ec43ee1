#ifndef ZAR_PLUGIN_DESCRIPTION_OPTION_ROWS_H_
#define ZAR_PLUGIN_DESCRIPTION_OPTION_ROWS_H_

// The options each class of the plug-in remembers: where they are kept, and for every value its
// name, type and built-in value, in the order the class reads and writes them. The classes'
// records take their names and defaults from these rows (and fail to compile when a field's type
// disagrees); the command-line tool lists, clears and explains the stored options by them.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace zar::description {

// The registry path under the current user that every class's key lies below.
inline constexpr const char* kOptionRootKey = "Software\\Vantrel";
inline constexpr const char* kProductKey = "ZARFileIO";
inline constexpr const char* kHostKey = "Modra";
// The three joined, as the tool names them.
inline constexpr const char* kOptionsPath = "Software\\Vantrel\\ZARFileIO\\Modra";
constexpr bool JoinsTheKeys(std::string_view path) {
  const std::string_view root = kOptionRootKey, product = kProductKey, host = kHostKey;
  return path.size() == root.size() + product.size() + host.size() + 2 && path.starts_with(root) &&
         path[root.size()] == '\\' && path.substr(root.size() + 1).starts_with(product) &&
         path[root.size() + 1 + product.size()] == '\\' && path.ends_with(host);
}
static_assert(JoinsTheKeys(kOptionsPath));

// The order of the option records' field types (OptionField's alternatives follow it).
enum class OptionType : std::uint8_t { kBool, kInt, kFloat, kDouble, kText };

struct OptionRow {
  const char* name;
  OptionType type;
  double initial = 0;            // bool (0 or 1), integer and real values
  const char* initialText = "";  // text values
};

struct OptionClass {
  const char* key;  // the class's key below kOptionsPath
  std::span<const OptionRow> rows;
};

using enum OptionType;

inline constexpr std::array kImportHtrRows{OptionRow{"Apply", kBool, 0},
                                           OptionRow{"Animate", kBool, 1},
                                           OptionRow{"KeyBasePosition", kBool, 0},
                                           OptionRow{"EndEffectors", kBool, 0},
                                           OptionRow{"Range", kBool, 0},
                                           OptionRow{"FPS", kBool, 0},
                                           OptionRow{"RotationController", kInt, 0},
                                           OptionRow{"Size", kFloat, 1},
                                           OptionRow{"ScaleFactor", kDouble, 1}};

inline constexpr std::array kImportTrcRows{
    OptionRow{"Apply", kBool, 0},        OptionRow{"Geometry", kBool, 1},
    OptionRow{"SelectedOnly", kBool, 0}, OptionRow{"RootNode", kBool, 0},
    OptionRow{"Range", kBool, 0},        OptionRow{"FPS", kBool, 0},
    OptionRow{"Size", kFloat, 1},        OptionRow{"ScaleFactor", kDouble, 1}};

inline constexpr std::array kExportHtrRows{OptionRow{"Pose", kBool, 1},
                                           OptionRow{"Animate", kBool, 1},
                                           OptionRow{"ParentTransforms", kBool, 1},
                                           OptionRow{"Range", kBool, 0},
                                           OptionRow{"Offset", kInt, 0},
                                           OptionRow{"ScaleFactor", kDouble, 1}};

inline constexpr std::array kConvertPnxRows{OptionRow{"MNMPath", kText, 0, "<none>"},
                                            OptionRow{"InputPath", kText, 0, "C:\\"},
                                            OptionRow{"OutputPath", kText, 0, "<none>"},
                                            OptionRow{"Filter", kBool, 1},
                                            OptionRow{"Batch", kBool, 0},
                                            OptionRow{"TRCName", kBool, 1},
                                            OptionRow{"TRCSpace", kBool, 1},
                                            OptionRow{"Offset", kBool, 0},
                                            OptionRow{"OffsetX", kFloat, 0},
                                            OptionRow{"OffsetY", kFloat, 0},
                                            OptionRow{"OffsetZ", kFloat, 0}};

inline constexpr OptionClass kImportHtrOptions{"ImportHTR", kImportHtrRows};
inline constexpr OptionClass kImportTrcOptions{"ImportTRC", kImportTrcRows};
inline constexpr OptionClass kExportHtrOptions{"ExportHTR", kExportHtrRows};
inline constexpr OptionClass kConvertPnxOptions{"ConvertPNX", kConvertPnxRows};

inline constexpr std::array kOptionClasses{kImportHtrOptions, kImportTrcOptions, kExportHtrOptions,
                                           kConvertPnxOptions};

// Whether `options` has a row named `name` (exact letter case). (Compile-time checks use this
// rather than FindOption: sanitizer builds cannot compare addresses in constant expressions.)
constexpr bool HasOption(const OptionClass& options, std::string_view name) {
  for (const OptionRow& row : options.rows)
    if (name == row.name) return true;
  return false;
}

// The row named `name` (exact letter case) of `options`; null when it has none.
constexpr const OptionRow* FindOption(const OptionClass& options, std::string_view name) {
  for (const OptionRow& row : options.rows)
    if (name == row.name) return &row;
  return nullptr;
}

}  // namespace zar::description

#endif  // ZAR_PLUGIN_DESCRIPTION_OPTION_ROWS_H_
