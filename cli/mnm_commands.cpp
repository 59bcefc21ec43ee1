// zarfileio mnm create --scene S --out F [--left-stick] [--right-stick] PICK...
//
// Runs the plug-in's MNM creator (the "Create" button of the utilities panel) on a scene
// document. The wrist-stick questions are answered by the flags; each PICK is what the user
// does for the marker asked next: a node name picks that node in the viewports, "skip",
// "back" and "abort" press the creator's buttons, "again" right-clicks (the host ends the pick
// and the same marker is asked again). The save dialog is answered with --out.

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "cli/commands.h"
#include "cli/host_session.h"
#include "frame/resource_ids.h"

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

int MnmCreate(const MnmCreateFlags& flags) {
  std::error_code ec;
  if (!std::filesystem::exists(flags.session.scene, ec)) {
    std::cerr << "zarfileio: no scene document " << flags.session.scene << "\n";
    return kExitFileProblem;
  }
  const std::unique_ptr<HostSession> session = HostSession::OpenOrReport(flags.session);
  if (session == nullptr) return kExitFileProblem;
  modra::ClassDesc* panel = session->plugin().Find("ZARUtilities", modra::kUtilityClass);
  if (panel == nullptr || session->host().OpenUtility(*panel) == nullptr) {
    std::cerr << "zarfileio: the plug-in's utilities panel could not be opened\n";
    return kExitFileProblem;
  }
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
  const std::string out = std::filesystem::absolute(flags.out, abs_error).string();
  user.ChooseFile(out);
  session->host().ProcessActions();

  // What the user met on the way: picks that hit nothing, buttons that were disabled, steps
  // left without a pick because the picks ran out.
  int ran_out = 0;
  for (const ShownEvent& e : user.shown()) {
    if (e.kind == ShownEvent::Kind::kPick && e.detail != "picked") {
      std::cerr << "zarfileio: pick \"" << e.text << "\": " << e.detail << "\n";
    } else if (e.kind == ShownEvent::Kind::kNote && e.text.rfind("nothing left to pick", 0) == 0) {
      ++ran_out;
    }
  }
  session->PrintShown(std::cerr);
  if (ran_out > 0) {
    std::cerr << "zarfileio: the picks ran out; " << ran_out
              << " marker(s) were left without a node\n";
  }
  bool written = false;
  for (const ShownEvent& e : user.MessageBoxes()) {
    written = written || e.text == "MNM File Creation Successful";
  }
  if (!user.Empty()) {
    std::cerr << "zarfileio: " << user.Pending() << " pick(s) were not used\n";
  }
  session->host().CloseUtility();
  if (!written) {
    std::cerr << "zarfileio: no MNM file was written\n";
    return kExitFileProblem;
  }
  std::cout << out << "\n";
  return kExitOk;
}

}  // namespace

void AddMnmCommands(CLI::App& app) {
  CLI::App* group = app.add_subcommand("mnm", "Create MNM marker-name mapping files");
  group->require_subcommand(1);
  auto flags = std::make_shared<MnmCreateFlags>();
  CLI::App* create = group->add_subcommand(
      "create",
      "Run the plug-in's MNM creator on a scene document: PICK is, for each marker asked in "
      "turn, a node name to pick, or skip, back, abort or again (the host ends the pick and the "
      "marker is asked again). The file is saved to --out; the panel then uses it.");
  AddPluginOption(*create, flags->session.plugin);
  create->add_option("--scene", flags->session.scene, "Scene document with the marker nodes")
      ->required();
  create->add_option("--out", flags->out, "The MNM file to write")->required();
  create->add_flag("--left-stick", flags->leftStick, "Answer Yes: a left wrist stick is used");
  create->add_flag("--right-stick", flags->rightStick, "Answer Yes: a right wrist stick is used");
  create->add_option("picks", flags->picks, "Picks, in order");
  create->callback([flags] { FinishCommand(MnmCreate(*flags)); });
}

}  // namespace zar::cli
