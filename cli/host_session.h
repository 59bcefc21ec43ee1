#ifndef ZAR_CLI_HOST_SESSION_H_
#define ZAR_CLI_HOST_SESSION_H_

// One run of the stand-in host for a command that drives the plug-in: the registry (from
// ZARFILEIO_REGISTRY, see modra/registry.h), the scene document, the plug-in loaded as the host
// loads it, the scripted user's entries in an options dialog, the translator run through its
// descriptor, what the user was shown, and the scene saved back.
//
// A typical command:
//
//   if (NotARegularFile(file)) return kExitFileProblem;
//   auto session = HostSession::OpenOrReport(options);
//   if (!session) return kExitFileProblem;
//   entries.Queue(session->user());       // dialog entries, in order, then OK
//   return session->Finish(session->RunImport("ImportHTR", file), &entries, {file, scene});
//
// With `storeOnSuccessOnly` the run changes no stored option unless it succeeds: the options as
// they were when the session opened are put back when it ends without Commit (Finish commits a
// success).

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/plugin_loader.h"
#include "cli/progress_bar.h"
#include "cli/stored_options.h"
#include "modra/file_lock.h"
#include "modra/host.h"

namespace zar::cli {

// The flags every plug-in command shares.
struct SessionOptions {
  std::string scene;   // the scene document (created when missing)
  std::string plugin;  // the plug-in library ("" for the default, see PluginPath)
  bool noPrompts = false;
  bool defaults = false;    // start from the built-in options instead of the remembered ones
  std::string optionClass;  // the class whose remembered options --defaults sets aside
  bool storeOnSuccessOnly = false;  // a run that fails or is refused changes no stored option
};

// Adds --scene (required), --plugin, --no-prompts and --defaults to `command`.
void AddSessionOptions(CLI::App& command, SessionOptions& options);

class DialogEntries;

// The files a translator command reads and writes, for its messages.
struct SessionFiles {
  std::string read;       // after a failure, the system's reason why it cannot be read follows
  std::string written;    // named on success; after a failure, the reason it cannot be written
  bool saveScene = true;  // false when the run only reads the scene
};

// True, after saying so on stderr, when `path` names something other than a regular file (a
// folder, a device, a FIFO): nothing may open it. A missing path is left to the plug-in.
bool NotARegularFile(const std::string& path);

// True, after saying so on stderr, when dialog entries come with --no-prompts (no dialog
// opens to take them).
bool EntriesRefusedWithoutPrompts(const SessionOptions& options, bool anyDialogEntry);

class HostSession {
 public:
  // The host started with the scene document at `options.scene` (a new scene when no file is
  // there) and the plug-in loaded. Null and the problem in `error` when the document cannot be
  // read or the plug-in cannot be loaded.
  static std::unique_ptr<HostSession> Open(const SessionOptions& options, std::string& error);
  // Open for a command: the problem, if any, is printed to stderr and the answer is null.
  static std::unique_ptr<HostSession> OpenOrReport(const SessionOptions& options);
  ~HostSession();
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;

  modra::host::Host& host() { return *host_; }
  modra::host::Scene& scene() { return host_->scene(); }
  modra::host::ScriptedUser& user() { return host_->user(); }
  LoadedPlugin& plugin() { return *plugin_; }
  const SessionOptions& options() const { return options_; }
  // True when the scene document did not exist yet.
  bool newScene() const { return newScene_; }

  // Selects the node named exactly `name`; false when no node has that name. The first call
  // replaces the selection the scene document held, later calls add to it, in order.
  bool SelectNode(const std::string& name);

  // Runs the importer or exporter of class `className` on `file` as the host's import and
  // export commands do (prompts suppressed with --no-prompts). Answers the translator's result,
  // or −1 when the plug-in has no such class.
  int RunImport(const std::string& className, const std::string& file);
  int RunExport(const std::string& className, const std::string& file,
                std::uint32_t hostOptions = 0);

  // True when an options dialog was closed without being accepted: the entries were refused
  // (its message was shown) or the user had nothing more to do in it.
  bool DialogRefused() const;
  // Prints every message box the user was shown, "<caption>: <text>", and every note of the
  // host about an entry it could not make, one per line.
  void PrintShown(std::ostream& out) const;

  // Writes the scene back to its document; "" or the problem.
  std::string SaveScene();

  // The usual end of a translator command: prints the remembered options the dialog used that
  // `entries` did not set, and what the user was shown, to stderr; then answers kExitUsage
  // when the options dialog refused an entry (naming the flags) or the entries, kExitFileProblem
  // when the translator failed (−1 or 0) or the scene cannot be saved, else saves the scene
  // (unless files.saveScene is false), commits the stored options, prints
  // "wrote <files.written>" and answers kExitOk.
  int Finish(int translatorResult, const DialogEntries* entries, const SessionFiles& files);

  // The controls of the entries refused because they were disabled, in order. In an options
  // dialog the other entries are still made but OK is not pressed, so the dialog is cancelled;
  // elsewhere the user stops there (nothing more of the script is done).
  const std::vector<int>& refusedControls() const { return refusedControls_; }
  // Whether a scripted action could not be applied for another reason (no such control, not an
  // edit box, ...): the tool asked for something the dialog does not offer. The run then stops
  // as for a disabled control, and fails.
  bool actionUnapplied() const { return actionUnapplied_; }
  // Called with each event the user is shown, as it happens.
  void Observe(std::function<void(const modra::host::ShownEvent&)> observer) {
    observer_ = std::move(observer);
  }
  // Keeps the options the run stored (otherwise they are put back when the session ends).
  void Commit() { committed_ = true; }
  // The host's progress display is drawn as a bar on stderr (see progress_bar.h) unless this is
  // called with false.
  void ShowProgress(bool shown) { progressBar_ = ProgressBar(shown); }
  // Called with the progress display's state each time it opens, changes or ends.
  void ObserveProgress(std::function<void(const modra::host::Host::Progress&)> observer) {
    progressObserver_ = std::move(observer);
  }

 private:
  HostSession() = default;
  void OnShown(const modra::host::ShownEvent& event);
  void OnProgress(const modra::host::Host::Progress& progress);

  SessionOptions options_;
  StoredOptions stored_;
  bool committed_ = false;
  std::vector<int> refusedControls_;
  bool actionUnapplied_ = false;
  std::function<void(const modra::host::ShownEvent&)> observer_;
  ProgressBar progressBar_;
  std::function<void(const modra::host::Host::Progress&)> progressObserver_;
  bool newScene_ = false;
  int translatorError_ = 0;       // errno as the last translator run left it (the system's reason)
  bool selectionChosen_ = false;  // SelectNode has replaced the document's selection
  // The scene document, locked from its load to its save.
  std::unique_ptr<modra::host::FileLock> documentLock_;
  // Declared first so that it is destroyed last: the host may still call plug-in objects.
  std::unique_ptr<LoadedPlugin> plugin_;
  std::unique_ptr<modra::host::Host> host_;
};

}  // namespace zar::cli

#endif  // ZAR_CLI_HOST_SESSION_H_
