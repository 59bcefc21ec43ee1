// zarfileio mnm create --scene S --out F [--left-stick] [--right-stick] PICK...
// zarfileio mnm steps
//
// `create` runs the plug-in's MNM creator (the "Create" button of the utilities panel) on a
// scene document. The wrist-stick questions are answered by the flags; each PICK is what the
// user does for the marker asked next: a node name picks that node in the viewports, "skip",
// "back" and "abort" press the creator's buttons, "again" right-clicks (the host ends the pick
// and the same marker is asked again). The save dialog is answered with --out. Each step and
// pick is echoed as it happens. The run fails, writing nothing and storing nothing, when the
// picks run out before the last step or a button is pressed where the creator does not offer it.

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/help_text.h"
#include "cli/host_session.h"
#include "plugin_description/marker_table.h"
#include "plugin_description/plugin_texts.h"
#include "plugin_description/resource_ids.h"

namespace zar::cli {
namespace {

namespace id = resource;
using modra::host::ShownEvent;

struct MnmCreateFlags {
  SessionOptions session;
  std::string out;
  bool leftStick = false;
  bool rightStick = false;
  std::vector<std::string> picks;
};

// Follows the creator as it runs: which marker it asks for, what the user did about it.
class CreatorEcho {
 public:
  CreatorEcho(HostSession& session, bool leftStick, bool rightStick) : session_(session) {
    for (int step = 0; step <= kLastMarkerStep; ++step) {
      const MarkerStep markers = StandardMarkerStep(step, leftStick, rightStick);
      for (std::size_t i = 0; i < markers.count; ++i)
        steps_[std::string(markers.markers[i].description)] = step;
    }
  }

  void operator()(const ShownEvent& event) {
    using modra::host::Outcome;
    if (event.kind == ShownEvent::Kind::kPick) {
      if (event.outcome == Outcome::kRightClick || event.outcome == Outcome::kRightClickEnded) {
        Echo("asked again");
      } else if (event.outcome == Outcome::kPicked) {
        Echo("picked " + event.text);
      } else {
        Echo("pick \"" + event.text + "\": " + event.detail);
      }
    } else if (event.kind == ShownEvent::Kind::kDialogAction &&
               event.dialog.templateId == id::kMNMCreatorDialog) {
      Echo(ButtonName(event));
    } else if (event.outcome == Outcome::kPicksRanOut) {
      // The user has nothing more to do: the creator must not reach its save dialog.
      if (ranOutAt_.empty()) ranOutAt_ = Current();
      session_.user().ClearQueue();
    } else if (event.outcome == Outcome::kRefused && refusedAt_.empty()) {
      refusedAt_ = Current();
    }
  }

  const std::string& ranOutAt() const { return ranOutAt_; }
  const std::string& refusedAt() const { return refusedAt_; }

 private:
  static std::string ButtonName(const ShownEvent& action) {
    if (action.action == modra::host::UserAction::Kind::kPress) {
      if (action.number == id::kSkipButton) return "skip";
      if (action.number == id::kBackButton) return "back";
      if (action.number == id::kAbortButton) return "abort";
    }
    return action.detail;
  }

  // "step 9, Left inner elbow marker (LILB)": the marker the creator dialog shows now.
  std::string Current() const {
    modra::host::WindowManager& windows = session_.host().windows();
    modra::HostWindow* dialog = windows.Target(id::kMNMCreatorDialog);
    const modra::HostWindow* edit =
        dialog != nullptr ? windows.Control(dialog, id::kMarkerDescriptionEdit) : nullptr;
    if (edit == nullptr) return "the end";
    const auto step = steps_.find(edit->text);
    return step == steps_.end() ? edit->text
                                : "step " + std::to_string(step->second) + ", " + edit->text;
  }

  void Echo(const std::string& what) const {
    std::cerr << "zarfileio: " << Current() << ": " << what << "\n";
  }

