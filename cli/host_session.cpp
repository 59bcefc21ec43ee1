#include "cli/host_session.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "cli/commands.h"
#include "cli/dialog_flags.h"
#include "cli/file_report.h"
#include "cli/input_file.h"
#include "modra/registry.h"
#include "modra/scene_document.h"
#include "plugin_description/resource_ids.h"
#include "sdk/modra_sdk.h"

namespace zar::cli {

namespace {

using modra::host::ShownEvent;

// Template id of the About box, which is closed with 1 or 0 without refusing anything.
constexpr int kAboutDialog = 114;
// The OK button of the translators' option dialogs.
// Why the window manager refuses an entry in a disabled control.

// Symbolic links followed: a link to a missing file names a file still to be made.
bool PathExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

// The problem with a document read whole into memory (the scene or the registry), or "".
// `unreadableIsAProblem` false lets a regular file of a sane size through even when it cannot
// be read (the registry then keeps its defaults and says so).
std::string DocumentProblem(const std::string& path, bool unreadableIsAProblem) {
  if (!PathExists(path)) return "";
  const std::string problem = CheckInputFile(path, DocumentSizeBound());
  if (problem.empty() || unreadableIsAProblem) return problem;
  std::error_code ec;
  const bool regular = std::filesystem::is_regular_file(path, ec);
  const std::uintmax_t size = regular ? std::filesystem::file_size(path, ec) : 0;
  return regular && !ec && size <= DocumentSizeBound() ? "" : problem;
}

// The system's reason why `path` cannot be written, or "" when none is seen.
std::string WriteReason(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return std::strerror(EISDIR);
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) folder = ".";
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
  if (PathExists(path) && ::access(path.c_str(), W_OK) != 0) return std::strerror(errno);
  return "";
}

}  // namespace

void AddSessionOptions(CLI::App& command, SessionOptions& options) {
  command.add_option("--scene", options.scene, "Scene document (created when missing)")
      ->required()
      ->type_name("FILE");
  AddPluginOption(command, options.plugin);
  CLI::Option* no_prompts =
      command.add_flag("--no-prompts", options.noPrompts,
                       "Take no option flags: use the built-in options, not the remembered ones");
  command
      .add_flag("--defaults", options.defaults,
                "Start from the built-in options instead of the remembered ones (not with "
                "--no-prompts, which always does)")
      ->excludes(no_prompts);
}

bool NotARegularFile(const std::string& path) {
  std::error_code ec;
  if (!PathExists(path) || std::filesystem::is_regular_file(path, ec)) return false;
  std::cerr << "zarfileio: " << path << ": " << CheckInputFile(path) << "\n";
  return true;
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
  // Both documents are read whole: a device, a FIFO or a huge file is refused before that.
  if (const std::string problem = DocumentProblem(options.scene, true); !problem.empty()) {
    error = options.scene + ": " + problem;
    return nullptr;
  }
  const std::string registry = modra::host::RegistryStore::Instance().Path();
  if (const std::string problem = DocumentProblem(registry, false); !problem.empty()) {
    error = "registry file " + registry + ": " + problem;
    return nullptr;
  }
  std::unique_ptr<HostSession> session(new HostSession());
  session->options_ = options;
  if (options.storeOnSuccessOnly) session->stored_ = StoredOptions::Take();
  if (options.defaults && !options.noPrompts && !options.optionClass.empty()) {
    StoredOptions::Forget(options.optionClass);
  }
  session->plugin_ = LoadedPlugin::Load(PluginPath(options.plugin), error);
  if (session->plugin_ == nullptr) return nullptr;
  session->host_ = std::make_unique<modra::host::Host>();
  // A command without a scene document (pnx convert) holds no lock: its workers run beside it.
  if (!options.scene.empty()) {
    session->documentLock_ = modra::host::LockSceneDocument(options.scene);
  }
  if (PathExists(options.scene)) {
    auto scene = std::make_unique<modra::host::Scene>();
    error = modra::host::LoadSceneDocument(options.scene, *scene);
    if (!error.empty()) return nullptr;
    session->host_->ReplaceScene(std::move(scene));
  } else {
    session->newScene_ = true;
  }
  HostSession* self = session.get();
  session->user().SetWatcher([self](const ShownEvent& event) { self->OnShown(event); });
  session->host().SetProgressWatcher(
      [self](const modra::host::Host::Progress& progress) { self->OnProgress(progress); });
  return session;
}

HostSession::~HostSession() {
  if (host_) {
    user().SetWatcher(nullptr);
    host_->SetProgressWatcher(nullptr);
  }
  progressBar_.End();
  // The host goes first, while the plug-in it may still call is loaded.
  host_.reset();
  plugin_.reset();
  // The host keeps what an options dialog saved on OK even when the import then fails; this
  // tool stores nothing for a failed run, and says so when that undid anything.
  if (options_.storeOnSuccessOnly && !committed_ && stored_.Restore()) {
    std::cerr << "zarfileio: options not stored: the run failed, so the stored options are put "
                 "back as they were before it (the host would keep what the options dialog "
                 "saved on OK)\n";
  }
  const std::string problem = modra::host::RegistryStore::Instance().lastProblem();
  if (!problem.empty()) {
    std::cerr << "zarfileio: warning: the remembered options could not be read or saved ("
              << problem << ")\n";
  }
}

