#ifndef ZAR_SDK_MODRA_PLATFORM_H_
#define ZAR_SDK_MODRA_PLATFORM_H_

// The platform services a plug-in takes from the window system and the operating system:
// module handles and resources (string table, dialog templates), modal and modeless dialogs
// driven through a small control interface, message boxes, open/save file dialogs, the
// registry of the current user, and a few text helpers of the host (CStr, FilterList,
// SplitFilename). Every function declared without a body is implemented by the host (libmodra).
//
// Dialogs without a window system: a dialog procedure is written once against the functions
// below. The host builds an in-memory dialog from the template's controls and sends the
// procedure the initialisation message, then one command message per user action (a button
// press, a click on a check box or radio button, a change of an edit box), and the destroy
// message when the dialog ends, exactly as a window system would.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "sdk/modra_types.h"

namespace modra {

// Opaque handles. A window handle names a dialog, a panel page, one control of either, or the
// host's main window; a module handle names one loaded plug-in library.
struct HostWindow;
struct HostModule;
using WindowHandle = HostWindow*;
using ModuleHandle = HostModule*;

// ---------------------------------------------------------------------------------------------
// Module entry and resources

// The plug-in's entry point, exported with C linkage under the name kModuleEntrySymbol. The host
// calls it once with kProcessAttach right after loading the library (after its static objects
// are constructed) and once with kProcessDetach before unloading it.
using ModuleEntryFunction = int (*)(ModuleHandle module, std::uint32_t reason, void* reserved);
inline constexpr const char* kModuleEntrySymbol = "ModuleEntry";
inline constexpr std::uint32_t kProcessDetach = 0;
inline constexpr std::uint32_t kProcessAttach = 1;
inline constexpr std::uint32_t kThreadAttach = 2;
inline constexpr std::uint32_t kThreadDetach = 3;

// Asks the host not to call the entry point for thread attach and detach. True on success.
bool DisableThreadNotifications(ModuleHandle module);

// Control id of controls that have none (static texts, group boxes).
inline constexpr int kNoControlId = -1;

enum class ControlKind : std::uint8_t {
  kPushButton,   // sends a command when pressed
  kCheckBox,     // automatic check box: a click toggles it, then sends a command
  kRadioButton,  // automatic radio button: a click checks it, then sends a command
  kEdit,         // single-line edit box
  kStaticText,
  kGroupBox,
  kBitmap,      // static picture showing ControlTemplate::imageId
  kCustomEdit,  // the host's numeric edit control, reached with GetICustEdit
};

// Control style bits.
inline constexpr std::uint32_t kStyleDefaultButton = 1u << 0;  // push button pressed by Enter
inline constexpr std::uint32_t kStyleGroupStart = 1u << 1;     // starts a group of its own
inline constexpr std::uint32_t kStyleReadOnly = 1u << 2;       // edit the user cannot type in
inline constexpr std::uint32_t kStyleBorder = 1u << 3;
inline constexpr std::uint32_t kStyleAutoHScroll = 1u << 4;
inline constexpr std::uint32_t kStyleCentred = 1u << 5;         // text centred horizontally
inline constexpr std::uint32_t kStyleVerticalCentre = 1u << 6;  // text centred vertically
inline constexpr std::uint32_t kStyleCentreImage = 1u << 7;     // picture centred
inline constexpr std::uint32_t kStyleInitiallyDisabled = 1u << 8;

// One control of a dialog template. Positions are dialog units.
struct ControlTemplate {
  int id = kNoControlId;
  ControlKind kind = ControlKind::kStaticText;
  std::string text;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  std::uint32_t style = 0;
  int imageId = 0;  // bitmap resource of a kBitmap control
};

// Dialog style bits.
inline constexpr std::uint32_t kDialogModalFrame = 1u << 0;
inline constexpr std::uint32_t kDialogCaption = 1u << 1;
inline constexpr std::uint32_t kDialogChild = 1u << 2;  // a page inside a host panel
inline constexpr std::uint32_t kDialogPopup = 1u << 3;

// A dialog template: id, title, size in dialog units, style, font and controls in tab order.
struct DialogTemplate {
  int id = 0;
  std::string title;
  int width = 0;
  int height = 0;
  std::uint32_t style = 0;
  std::string fontName;
  int fontSize = 0;
  std::vector<ControlTemplate> controls;
};

// A bitmap resource's description (the host keeps no pixels).
struct BitmapResource {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  std::string description;
};

// Everything a module hands the platform: its string table and its dialog and bitmap resources.
struct ModuleResources {
  std::map<std::uint32_t, std::string> strings;
  std::vector<DialogTemplate> dialogs;
  std::map<int, BitmapResource> bitmaps;
};

// Registers the module's resources (copied). A module calls this from its entry point on
// kProcessAttach; a second call replaces the first. False for a null module.
bool RegisterModuleResources(ModuleHandle module, const ModuleResources& resources);
// Forgets the module's resources (called on kProcessDetach).
void UnregisterModuleResources(ModuleHandle module);
// Copies string `id` of the module's table into buffer: at most bufferSize − 1 characters and
// the terminating zero. Answers the number of characters copied, 0 when the module is unknown,
// the string is missing, buffer is null or bufferSize is below 1.
int LoadStringResource(ModuleHandle module, std::uint32_t id, char* buffer, int bufferSize);
// The module's dialog template `id`, or null. Valid until the module's resources change.
const DialogTemplate* FindDialogTemplate(ModuleHandle module, int id);

// ---------------------------------------------------------------------------------------------
// Dialogs

// Window messages a dialog procedure receives.
inline constexpr std::uint32_t kMessageDestroy = 0x0002;
inline constexpr std::uint32_t kMessageClose = 0x0010;
inline constexpr std::uint32_t kMessageInitDialog = 0x0110;  // lParam: the creation parameter
inline constexpr std::uint32_t kMessageCommand = 0x0111;     // wParam: MakeCommand(id, code)
inline constexpr std::uint32_t kMessageMouseMove = 0x0200;
inline constexpr std::uint32_t kMessageLeftButtonDown = 0x0201;
inline constexpr std::uint32_t kMessageLeftButtonUp = 0x0202;
inline constexpr std::uint32_t kMessageUser = 0x0400;  // first private message number

// Command notification codes (high word of a command's wParam).
inline constexpr std::uint32_t kButtonClicked = 0;
inline constexpr std::uint32_t kEditChanged = 0x0300;

// Command ids the platform itself sends: Enter and Escape.
inline constexpr int kCommandOk = 1;
inline constexpr int kCommandCancel = 2;

// Dialog procedure: answers non-zero when it handled the message (the initialisation message:
// non-zero to let the platform set the default focus).
using DialogProc = std::intptr_t (*)(WindowHandle dialog, std::uint32_t message,
                                     std::uintptr_t wParam, std::intptr_t lParam);

constexpr std::uintptr_t MakeCommand(int id, std::uint32_t code) {
  return (static_cast<std::uintptr_t>(code & 0xFFFFu) << 16) |
         (static_cast<std::uintptr_t>(id) & 0xFFFFu);
}
// The control id of a command's wParam (the low word, as a signed 16-bit number).
constexpr int CommandId(std::uintptr_t wParam) {
  return static_cast<int>(static_cast<std::int16_t>(static_cast<std::uint16_t>(wParam & 0xFFFFu)));
}
constexpr std::uint32_t CommandCode(std::uintptr_t wParam) {
  return static_cast<std::uint32_t>((wParam >> 16) & 0xFFFFu);
}

// Runs dialog `templateId` of the module modally, owned by `owner`, with `proc` as its
// procedure and `param` passed with the initialisation message. Returns when the procedure
// calls EndDialog, with the result it gave; −1 when the template is missing or proc is null.
std::intptr_t RunModalDialog(ModuleHandle module, int templateId, WindowHandle owner,
                             DialogProc proc, std::intptr_t param);
// Creates dialog `templateId` modelessly (it is sent the initialisation message before this
// returns) and answers its handle, or null when the template is missing or proc is null. The
// dialog lives until DestroyDialog; the scripted user acts on it from PumpHostMessages.
WindowHandle CreateModelessDialog(ModuleHandle module, int templateId, WindowHandle owner,
                                  DialogProc proc, std::intptr_t param);
// Sends the destroy message to a modeless dialog and removes it. False for an unknown handle.
bool DestroyDialog(WindowHandle dialog);
// Shows or hides a dialog. False for an unknown handle.
bool ShowDialog(WindowHandle dialog, bool show);
// Sends a message to a dialog's procedure and answers its result (0 for an unknown handle).
std::intptr_t SendDialogMessage(WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam);
// Ends a modal dialog with `result`; the procedure is sent the destroy message and
// RunModalDialog returns. On a modeless dialog it destroys the dialog. False for an unknown
// handle.
bool EndDialog(WindowHandle dialog, std::intptr_t result);

// The window's user data (one pointer-sized value, 0 at first).
void SetWindowUserData(WindowHandle window, std::intptr_t data);
std::intptr_t WindowUserData(WindowHandle window);
// The owner of a dialog, or null.
WindowHandle ParentWindow(WindowHandle window);
// The window of control `id` in the dialog, or null.
WindowHandle DialogItem(WindowHandle dialog, int id);
// The window that is active now (the top dialog, or the host's main window).
WindowHandle ActiveWindow();

// The control interface. Each answers false (or 0) for an unknown dialog or control id.
// Checks `checkId` and unchecks every other radio button whose id lies in [firstId, lastId].
bool CheckRadioButton(WindowHandle dialog, int firstId, int lastId, int checkId);
// Check state of a check box or radio button: 0 unchecked, 1 checked.
unsigned IsButtonChecked(WindowHandle dialog, int id);
bool SetButtonCheck(WindowHandle dialog, int id, unsigned state);
// Enables or disables a control. A disabled control does not react to the user but can still be
// read and written by the procedure.
bool EnableControl(WindowHandle dialog, int id, bool enable);
bool IsControlEnabled(WindowHandle dialog, int id);
// Copies at most maxCount − 1 characters of the control's text and a terminating zero into
// buffer; answers the number of characters copied.
int GetControlText(WindowHandle dialog, int id, char* buffer, int maxCount);
bool SetControlText(WindowHandle dialog, int id, const char* text);

// ---------------------------------------------------------------------------------------------
// Message boxes

inline constexpr std::uint32_t kMessageBoxOk = 0x0;     // one OK button
inline constexpr std::uint32_t kMessageBoxYesNo = 0x4;  // Yes and No; Yes is the default
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// Shows a message box owned by `owner` (may be null) and answers the button the user chose.
int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, std::uint32_t type);

