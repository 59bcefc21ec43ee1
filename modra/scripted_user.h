#ifndef ZAR_MODRA_SCRIPTED_USER_H_
#define ZAR_MODRA_SCRIPTED_USER_H_

// The scripted user: a queue of what the user does, taken in order as the host's dialogs,
// message boxes, file dialogs, pick mode and message pump need input, and a record of what the
// user was shown.
//
// Who takes which action:
//   - a modal dialog takes the dialog actions (fill, tick, press, close) at the front of the
//     queue; when the front is anything else, or the queue is empty, the dialog is cancelled
//     (Escape, then its "Cancel" button, then closed by the host with result 0) and the front
//     action stays queued;
//   - a message box takes an Answer at the front; otherwise it answers its default (OK, or Yes
//     for a Yes/No box) without consuming anything;
//   - an open or save file dialog takes a ChooseFile(s) or CancelFileDialog at the front, a
//     folder picker a ChooseFolder or CancelFolder; otherwise it is cancelled;
//   - PumpHostMessages takes one action of the kinds the running host handles between steps:
//     picks, right clicks, cancelling the progress display, idling, quitting, panel mouse
//     messages, and dialog actions aimed at a modeless dialog or panel page. When a pick mode is
//     active and nothing could be taken, the host ends the pick mode, so a plug-in waiting for a
//     pick never waits forever.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "sdk/modra_platform.h"

namespace modra::host {

struct UserAction {
  enum class Kind : std::uint8_t {
    kFillEdit,          // type `text` into edit `control`
    kTick,              // set check box / radio button `control` to `checked` (clicks if needed)
    kPress,             // click `control` (push button, check box or radio button)
    kCloseDialog,       // press Escape
    kAnswer,            // answer a message box with `answer` (kAnswerYes, kAnswerNo, kAnswerOk)
    kChooseFiles,       // choose `paths` in a file dialog
    kCancelFileDialog,  // cancel a file dialog
    kChooseFolder,      // choose folder `text` in the folder picker
    kCancelFolder,      // cancel the folder picker
    kPickNode,          // click node `text` in a viewport while a pick mode is active
    kRightClick,        // right-click in a viewport while a pick mode is active
    kCancelProgress,    // press the progress display's cancel button
    kIdle,              // let one PumpHostMessages pass without doing anything
    kQuit,              // quit the host
    kPanelMouse,        // move the mouse over a panel page
  };

  Kind kind = Kind::kIdle;
  int dialog = 0;  // template id of the dialog acted on; 0: the current dialog
  int control = 0;
  std::string text;
  bool checked = false;
  int answer = 0;
  std::vector<std::string> paths;

  bool IsDialogAction() const {
    return kind == Kind::kFillEdit || kind == Kind::kTick || kind == Kind::kPress ||
           kind == Kind::kCloseDialog;
  }
  std::string Describe() const;
};

// One control as the user saw it.
struct ControlState {
  int id = kNoControlId;
  ControlKind kind = ControlKind::kStaticText;
  std::string text;
  unsigned checked = 0;
  bool enabled = true;
};

// A dialog as the user saw it.
struct DialogState {
  int templateId = 0;
  std::string title;
  bool centred = false;
  std::vector<ControlState> controls;

