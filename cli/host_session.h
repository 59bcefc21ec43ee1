#ifndef ZAR_CLI_HOST_SESSION_H_
#define ZAR_CLI_HOST_SESSION_H_

// One run of the stand-in host for a command that drives the plug-in: the registry (from
// ZARFILEIO_REGISTRY, see modra/registry.h), the scene document, the plug-in loaded as the host
// loads it, the scripted user's entries in an options dialog, the translator run through its
// descriptor, what the user was shown, and the scene saved back.
//
// A typical command:
//
//   std::string error;
//   auto session = HostSession::Open(options, error);
//   if (!session) { std::cerr << "zarfileio: " << error << "\n"; return kExitFileProblem; }
//   session->Tick(1086, true);            // dialog entries, in order
//   session->FillEdit(1088, "2.5");
//   session->PressOk();
//   return session->Finish(session->RunImport("ImportHTR", file));

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "cli/plugin_loader.h"
#include "modra/file_lock.h"
#include "modra/host.h"

namespace zar::cli {

// The flags every plug-in command shares.
struct SessionOptions {
  std::string scene;   // the scene document (created when missing)
  std::string plugin;  // the plug-in library ("" for the default, see PluginPath)
  bool noPrompts = false;
};

// Adds --scene (required), --plugin and --no-prompts to `command`.
void AddSessionOptions(CLI::App& command, SessionOptions& options);

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

  // The user's entries in the next options dialog, in the order they are made.
  void FillEdit(int control, const std::string& text);
  void Tick(int control, bool checked);
  void Press(int control);
  // The dialog's OK button, pressed after the entries queued so far.
  void PressOk();

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

  // The usual end of a translator command: prints what the user was shown to stderr, then
  // answers kExitUsage when the options dialog refused the entries, kExitFileProblem when the
  // translator failed (−1 or 0) or the scene cannot be saved, else saves the scene and answers
  // kExitOk.
  int Finish(int translatorResult);

 private:
  HostSession() = default;

  SessionOptions options_;
  bool newScene_ = false;
  bool selectionChosen_ = false;  // SelectNode has replaced the document's selection
  // The scene document, locked from its load to its save.
  std::unique_ptr<modra::host::FileLock> documentLock_;
  // Declared first so that it is destroyed last: the host may still call plug-in objects.
  std::unique_ptr<LoadedPlugin> plugin_;
  std::unique_ptr<modra::host::Host> host_;
};

}  // namespace zar::cli

#endif  // ZAR_CLI_HOST_SESSION_H_