void HostSession::OnShown(const ShownEvent& event) {
  if (event.outcome == modra::host::Outcome::kRefused) {
    if (event.refusal == modra::host::Refusal::kDisabled) {
      refusedControls_.push_back(event.number);
    } else {
      actionUnapplied_ = true;
    }
    if (host_->windows().InModal()) {
      // The other entries are still made, so that every one the dialog refuses is known, but
      // OK is not pressed: the dialog is cancelled when the entries run out.
      std::vector<modra::host::UserAction> rest;
      for (; !user().Empty(); user().Pop()) rest.push_back(*user().Front());
      for (modra::host::UserAction& action : rest) {
        const bool ok = action.kind == modra::host::UserAction::Kind::kPress &&
                        action.control == resource::kOkButton;
        if (!ok) user().Enqueue(std::move(action));
      }
    } else {
      user().ClearQueue();
    }
  }
  if (observer_) observer_(event);
}

void HostSession::OnProgress(const modra::host::Host::Progress& progress) {
  if (progress.active) {
    progressBar_.Show(progress.title, progress.percent);
  } else {
    progressBar_.End();
  }
  if (progressObserver_) progressObserver_(progress);
}

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
  errno = 0;
  const int result = host_->RunImport(*descriptor, file, options_.noPrompts);
  translatorError_ = errno;
  return result;
}

int HostSession::RunExport(const std::string& className, const std::string& file,
                           std::uint32_t hostOptions) {
  modra::ClassDesc* descriptor = plugin_->Find(className, modra::kSceneExportClass);
  if (descriptor == nullptr) return -1;
  errno = 0;
  const int result = host_->RunExport(*descriptor, file, options_.noPrompts, hostOptions);
  translatorError_ = errno;
  return result;
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
    } else if (e.outcome == modra::host::Outcome::kRefused &&
               e.refusal != modra::host::Refusal::kDisabled) {
      out << "zarfileio: " << e.text << "\n";
    }
  }
}

std::string HostSession::SaveScene() {
  int error = 0;
  std::string problem = modra::host::SaveSceneDocument(host_->scene(), options_.scene, error);
  if (const std::string reason = WriteFailureReason(error); !reason.empty())
    problem.append(": ").append(reason);
  return problem;
}

int HostSession::Finish(int translatorResult, const DialogEntries* entries,
                        const SessionFiles& files) {
  // The remembered options the accepted dialog used, as it showed them when it opened.
  if (entries != nullptr) {
    const modra::host::DialogState* opened = nullptr;
    for (const ShownEvent& e : user().shown()) {
      if (e.dialog.templateId != entries->table().templateId) continue;
      if (e.kind == ShownEvent::Kind::kDialogOpened) opened = &e.dialog;
      if (e.kind != ShownEvent::Kind::kDialogClosed || e.number != 1 || opened == nullptr) {
        continue;
      }
      if (const std::string used = entries->Remembered(*opened); !used.empty()) {
        std::cerr << "zarfileio: using remembered options: " << used
                  << " (options reset clears them)\n";
      }
      break;
    }
  }
  PrintShown(std::cerr);
  if (translatorResult < 0) {
    std::cerr << "zarfileio: the plug-in has no such translator\n";
    return kExitFileProblem;
  }
  if (!refusedControls_.empty()) {
    std::cerr << "zarfileio: "
              << (entries != nullptr ? entries->Refusal(refusedControls_)
                                     : "an entry was refused: its control is disabled")
              << "; nothing was done\n";
    return kExitUsage;
  }
  if (actionUnapplied_) {
    std::cerr << "zarfileio: the dialog did not take an entry (see above); nothing was done\n";
    return kExitUsage;
  }
  if (DialogRefused()) {
    std::cerr << "zarfileio: the options dialog did not accept the options; nothing was done\n";
    return kExitUsage;
  }
  if (translatorResult == 0) {
    if (!files.read.empty()) {
      if (const std::string reason = SystemReason(files.read); !reason.empty())
        std::cerr << "zarfileio: " << files.read << ": " << reason << "\n";
    } else if (!files.written.empty()) {
      // What the folder and file allow first; else what the failed write was told (a full
      // disk, a file size limit).
      std::string reason = WriteReason(files.written);
      if (reason.empty()) reason = WriteFailureReason(translatorError_);
      if (!reason.empty()) std::cerr << "zarfileio: " << files.written << ": " << reason << "\n";
    }
    return kExitFileProblem;
  }
  if (files.saveScene) {
    if (const std::string problem = SaveScene(); !problem.empty()) {
      std::cerr << "zarfileio: " << problem << "\n";
      return kExitFileProblem;
    }
  }
  Commit();
  if (!files.written.empty()) std::cout << "wrote " << files.written << "\n";
  return kExitOk;
}

}  // namespace zar::cli