// ---------------------------------------------------------------------------------------------
// Host text helpers

// The host's string value type.
class CStr {
 public:
  CStr() = default;
  CStr(const char* text) : text_(text ? text : "") {}  // NOLINT: implicit like the host's
  CStr(std::string text) : text_(std::move(text)) {}   // NOLINT
  const char* data() const { return text_.c_str(); }
  std::size_t Length() const { return text_.size(); }
  const std::string& str() const { return text_; }
  bool operator==(const CStr&) const = default;

 private:
  std::string text_;
};

// A file-dialog filter: Append the description, then its pattern, then the next description...
class FilterList {
 public:
  void Append(const char* text) { items_.emplace_back(text ? text : ""); }
  // (description, pattern) pairs in order; a trailing description without pattern is dropped.
  std::vector<std::pair<std::string, std::string>> Pairs() const {
    std::vector<std::pair<std::string, std::string>> out;
    for (std::size_t i = 0; i + 1 < items_.size(); i += 2)
      out.emplace_back(items_[i], items_[i + 1]);
    return out;
  }
  const std::vector<std::string>& Items() const { return items_; }

 private:
  std::vector<std::string> items_;
};

// Splits a path at its last folder separator ('\' or '/') and the last '.' after it. Any of the
// outputs may be null. folder excludes the separator; extension includes the dot ("" when none).
// "C:\mocap\walk.fast.htr" gives "C:\mocap", "walk.fast", ".htr".
void SplitFilename(const std::string& path, std::string* folder, std::string* name,
                   std::string* extension);

