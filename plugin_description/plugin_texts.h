#ifndef ZAR_PLUGIN_DESCRIPTION_PLUGIN_TEXTS_H_
#define ZAR_PLUGIN_DESCRIPTION_PLUGIN_TEXTS_H_

// What the plug-in leaves behind for others to read: the texts and captions by which a caller
// tells an outcome, the batch log's name and the form of its lines, and the properties the HTR
// importer stores on the bones it makes. The plug-in writes them from here; the command-line
// tool and the scene reader recognise them from here.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace zar::description {

// The message the MNM creator shows when it wrote the mapping file.
inline constexpr const char* kMNMCreationSuccessful = "MNM File Creation Successful";
// Caption of every message box of the TRC importer.
inline constexpr const char* kImportTrcErrorCaption = "ImportTRC Error";
// Caption of the message that warns about a file converted in single mode (a file with fewer data
// lines than it declares); unlike an error, the file was converted.
inline constexpr const char* kConvertPNXWarningCaption = "ConvertPNX Warning";

// The log of a batch conversion, in the output folder. Each line ends in kBatchLogLineEnd; a file
// converted gets BatchLogDoneLine, a file that failed or was converted with a warning a line of
// BatchLogProblem.
inline constexpr const char* kBatchLogName = "ConvertPNXLog.txt";
// Most source files one conversion handles; further chosen files are ignored.
inline constexpr std::size_t kMaxSourceFiles = 1000;
// Lines before the first file's: the title, the date, the number of files.
inline constexpr int kBatchLogHeaderLines = 3;
inline constexpr std::string_view kBatchLogLineEnd = "\r\n";
inline std::string BatchLogDoneLine(std::string_view source) {
  return "file: " + std::string(source) + " done.";
}
inline std::string BatchLogProblem(std::string_view source, std::string_view problem) {
  return std::string(source) + ": " + std::string(problem);
}
// The problem a log line of BatchLogProblem names for `source`; "" when the line is not one.
inline std::string_view BatchLogProblemOf(std::string_view line, std::string_view source) {
  if (line.size() < source.size() + 2 || !line.starts_with(source)) return {};
  if (line.substr(source.size(), 2) != ": ") return {};
  return line.substr(source.size() + 2);
}

// Node user properties holding an imported segment's base position as the file gives it (after
// the import's unit conversion, before any change of axes): translation, rotation (radians) and
// bone length. The HTR exporter reads them back.
inline constexpr const char* kHTRBaseTransX = "HTRBaseTransX";
inline constexpr const char* kHTRBaseTransY = "HTRBaseTransY";
inline constexpr const char* kHTRBaseTransZ = "HTRBaseTransZ";
inline constexpr const char* kHTRBaseRotX = "HTRBaseRotX";
inline constexpr const char* kHTRBaseRotY = "HTRBaseRotY";
inline constexpr const char* kHTRBaseRotZ = "HTRBaseRotZ";
inline constexpr const char* kHTRBaseLength = "HTRBaseLength";
inline constexpr std::array kHTRBaseProperties{kHTRBaseTransX, kHTRBaseTransY, kHTRBaseTransZ,
                                               kHTRBaseRotX,   kHTRBaseRotY,   kHTRBaseRotZ,
                                               kHTRBaseLength};

}  // namespace zar::description

#endif  // ZAR_PLUGIN_DESCRIPTION_PLUGIN_TEXTS_H_