  // The control with this id, or null.
  const ControlState* Find(int id) const;
};

// One thing shown to (or done by) the user.
// What came of an event, for the code that acts on it. The texts of an event are for people
// and may be worded differently at any time; nothing should decide anything from them.
enum class Outcome : std::uint8_t {
  kNone,
  kRefused,           // kNote: a scripted dialog action was not applied (`refusal` says why)
  kChosen,            // kFileDialog, kFolderDialog: answered, detail = what was chosen
  kCancelled,         // kFileDialog, kFolderDialog: nothing chosen, detail = why
  kPicked,            // kPick: the node was picked and the pick mode ended
  kPickedModeGoesOn,  // kPick: the node was picked and the pick mode goes on
  kMissed,            // kPick: the pick mode did not take the node
  kRightClick,        // kPick: a right click, the pick mode goes on
  kRightClickEnded,   // kPick: a right click that ended the pick mode
  kIgnored,           // kPick: there was no pick mode
  kPicksRanOut,       // kNote: nothing left to pick, so the host ended the pick mode
};

// Why a dialog could not apply a scripted action (Outcome::kRefused).
enum class Refusal : std::uint8_t {
  kNone,
  kNoSuchControl,
  kDisabled,
  kNotAnEdit,
  kReadOnly,
  kNotCheckable,
  kRadioCleared,  // a radio button is cleared by choosing another
  kNotAButton,
  kNotADialogAction,
};

struct ShownEvent {
  enum class Kind : std::uint8_t {
    kMessageBox,      // text, caption, number = the answer, detail = "ok" or "yesno"
    kDialogOpened,    // dialog = its state after initialisation
    kDialogAction,    // detail = the action, action/number = its kind and control; dialog = the
                      // state after it
    kDialogClosed,    // number = the result; dialog = the state before destruction
    kProgressBegin,   // text = title
    kProgressUpdate,  // number = percent
    kProgressEnd,
    kFileDialog,    // text = title, detail = the outcome (chosen text or "cancelled: why")
    kFolderDialog,  // text = title, detail = the outcome
    kPick,          // text = node name, detail = the outcome
    kNote,          // text = something the host noticed (an action that could not apply ...);
                    // for an action refused by a dialog, number = its control, detail = why
  };

  Kind kind = Kind::kNote;
  Outcome outcome = Outcome::kNone;
  Refusal refusal = Refusal::kNone;  // with Outcome::kRefused
  bool question = false;             // kMessageBox: yes/no rather than OK alone
  UserAction::Kind action{};         // kDialogAction and Outcome::kRefused: the action
  std::string text;
  std::string caption;
  std::string detail;
  int number = 0;
  DialogState dialog;
};

class ScriptedUser {
 public:
  ScriptedUser& FillEdit(int control, std::string text, int dialog = 0);
  ScriptedUser& Tick(int control, bool checked, int dialog = 0);
  ScriptedUser& Press(int control, int dialog = 0);
  ScriptedUser& CloseDialog(int dialog = 0);
  ScriptedUser& Answer(int answer);
  ScriptedUser& ChooseFile(std::string path);
  ScriptedUser& ChooseFiles(std::vector<std::string> paths);
  ScriptedUser& CancelFileDialog();
  ScriptedUser& ChooseFolder(std::string path);
  ScriptedUser& CancelFolder();
  ScriptedUser& PickNode(std::string name);
  ScriptedUser& RightClick();
  ScriptedUser& CancelProgress();
  ScriptedUser& Idle(int times = 1);
  ScriptedUser& Quit();
  ScriptedUser& PanelMouse(int dialog = 0);
  void Enqueue(UserAction action) { queue_.push_back(std::move(action)); }

  bool Empty() const { return queue_.empty(); }
  std::size_t Pending() const { return queue_.size(); }
  // The next action, or null.
  const UserAction* Front() const { return queue_.empty() ? nullptr : &queue_.front(); }
  void Pop() {
    if (!queue_.empty()) queue_.pop_front();
  }
  void ClearQueue() { queue_.clear(); }

  void Record(ShownEvent event) {
    shown_.push_back(std::move(event));
    if (watcher_) watcher_(ShownEvent(shown_.back()));
  }
  // Called with each event as it is recorded, so that a tool can show what happens as it
  // happens, or stop the script (ClearQueue) when the user could not do what it said. An empty
  // function stops the calls.
  void SetWatcher(std::function<void(const ShownEvent&)> watcher) { watcher_ = std::move(watcher); }
  const std::vector<ShownEvent>& shown() const { return shown_; }
  void ClearShown() { shown_.clear(); }
  // The shown events of one kind, in order.
  std::vector<ShownEvent> ShownOfKind(ShownEvent::Kind kind) const;
  std::vector<ShownEvent> MessageBoxes() const {
    return ShownOfKind(ShownEvent::Kind::kMessageBox);
  }
  // The most recent state recorded for dialog `templateId` (any dialog when 0), or null.
  const DialogState* LastDialogState(int templateId = 0) const;

 private:
  std::deque<UserAction> queue_;
  std::vector<ShownEvent> shown_;
  std::function<void(const ShownEvent&)> watcher_;
};

}  // namespace modra::host

#endif  // ZAR_MODRA_SCRIPTED_USER_H_
