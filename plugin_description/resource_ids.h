#ifndef ZAR_PLUGIN_DESCRIPTION_RESOURCE_IDS_H_
#define ZAR_PLUGIN_DESCRIPTION_RESOURCE_IDS_H_

// Identifiers of the library's resources: strings, dialogs, the bitmap, and the controls of
// each dialog. Controls that play the same part in several dialogs share one id.

#include <cstdint>

namespace zar::resource {

// String table (texts in string_table.cpp).
inline constexpr std::uint32_t kLibraryDescription = 1;
inline constexpr std::uint32_t kCategory = 2;
inline constexpr std::uint32_t kSelectMappingFile = 5;
inline constexpr std::uint32_t kConvertPanelTitle = 6;
inline constexpr std::uint32_t kChooseOutputFolder = 7;
inline constexpr std::uint32_t kMNMCreationStatus = 8;
inline constexpr std::uint32_t kMNMCreationSuccessful = 9;
inline constexpr std::uint32_t kMNMCreationFailed = 10;
inline constexpr std::uint32_t kPickOptionalMarkers = 12;
inline constexpr std::uint32_t kTRCFilesFilter = 13;
inline constexpr std::uint32_t kLeftWristStick = 14;
inline constexpr std::uint32_t kRightWristStick = 15;
inline constexpr std::uint32_t kSelectSourceTRCFiles = 16;
inline constexpr std::uint32_t kConvertPNXError = 17;
inline constexpr std::uint32_t kCannotOpenBatchLog = 18;
inline constexpr std::uint32_t kSelectTargetPNXFile = 19;
inline constexpr std::uint32_t kImportHTRClassName = 29;
inline constexpr std::uint32_t kExportHTRClassName = 31;
inline constexpr std::uint32_t kImportTRCClassName = 32;
inline constexpr std::uint32_t kZARUtilitiesClassName = 33;
inline constexpr std::uint32_t kMNMFilesFilter = 34;
inline constexpr std::uint32_t kPNXFilesFilter = 35;

// Dialog templates.
inline constexpr int kImportHTRDialog = 107;
inline constexpr int kAboutDialog = 114;
inline constexpr int kConvertPanelPage = 116;
inline constexpr int kImportTRCDialog = 120;
inline constexpr int kExportHTRDialog = 126;
inline constexpr int kMNMCreatorDialog = 127;

// The About box's logo.
inline constexpr int kLogoBitmap = 112;

// Buttons that end a dialog.
inline constexpr int kOkButton = 1097;
inline constexpr int kCancelButton = 1098;

// Time and scale controls of the three option dialogs (107, 120, 126).
inline constexpr int kAllRadio = 1067;  // "All" (107, 120), "Slider" (126)
inline constexpr int kRangeRadio = 1068;
inline constexpr int kFromEdit = 1065;
inline constexpr int kToEdit = 1066;
inline constexpr int kOffsetEdit = 1089;
inline constexpr int kGlobalScaleEdit = 1088;
inline constexpr int kSetFrameRateCheck = 1140;  // 107, 120
inline constexpr int kSizeEdit = 1104;           // "Segment Size" (107), "Size" (120)

// Dialog 107, ImportHTR.
inline constexpr int kHTRCreateRadio = 1085;
inline constexpr int kHTRApplyRadio = 1086;
inline constexpr int kEndEffectorsCheck = 1019;
inline constexpr int kBasePositionCheck = 1017;
inline constexpr int kAnimationCheck = 1063;
inline constexpr int kEulerRadio = 1051;
inline constexpr int kTCBRadio = 1052;

// Dialog 114, About.
inline constexpr int kAboutLogo = 1075;
inline constexpr int kAboutTitle = 1069;
inline constexpr int kAboutVersion = 1070;
inline constexpr int kAboutNotice = 1071;

// Dialog 116, the utilities panel page.
inline constexpr int kMNMPathEdit = 1137;
inline constexpr int kMNMCreateButton = 1203;
inline constexpr int kMNMBrowseButton = 1132;
inline constexpr int kOutputFolderEdit = 1138;
inline constexpr int kOutputBrowseButton = 1134;
inline constexpr int kConvertButton = 1200;
inline constexpr int kFilterCheck = 1204;
inline constexpr int kBatchCheck = 1201;
inline constexpr int kTRCNameCheck = 1202;
inline constexpr int kOffsetEnableCheck = 1205;
inline constexpr int kTRCSpaceRadio = 1124;
inline constexpr int kModraSpaceRadio = 1125;
inline constexpr int kOffsetXLabel = 1121;
inline constexpr int kOffsetYLabel = 1122;
inline constexpr int kOffsetZLabel = 1123;
inline constexpr int kOffsetXEdit = 1206;
inline constexpr int kOffsetYEdit = 1207;
inline constexpr int kOffsetZEdit = 1208;

// Dialog 120, ImportTRC.
inline constexpr int kTRCCreateRadio = 1009;
inline constexpr int kTRCApplyRadio = 1010;
inline constexpr int kSelectedOnlyCheck = 1112;
inline constexpr int kRootNodeCheck = 1115;
inline constexpr int kSphereRadio = 1077;
inline constexpr int kPointRadio = 1078;

// Dialog 126, ExportHTR.
inline constexpr int kSavedPoseRadio = 1106;
inline constexpr int kCurrentPoseRadio = 1107;
inline constexpr int kExportAnimationCheck = 1105;
inline constexpr int kParentTransformsCheck = 1109;

// Dialog 127, the MNM creator.
inline constexpr int kMarkerDescriptionEdit = 1126;
inline constexpr int kBackButton = 1127;
inline constexpr int kSkipButton = 1129;
inline constexpr int kAbortButton = 1128;

}  // namespace zar::resource

#endif  // ZAR_PLUGIN_DESCRIPTION_RESOURCE_IDS_H_