// ---------------------------------------------------------------------------------------------
// Open and save file dialogs, folder picker

inline constexpr std::uint32_t kFileReadOnly = 0x00000001;
inline constexpr std::uint32_t kFileOverwritePrompt = 0x00000002;  // confirm replacing a file
inline constexpr std::uint32_t kFileHideReadOnly = 0x00000004;
inline constexpr std::uint32_t kFileAllowMultiSelect = 0x00000200;
inline constexpr std::uint32_t kFilePathMustExist = 0x00000800;
inline constexpr std::uint32_t kFileMustExist = 0x00001000;
inline constexpr std::uint32_t kFileExplorer = 0x00080000;
inline constexpr std::uint32_t kFileNoPlacesBar = 0x10000000;

struct FileDialogRequest {
  WindowHandle owner = nullptr;
  std::string title;
  FilterList filter;
  std::string defaultExtension;  // without the dot; added to a chosen name without extension
  std::string initialFolder;     // empty: the platform's choice
  std::string initialName;
  std::uint32_t flags = 0;
  std::size_t bufferSize = 260;  // characters the result may take, terminators included
};

// The result as the platform leaves it in the caller's buffer:
//   one file:  the full path, then a zero; fileOffset is the index of its name, so
//              buffer[fileOffset − 1] is the folder separator;
//   several files (kFileAllowMultiSelect): the folder, a zero, each name followed by a zero,
//              and a final zero; fileOffset is the index of the first name.
// Paths use the platform's folder separator.
struct FileDialogResult {
  std::string buffer;
  std::size_t fileOffset = 0;
  std::size_t extensionOffset = 0;  // index of the extension of the (first) name, 0 when none

