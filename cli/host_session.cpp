#include "cli/host_session.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#include "cli/commands.h"
#include "modra/scene_document.h"
#include "sdk/modra_sdk.h"

namespace zar::cli {

namespace {

using modra::host::ShownEvent;
using modra::host::UserAction;

// Template id of the About box, which is closed with 1 or 0 without refusing anything.
constexpr int kAboutDialog = 114;
// The OK button of the translators' option dialogs.
constexpr int kOkButton = 1097;

}  // namespace

void AddSessionOptions(CLI::App& command, SessionOptions& options) {
  command.add_option("--scene", options.scene, "Scene document (created when missing)")->required();
  AddPluginOption(command, options.plugin);
  command.add_flag("--no-prompts", options.noPrompts,
                   "Run without the options dialog: the translator uses the options it holds "
                   "when loaded (its defaults), not the remembered ones");
}

bool EntriesRefusedWithoutPrompts(const SessionOptions& options, bool anyDialogEntry) {
  if (!options.noPrompts || !anyDialogEntry) return false;
  std::cerr << "zarfileio: dialog entries cannot be given with --no-prompts\n";
  return true;
}

std::unique_ptr<HostSession> HostSession::OpenOrReport(const SessionOptions& options) {
  std::string error;
  std::unique_ptr<HostSession> session = Open(options, error);
  if (session == nullptr) std::cerr << "zarfileio: " << error << "\n";
  return session;
}

std::unique_ptr<HostSession> HostSession::Open(const SessionOptions& options, std::string& error) {
  std::unique_ptr<HostSession> session(new HostSession());
  session->options_ = options;
  session->plugin_ = LoadedPlugin::Load(PluginPath(options.plugin), error);
  if (session->plugin_ == nullptr) return nullptr;
  session->host_ = std::make_unique<modra::host::Host>();
  session->documentLock_ = modra::host::LockSceneDocument(options.scene);
  std::error_code ec;
  if (std::filesystem::exists(options.scene, ec)) {
    auto scene = std::make_unique<modra::host::Scene>();
    error = modra::host::LoadSceneDocument(options.scene, *scene);
    if (!error.empty()) return nullptr;
    session->host_->ReplaceScene(std::move(scene));
  } else {
    session->newScene_ = true;
  }
  return session;
}

HostSession::~HostSession() {
  // The host goes first, while the plug-in it may still call is loaded.
  host_.reset();
  plugin_.reset();
}

void HostSession::FillEdit(int control, const std::string& text) { user().FillEdit(control, text); }

void HostSession::Tick(int control, bool checked) { user().Tick(control, checked); }

void HostSession::Press(int control) { user().Press(control); }

void HostSession::PressOk() { user().Press(kOkButton); }

bool HostSession::SelectNode(const std::string& name) {
  modra::host::Node* node = scene().FindByName(name);
  if (node == nullptr) return false;
  scene().Select(node, selectionChosen_);
  selectionChosen_ = true;
  return true;
}

int HostSession::RunImport(const std::string& className, const std::string& file) {
  modra::ClassDesc* descriptor = plugin_->Find(className, modra::kSceneImportClass);
  if (descriptor == nullptr) return -1;
  return host_->RunImport(*descriptor, file, options_.noPrompts);
}

int HostSession::RunExport(const std::string& className, const std::string& file,
                           std::uint32_t hostOptions) {
  modra::ClassDesc* descriptor = plugin_->Find(className, modra::kSceneExportClass);
  if (descriptor == nullptr) return -1;
  return host_->RunExport(*descriptor, file, options_.noPrompts, hostOptions);
}

bool HostSession::DialogRefused() const {
  for (const ShownEvent& e : host_->user().shown()) {
    if (e.kind == ShownEvent::Kind::kDialogClosed && e.number == 0 &&
        e.dialog.templateId != kAboutDialog) {
      return true;
    }
  }
  return false;
}

void HostSession::PrintShown(std::ostream& out) const {
  for (const ShownEvent& e : host_->user().shown()) {
    if (e.kind == ShownEvent::Kind::kMessageBox) {
      out << e.caption << ": " << e.text << "\n";
    } else if (e.kind == ShownEvent::Kind::kNote && e.text.rfind("could not ", 0) == 0) {
      out << "zarfileio: " << e.text << "\n";
    }
  }
}

std::string HostSession::SaveScene() {
  return modra::host::SaveSceneDocument(host_->scene(), options_.scene);
}

int HostSession::Finish(int translatorResult) {
  PrintShown(std::cerr);
  if (translatorResult < 0) {
    std::cerr << "zarfileio: the plug-in has no such translator\n";
    return kExitFileProblem;
  }
  if (DialogRefused()) {
    std::cerr << "zarfileio: the options dialog did not accept the options; nothing was done\n";
    return kExitUsage;
  }
  if (translatorResult == 0) return kExitFileProblem;
  if (const std::string problem = SaveScene(); !problem.empty()) {
    std::cerr << "zarfileio: " << problem << "\n";
    return kExitFileProblem;
  }
  return kExitOk;
}

}  // namespace zar::cli