  HostSession& session_;
  std::map<std::string, int> steps_;  // description shown → step
  std::string ranOutAt_;
  std::string refusedAt_;
};

// The written file's path: what the save dialog chose (with the extension it added).
std::string ChosenFile(const modra::host::ScriptedUser& user) {
  for (const ShownEvent& e : user.shown()) {
    if (e.kind == ShownEvent::Kind::kFileDialog && e.outcome == modra::host::Outcome::kChosen)
      return e.detail.substr(0, e.detail.find('|'));
  }
  return "";
}

// One warning per node picked for two markers of the mapping file `path`.
void WarnAboutRepeatedNodes(const std::string& path) {
  std::ifstream in(path);
  std::map<std::string, std::string> markerOf;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string pnx, node;
    if (!(fields >> pnx >> node)) continue;
    const auto [first, added] = markerOf.emplace(node, pnx);
    if (!added) {
      std::cerr << "zarfileio: warning: node " << node << " was picked for both " << first->second
                << " and " << pnx << "\n";
    }
  }
}

int MnmCreate(MnmCreateFlags& flags) {
  std::error_code ec;
  if (!std::filesystem::exists(flags.session.scene, ec)) {
    std::cerr << "zarfileio: no scene document " << flags.session.scene << "\n";
    return kExitFileProblem;
  }
  flags.session.storeOnSuccessOnly = true;
  const std::unique_ptr<HostSession> session = HostSession::OpenOrReport(flags.session);
  if (session == nullptr) return kExitFileProblem;
  modra::ClassDesc* panel = session->plugin().Find("ZARUtilities", modra::kUtilityClass);
  if (panel == nullptr || session->host().OpenUtility(*panel) == nullptr) {
    std::cerr << "zarfileio: the plug-in's utilities panel could not be opened\n";
    return kExitFileProblem;
  }
  auto echo = std::make_shared<CreatorEcho>(*session, flags.leftStick, flags.rightStick);
  session->Observe([echo](const ShownEvent& event) { (*echo)(event); });
  modra::host::ScriptedUser& user = session->user();
  user.Press(id::kMNMCreateButton, id::kConvertPanelPage);
  user.Answer(flags.leftStick ? modra::kAnswerYes : modra::kAnswerNo);
  user.Answer(flags.rightStick ? modra::kAnswerYes : modra::kAnswerNo);
  for (const std::string& pick : flags.picks) {
    if (pick == "skip") {
      user.Press(id::kSkipButton, id::kMNMCreatorDialog);
    } else if (pick == "back") {
      user.Press(id::kBackButton, id::kMNMCreatorDialog);
    } else if (pick == "abort") {
      user.Press(id::kAbortButton, id::kMNMCreatorDialog);
    } else if (pick == "again") {
      user.RightClick();
    } else {
      user.PickNode(pick);
    }
  }
  std::error_code abs_error;
  user.ChooseFile(std::filesystem::absolute(flags.out, abs_error).string());
  session->host().ProcessActions();
  session->Observe(nullptr);

  session->PrintShown(std::cerr);
  const std::size_t unused = user.Pending();
  session->host().CloseUtility();
  if (session->actionUnapplied()) {
    std::cerr << "zarfileio: the creator did not take a step (see above); nothing was written\n";
    return kExitUsage;
  }
  if (!session->refusedControls().empty()) {
    const bool back = session->refusedControls().front() == id::kBackButton;
    std::cerr << "zarfileio: " << (back ? "back" : "skip") << " cannot be used at "
              << echo->refusedAt()
              << (back ? ": there is no step before it" : ": that marker is not optional")
              << " (mnm steps lists the optional ones); nothing was written\n";
    return kExitUsage;
  }
  if (!echo->ranOutAt().empty()) {
    std::cerr << "zarfileio: the picks ran out at " << echo->ranOutAt()
              << "; nothing was written\n";
    return kExitFileProblem;
  }
  bool written = false;
  for (const ShownEvent& e : user.MessageBoxes()) {
    written = written || e.text == description::kMNMCreationSuccessful;
  }
  if (!written) {
    std::cerr << "zarfileio: no MNM file was written\n";
    return kExitFileProblem;
  }
  if (unused > 0) std::cerr << "zarfileio: warning: " << unused << " pick(s) were not used\n";
  const std::string file = ChosenFile(user);
  WarnAboutRepeatedNodes(file);
  session->Commit();
  std::cout << "wrote " << file << "\n";
  return kExitOk;
}

int MnmSteps() {
  std::cout << "step  PNX    pick                                          optional\n";
  for (int step = 0; step <= kLastMarkerStep; ++step) {
    const MarkerStep plain = StandardMarkerStep(step, false, false);
    const MarkerStep stick = StandardMarkerStep(step, true, true);
    const bool variants = plain.markers[0].pnx_name != stick.markers[0].pnx_name;
    for (const MarkerStep* markers : {&stick, &plain}) {
      if (markers == &plain && !variants) break;
      for (std::size_t i = 0; i < markers->count; ++i) {
        std::cout << std::left << std::setw(6) << step << std::setw(7)
                  << markers->markers[i].pnx_name << std::setw(46)
                  << markers->markers[i].description << std::setw(variants ? 10 : 0)
                  << (SkipAllowed(step) ? "yes" : "no");
        if (variants)
          std::cout << (markers == &stick ? "with a wrist stick" : "without a wrist stick");
        std::cout << "\n";
      }
    }
  }
  return kExitOk;
}

}  // namespace

void AddMnmCommands(CLI::App& app) {
  CLI::App* group = app.add_subcommand("mnm", "Create MNM marker-name mapping files");
  UseOptionFlagsHelp(*group);
  group->require_subcommand(1);
  auto flags = std::make_shared<MnmCreateFlags>();
  CLI::App* create = group->add_subcommand(
      "create",
      "Run the plug-in's MNM creator on a scene document of marker nodes. Each PICK "
      "answers the marker asked next (see mnm steps): a node name picks that node; skip "
      "leaves an optional marker out; back returns to the step before; again asks the "
      "same marker again; abort stops. The mapping is written to --out (\".mnm\" is "
      "added to a name without an extension) and the panel then converts with it.");
  SetExamples(*create,
              {"zarfileio mnm create --scene cloud.json --out body.mnm -- LFHD LBHD RBHD ...",
               "zarfileio mnm create --scene cloud.json --out body.mnm --left-stick -- ..."});
  AddPluginOption(*create, flags->session.plugin);
  create->add_option("--scene", flags->session.scene, "Scene document with the marker nodes")
      ->required()
      ->type_name("FILE");
  create->add_option("--out", flags->out, "The MNM file to write")->required()->type_name("FILE");
  create->add_flag("--left-stick", flags->leftStick,
                   "A left wrist stick is used (step 10 asks for LWRE and LWRI)");
  create->add_flag("--right-stick", flags->rightStick,
                   "A right wrist stick is used (step 15 asks for RWRE and RWRI)");
  create->add_option("picks", flags->picks, "Picks, in order");
  create->callback([flags] { FinishCommand(MnmCreate(*flags)); });

  CLI::App* steps = group->add_subcommand(
      "steps",
      "List the MNM creator's 43 steps in order: the PNX name, the marker to "
      "pick, whether it may be skipped, and the wrist-stick variants of steps "
      "10 and 15.");
  SetExamples(*steps, {"zarfileio mnm steps"});
  steps->callback([] { FinishCommand(MnmSteps()); });
}

}  // namespace zar::cli