  // The text up to the first zero (the chosen path in single selection).
  std::string FirstText() const { return std::string(buffer.c_str()); }
};

// Shows the dialog; true and the result when the user chose, false when the user cancelled, a
// flag refused the choice (missing file or folder, declined overwrite) or the result did not
// fit bufferSize.
bool ShowOpenFileDialog(const FileDialogRequest& request, FileDialogResult& result);
bool ShowSaveFileDialog(const FileDialogRequest& request, FileDialogResult& result);

// ---------------------------------------------------------------------------------------------
// Registry of the current user

// Key handles. kCurrentUserKey is always open; other handles come from the create and open
// calls and stay valid until RegistryCloseKey.
using RegistryKey = std::uintptr_t;
inline constexpr RegistryKey kCurrentUserKey = 0x80000001u;

// Status codes of the registry calls.
inline constexpr std::int32_t kRegistryOk = 0;
inline constexpr std::int32_t kRegistryNotFound = 2;
inline constexpr std::int32_t kRegistryAccessDenied = 5;
inline constexpr std::int32_t kRegistryInvalidHandle = 6;
inline constexpr std::int32_t kRegistryInvalidParameter = 87;
inline constexpr std::int32_t kRegistryMoreData = 234;
inline constexpr std::int32_t kRegistryBadStore = 1009;  // the store cannot be read or written

// Value types (the numbers the registry stores with each value).
inline constexpr std::uint32_t kRegistryString = 1;  // text and its terminating zero
inline constexpr std::uint32_t kRegistryBinary = 3;  // bytes
inline constexpr std::uint32_t kRegistryDword = 4;   // 4 bytes, little-endian
inline constexpr std::uint32_t kRegistryQword = 11;  // 8 bytes, little-endian

// Access masks.
inline constexpr std::uint32_t kRegistryAllAccess = 0xF003F;
inline constexpr std::uint32_t kRegistryRead = 0x20019;
inline constexpr std::uint32_t kRegistrySetValueRight = 0x0002;

// Key creation dispositions.
inline constexpr std::uint32_t kRegistryCreatedNewKey = 1;
inline constexpr std::uint32_t kRegistryOpenedExistingKey = 2;

// Creates (where missing) or opens the key at subKey below parent; subKey may name several
// levels separated by '\'. Key and value names compare without regard to ASCII case and keep
// the case they were created with. disposition may be null.
std::int32_t RegistryCreateKey(RegistryKey parent, const char* subKey, std::uint32_t access,
                               RegistryKey* result, std::uint32_t* disposition);
// Opens an existing key; kRegistryNotFound when it is missing.
std::int32_t RegistryOpenKey(RegistryKey parent, const char* subKey, std::uint32_t access,
                             RegistryKey* result);
std::int32_t RegistryCloseKey(RegistryKey key);
// Writes a value with its type and bytes exactly as given, replacing any value of that name
// (name null or "" is the key's default value). Needs kRegistrySetValueRight in the key's access.
std::int32_t RegistrySetValue(RegistryKey key, const char* name, std::uint32_t type,
                              const std::uint8_t* data, std::uint32_t size);
// Reads a value. On entry *size is the capacity of data; on return it is the value's size.
// data null: only the size and type are answered. Too small: kRegistryMoreData and data is not
// written. type may be null.
std::int32_t RegistryQueryValue(RegistryKey key, const char* name, std::uint32_t* type,
                                std::uint8_t* data, std::uint32_t* size);
std::int32_t RegistryDeleteValue(RegistryKey key, const char* name);
// Deletes subKey below parent with everything under it.
std::int32_t RegistryDeleteKey(RegistryKey parent, const char* subKey);

// One stored value, as listed by RegistryListValues.
struct RegistryValue {
  std::string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};
// The key's values in the order they were first written, and the names of its direct subkeys.
std::int32_t RegistryListValues(RegistryKey key, std::vector<RegistryValue>& values);
std::int32_t RegistryListSubKeys(RegistryKey key, std::vector<std::string>& names);

}  // namespace modra

#endif  // ZAR_SDK_MODRA_PLATFORM_H_
