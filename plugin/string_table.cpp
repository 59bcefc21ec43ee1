// The library's string table.

#include <cstdint>
#include <map>
#include <string>

#include "plugin/library_resources.h"
#include "plugin_description/plugin_texts.h"
#include "plugin_description/resource_ids.h"

namespace zar {

std::map<std::uint32_t, std::string> StringTable() {
  using namespace resource;
  return {
      {kLibraryDescription, "ZARFileIO Post-Process Motion Capture Utility (Orvane)"},
      {kCategory, "Motion Capture"},
      {kSelectMappingFile, "Select Mapping File..."},
      {kConvertPanelTitle, "Convert TRC to PNX"},
      {kChooseOutputFolder, "Choose PNX Files Destination Folder..."},
      {kMNMCreationStatus, "MNM File Creation Status"},
      {kMNMCreationSuccessful, description::kMNMCreationSuccessful},
      {kMNMCreationFailed, "MNM File Creation Failed: Unable to open output file."},
      {kPickOptionalMarkers, "Pick optional markers?"},
      {kTRCFilesFilter, "Vantrel TRC Files (*.TRC)"},
      {kLeftWristStick, "Are you using a left wrist stick?"},
      {kRightWristStick, "Are you using a right wrist stick?"},
      {kSelectSourceTRCFiles, "Select Source TRC Files..."},
      {kConvertPNXError, "ConvertPNX Error"},
      {kCannotOpenBatchLog, "Cannot Open Batch Log File."},
      {kSelectTargetPNXFile, "Select Target PNX File..."},
      {kImportHTRClassName, "ImportHTR"},
      {kExportHTRClassName, "ExportHTR"},
      {kImportTRCClassName, "ImportTRC"},
      {kZARUtilitiesClassName, "ZARUtilities"},
      {kMNMFilesFilter, "Marker Name Mapping Files (*.MNM)"},
      {kPNXFilesFilter, "Kinestra Marker Files (*.PNX)"},
  };
}

}  // namespace zar
