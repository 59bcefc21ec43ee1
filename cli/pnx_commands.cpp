// zarfileio pnx convert TRC... [page entries]
//
// Converts TRC files to PNX files with the plug-in's utilities panel: the panel is opened in
// the stand-in host, the flags become the user's entries on its page (check boxes, offsets,
// the MNM file and output folder chosen with its Browse buttons), Convert is pressed and the
// TRC files are chosen in its open-file dialog. Entries left out keep what the page shows (the
// settings remembered in the registry); the page's settings are saved when the panel closes.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/file_report.h"
#include "cli/host_session.h"
#include "frame/resource_ids.h"

namespace zar::cli {
namespace {

namespace id = resource;
using modra::host::ShownEvent;

struct PnxConvertFlags {
  std::string plugin;
  std::vector<std::string> files;
  std::string mnm;
  bool filter = false;
  bool noFilter = false;
  std::string out;
  bool batch = false;
  bool trcName = false;
  bool askName = false;
  std::vector<double> offset;
  bool noOffset = false;
  bool trcSpace = false;
  bool modraSpace = false;
  bool quiet = false;
};

std::string Absolute(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

std::string NumberText(double value) {
  std::ostringstream text;
  text.precision(17);
  text << value;
  return text.str();
}

// The page control `id` as it is now.
modra::host::ControlState PageControl(HostSession& session, int control) {
  const auto& pages = session.host().panelPages();
  if (pages.empty()) return {};
  const modra::host::DialogState state = session.host().windows().Snapshot(pages.front());
  const modra::host::ControlState* found = state.Find(control);
  return found != nullptr ? *found : modra::host::ControlState{};
}

// What the last file dialog or folder picker said about the user's choice.
std::string LastChoiceOutcome(HostSession& session) {
  const auto& shown = session.user().shown();
  for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
    if (it->kind == ShownEvent::Kind::kFileDialog || it->kind == ShownEvent::Kind::kFolderDialog)
      return it->detail;
  }
  return "";
}

// A bar on stderr that follows the progress display of a batch (only on a terminal: a log
// file gets no carriage-return lines).
void WatchProgress(HostSession& session) {
  if (::isatty(STDERR_FILENO) == 0) return;
  session.host().SetProgressWatcher([](const modra::host::Host::Progress& progress) {
    const int percent = std::clamp(progress.percent, 0, 100);
    const int filled = percent * 40 / 100;
    std::cerr << '\r' << progress.title << " ["
              << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(40 - filled), ' ') << "] " << percent << '%';
    if (!progress.active) std::cerr << '\n';
    std::cerr.flush();
  });
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The problem the batch log names for `source` ("<source>: <reason>"), or "" when none.
std::string LoggedProblem(const std::vector<std::string>& log, const std::string& source) {
  for (const std::string& line : log) {
    if (line.starts_with(source + ": ")) return line.substr(source.size() + 2);
  }
  return "";
}

// Every input is checked before the panel opens: nothing is converted when one is unusable.
bool InputsReadable(const std::vector<std::string>& files) {
  bool readable = true;
  for (const std::string& file : files) {
    const std::string problem = InputProblem(file);
    if (problem.empty()) continue;
    std::cerr << "zarfileio: " << file << ": " << problem << "\n";
    readable = false;
  }
  return readable;
}

// Creates the output folder (and its parents) when it is not there yet; false after saying why
// it cannot be.
bool MakeOutputFolder(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!error && std::filesystem::is_directory(folder, error)) return true;
  std::cerr << "zarfileio: " << folder
            << ": the output folder cannot be made: " << (error ? error.message() : "not a folder")
            << "\n";
  return false;
}

int PnxConvert(const PnxConvertFlags& flags) {
  if (!InputsReadable(flags.files)) return kExitFileProblem;
  if (!flags.out.empty() && !MakeOutputFolder(flags.out)) return kExitFileProblem;
  std::vector<std::string> files;
  for (const std::string& file : flags.files) files.push_back(Absolute(file));
  const bool batch = flags.batch || files.size() > 1;
  if (batch) {
    const std::filesystem::path folder = std::filesystem::path(files.front()).parent_path();
    for (const std::string& file : files) {
      if (std::filesystem::path(file).parent_path() != folder) {
        std::cerr << "zarfileio: the TRC files of a batch must be in one folder\n";
        return kExitUsage;
      }
    }
  }

  SessionOptions options;
  options.plugin = flags.plugin;
  const std::unique_ptr<HostSession> session = HostSession::OpenOrReport(options);
  if (session == nullptr) return kExitFileProblem;
  modra::ClassDesc* panel = session->plugin().Find("ZARUtilities", modra::kUtilityClass);
  if (panel == nullptr || session->host().OpenUtility(*panel) == nullptr ||
      session->host().panelPages().empty()) {
    std::cerr << "zarfileio: the plug-in's utilities panel could not be opened\n";
    return kExitFileProblem;
  }
  modra::host::ScriptedUser& user = session->user();
  constexpr int kPage = id::kConvertPanelPage;

  // The browse buttons first: a choice the dialog refuses ends the command.
  if (!flags.mnm.empty()) {
    const std::string mnm = Absolute(flags.mnm);
    user.Press(id::kMNMBrowseButton, kPage).ChooseFile(mnm);
    session->host().ProcessActions();
    if (PageControl(*session, id::kMNMPathEdit).text != mnm) {
      std::cerr << "zarfileio: the MNM file was not accepted (" << LastChoiceOutcome(*session)
                << ")\n";
      return kExitFileProblem;
    }
  }
  if (!flags.out.empty()) {
    const std::string out = Absolute(flags.out);
    user.Press(id::kOutputBrowseButton, kPage).ChooseFolder(out);
    session->host().ProcessActions();
    if (PageControl(*session, id::kOutputFolderEdit).text != out) {
      std::cerr << "zarfileio: the output folder was not accepted (" << LastChoiceOutcome(*session)
                << ")\n";
      return kExitFileProblem;
    }
  }
  // "Use TRC Filename" can be changed only while "Batch File Conversion" is off.
  user.Tick(id::kBatchCheck, false, kPage);
  user.Tick(id::kTRCNameCheck, !flags.askName, kPage);
  user.Tick(id::kBatchCheck, batch, kPage);
  if (flags.noFilter || flags.filter || !flags.mnm.empty()) {
    user.Tick(id::kFilterCheck, !flags.noFilter, kPage);
  }
  if (flags.noOffset) user.Tick(id::kOffsetEnableCheck, false, kPage);
  if (!flags.offset.empty()) {
    user.Tick(id::kOffsetEnableCheck, true, kPage);
    if (flags.trcSpace) user.Press(id::kTRCSpaceRadio, kPage);
    if (flags.modraSpace) user.Press(id::kModraSpaceRadio, kPage);
    const int edits[3] = {id::kOffsetXEdit, id::kOffsetYEdit, id::kOffsetZEdit};
    for (int i = 0; i < 3; ++i) {
      user.FillEdit(edits[i], NumberText(flags.offset[static_cast<std::size_t>(i)]), kPage);
    }
  }
  session->host().ProcessActions();

  // Where each PNX file goes, and the choices the conversion will ask for.
  const std::string output_folder = PageControl(*session, id::kOutputFolderEdit).text;
  std::vector<std::string> targets;
  for (const std::string& file : files) {
    const std::filesystem::path source(file);
    if (flags.askName) {
      const std::filesystem::path folder =
          flags.out.empty() ? source.parent_path() : std::filesystem::path(Absolute(flags.out));
      targets.push_back((folder / source.stem()).string() + ".pnx");
    } else if (batch) {
      targets.push_back((std::filesystem::path(output_folder) / source.stem()).string() + ".pnx");
    } else {
      targets.push_back(file.size() >= 3 ? file.substr(0, file.size() - 3) + "pnx" : file);
    }
  }
  user.Press(id::kConvertButton, kPage).ChooseFiles(files);
  if (flags.askName) {
    for (const std::string& target : targets) user.ChooseFile(target);
  }
  // A PNX file counts as written when it is new or its time changed.
  std::map<std::string, std::filesystem::file_time_type> before;
  for (const std::string& target : targets) {
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(target, ec);
    if (!ec) before[target] = time;
  }
  if (batch && !flags.quiet) WatchProgress(*session);
  session->host().ProcessActions();
  session->host().SetProgressWatcher(nullptr);
  session->PrintShown(std::cerr);

  // A message (not a question such as the confirmation of replacing a file) means a problem.
  int status = kExitOk;
  for (const ShownEvent& e : session->user().MessageBoxes()) {
    if (e.detail == "ok") status = kExitFileProblem;
  }
  if (session->host().progress().begun == 0) status = kExitFileProblem;
  // The log tells what each file of a batch came to.
  std::vector<std::string> log;
  if (batch) log = ReadLines((std::filesystem::path(output_folder) / "ConvertPNXLog.txt").string());
  std::vector<std::string> failures;
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(targets[i], ec);
    const auto old = before.find(targets[i]);
    if (!ec && (old == before.end() || old->second != written)) {
      std::cout << files[i] << " -> " << targets[i] << "\n";
    } else {
      const std::string problem = LoggedProblem(log, files[i]);
      failures.push_back(files[i] + ": " + (problem.empty() ? "not converted" : problem));
      status = kExitFileProblem;
    }
  }
  if (batch) {
    std::cerr << files.size() - failures.size() << " converted, " << failures.size() << " failed"
              << (failures.empty() ? "\n" : ":\n");
    for (const std::string& failure : failures) std::cerr << "  " << failure << "\n";
  } else {
    for (const std::string& failure : failures) std::cerr << "zarfileio: " << failure << "\n";
  }
  session->host().CloseUtility();
  return status;
}

}  // namespace

void AddPnxCommands(CLI::App& app) {
  CLI::App* group = app.add_subcommand("pnx", "Convert TRC files to PNX marker files");
  group->require_subcommand(1);
  auto flags = std::make_shared<PnxConvertFlags>();
  CLI::App* convert = group->add_subcommand(
      "convert",
      "Convert TRC files to PNX files with the plug-in's utilities panel. Several files (or "
      "--batch) make a batch: the PNX files and ConvertPNXLog.txt go to the output folder "
      "(made when missing), and the batch ends with a summary of the files converted and those "
      "that failed, with the reason. One file alone gets its PNX file beside it. Prints 'TRC -> "
      "PNX' for each file written. Flags left out keep the panel's remembered settings; the "
      "settings are saved when the command ends.");
  SetExamples(*convert, {"zarfileio pnx convert walk.trc --no-filter",
                         "zarfileio pnx convert takes/*.trc --mnm body.mnm --out pnx"});
  convert->add_option("trc", flags->files, "TRC files (a batch takes files of one folder)")
      ->required();
  AddPluginOption(*convert, flags->plugin);
  convert->add_option("--mnm", flags->mnm,
                      "MNM mapping file (turns the filter on unless "
                      "--no-filter)");
  CLI::Option* filter =
      convert->add_flag("--filter", flags->filter, "Use MNM Filter File: rename and select");
  convert->add_flag("--no-filter", flags->noFilter, "Keep every marker under its own name")
      ->excludes(filter);
  convert->add_option("--out", flags->out, "PNX output folder (made when missing)");
  convert->add_flag("--batch", flags->batch, "Batch File Conversion, also for a single file");
  CLI::Option* trc_name = convert->add_flag("--trc-name", flags->trcName,
                                            "Name each PNX file after its TRC file (the default)");
  convert
      ->add_flag("--ask-name", flags->askName,
                 "Name each PNX file by hand, as <out or the TRC's folder>/<name>.pnx")
      ->excludes(trc_name);
  CLI::Option* offset = convert
                            ->add_option("--offset", flags->offset,
                                         "Translation offset X Y Z, added to every position")
                            ->expected(3);
  convert->add_flag("--no-offset", flags->noOffset, "No translation offset")->excludes(offset);
  CLI::Option* trc_space =
      convert->add_flag("--trc-space", flags->trcSpace, "The offset is in TRC axes")->needs(offset);
  convert->add_flag("--modra-space", flags->modraSpace, "The offset is in Modra axes")
      ->needs(offset)
      ->excludes(trc_space);
  convert->add_flag("--quiet", flags->quiet, "No progress bar for a batch");
  convert->callback([flags] { FinishCommand(PnxConvert(*flags)); });
}

}  // namespace zar::cli
