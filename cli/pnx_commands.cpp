// zarfileio pnx convert TRC... [page entries]
//
// Converts TRC files to PNX files with the plug-in's utilities panel: the panel is opened in
// the stand-in host, the flags become the user's entries on its page (check boxes, offsets,
// the MNM file and output folder chosen with its Browse buttons), Convert is pressed and the
// TRC files are chosen in its open-file dialog. Entries left out keep what the page shows (the
// settings remembered in the registry); the page's settings are saved when the panel closes.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/file_report.h"
#include "cli/host_session.h"
#include "cli/interrupt.h"
#include "cli/parallel_jobs.h"
#include "modra/registry.h"
#include "plugin_description/plugin_texts.h"
#include "plugin_description/resource_ids.h"

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
  int jobs = DefaultJobCount();
  int cancelAfter = -1;  // the user presses Cancel after this many files (none when negative)
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

// The problem the batch log names for `source` ("<source>: <reason>": why it failed, or a
// warning about a file converted), or "" when none.
std::string LoggedProblem(const std::vector<std::string>& log, const std::string& source) {
  for (const std::string& line : log) {
    if (const std::string_view problem = description::BatchLogProblemOf(line, source);
        !problem.empty())
      return std::string(problem);
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

// An interrupt presses the progress display's Cancel: the conversion stops before its next file.
void CancelOnInterrupt(HostSession& session) {
  session.ObserveProgress(
      [&session, pressed = false](const modra::host::Host::Progress& progress) mutable {
        if (pressed || !progress.active || !Interrupted()) return;
        pressed = true;
        // Ahead of any file choice still queued, so that the next file is not begun.
        modra::host::ScriptedUser& user = session.user();
        std::vector<modra::host::UserAction> queued;
        for (; !user.Empty(); user.Pop()) queued.push_back(*user.Front());
        user.CancelProgress();
        for (modra::host::UserAction& action : queued) user.Enqueue(std::move(action));
      });
}

// How many processes convert the batch: one for a single file, for PNX files named by hand, and
// when the order of the files decides what is left (two files make one PNX file, or a PNX file
// replaces a TRC file of the batch).
int JobsForBatch(const PnxConvertFlags& flags, const std::vector<std::string>& files,
                 const std::vector<std::string>& targets, bool batch) {
  if (!batch || flags.askName || flags.jobs <= 1 || files.size() < 2) return 1;
  std::set<std::string> paths(files.begin(), files.end());
  std::set<std::pair<dev_t, ino_t>> sources;
  struct stat status = {};
  for (const std::string& file : files) {
    if (::stat(file.c_str(), &status) == 0) sources.emplace(status.st_dev, status.st_ino);
  }
  for (const std::string& target : targets) {
    if (!paths.insert(target).second) return 1;
    if (::stat(target.c_str(), &status) == 0 &&
        sources.count({status.st_dev, status.st_ino}) != 0) {
      return 1;
    }
  }
  return flags.jobs;
}

// A batch spread over worker processes. Each worker is this tool converting a run of the files
// with `--jobs 1` into a folder of its own, starting from the settings the panel was left with
// (a copy of the registry); its log and PNX files are then taken over in the order of the files,
// so that the log, the PNX files and what is printed are those of one process. The plug-in and
// the stand-in host keep process-wide state (the current host, the registry, the progress
// display), so workers are processes, not threads.
class BatchWorkers {
 public:
  BatchWorkers(HostSession& session, const std::vector<std::string>& files,
               const std::vector<std::string>& targets, const std::string& outputFolder,
               const PnxConvertFlags& flags)
      : session_(session),
        files_(files),
        targets_(targets),
        outputFolder_(outputFolder),
        flags_(flags) {}
  ~BatchWorkers() {
    std::error_code error;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, error);
  }
  BatchWorkers(const BatchWorkers&) = delete;
  BatchWorkers& operator=(const BatchWorkers&) = delete;

  // False, with nothing done, when the workers cannot have what they need (the batch then runs
  // in this process).
  bool Run(int jobs);

 private:
  // Takes over what the worker of the run starting at file `first` did; false where it stopped.
  bool TakeOver(const RunOutput& run);
  std::string WorkerFolder(std::size_t first) const {
    return (std::filesystem::path(folder_) / ("w" + std::to_string(first))).string();
  }

  HostSession& session_;
  const std::vector<std::string>& files_;
  const std::vector<std::string>& targets_;
  std::string outputFolder_;
  const PnxConvertFlags& flags_;
  std::string folder_;  // the workers' folder, inside the output folder (renames stay cheap)
  std::size_t perWorker_ = 1;
  std::size_t taken_ = 0;
  std::ofstream log_;
  ProgressBar bar_{!flags_.quiet};
  std::string title_;
};

bool BatchWorkers::Run(int jobs) {
  const std::string registry = modra::host::RegistryStore::Instance().Path();
  const std::string program = ThisProgram();
  if (program.empty() || !modra::host::RegistryStore::Instance().lastProblem().empty()) {
    return false;
  }
  folder_ =
      (std::filesystem::path(outputFolder_) / (".zarfileio-jobs-" + std::to_string(::getpid())))
          .string();
  std::error_code error;
  if (!std::filesystem::create_directory(folder_, error)) {
    folder_.clear();
    return false;
  }
  // The panel starts the batch as the user would and is cancelled at once: it writes the log's
  // header and remembers the batch's settings, which the workers start from.
  session_.user()
      .Press(resource::kConvertButton, resource::kConvertPanelPage)
      .ChooseFiles(files_)
      .CancelProgress();
  session_.host().ProcessActions();
  if (session_.host().progress().begun == 0) return true;  // the panel said why
  title_ = session_.host().progress().title;
  session_.host().CloseUtility();
  const std::string copy = (std::filesystem::path(folder_) / "registry.json").string();
  std::filesystem::copy_file(registry, copy, error);
  if (error) {
    std::cerr << "zarfileio: " << registry
              << ": the settings cannot be handed to the batch's workers: " << error.message()
              << "\n";
    return true;
  }
  log_.open((std::filesystem::path(outputFolder_) / description::kBatchLogName).string(),
            std::ios::binary | std::ios::app);
  // A batch takes at most so many files; the others are left as a single process leaves them.
  const std::size_t count = std::min(files_.size(), description::kMaxSourceFiles);
  perWorker_ = ItemsPerChild(count, jobs, 250);
  const std::size_t workers = (count + perWorker_ - 1) / perWorker_;
  RunInChildren(
      workers, jobs, 1,
      [&](std::size_t worker) {
        const std::size_t first = worker * perWorker_;
        std::vector<std::string> arguments = {program,   "pnx",     "convert",
                                              "--batch", "--quiet", "--jobs",
                                              "1",       "--out",   WorkerFolder(first)};
        if (!flags_.plugin.empty()) arguments.insert(arguments.end(), {"--plugin", flags_.plugin});
        arguments.push_back("--");
        const std::size_t last = std::min(first + perWorker_, count);
        arguments.insert(arguments.end(), files_.begin() + static_cast<std::ptrdiff_t>(first),
                         files_.begin() + static_cast<std::ptrdiff_t>(last));
        return RunProgram(arguments, {"ZARFILEIO_REGISTRY=" + copy});
      },
      [&](const RunOutput& run) { return TakeOver(run); });
  bar_.End();
  return true;
}

bool BatchWorkers::TakeOver(const RunOutput& run) {
  const std::size_t first = run.first * perWorker_;
  const std::size_t last = std::min(first + perWorker_, files_.size());
  const std::string folder = WorkerFolder(first);
  std::ifstream in((std::filesystem::path(folder) / description::kBatchLogName).string(),
                   std::ios::binary);
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The worker's header is not the batch's.
  constexpr std::string_view kEnd = description::kBatchLogLineEnd;
  std::size_t at = 0;
  for (int line = 0; line < description::kBatchLogHeaderLines && at != std::string::npos; ++line) {
    at = log.find(kEnd, at);
    if (at != std::string::npos) at += kEnd.size();
  }
  for (std::size_t i = first; i < last; ++i) {
    if (flags_.cancelAfter >= 0 && taken_ == static_cast<std::size_t>(flags_.cancelAfter)) {
      return false;
    }
    if (at == std::string::npos) break;
    const std::string done = description::BatchLogDoneLine(files_[i]) + std::string(kEnd);
    std::size_t end = at;
    // A line about the file: why it failed, or a warning before its "done" line.
    if (const std::size_t line_end = log.find(kEnd, at);
        line_end != std::string::npos &&
        !description::BatchLogProblemOf(std::string_view(log).substr(at, line_end - at), files_[i])
             .empty()) {
      end = line_end + kEnd.size();
    }
    if (log.compare(end, done.size(), done) == 0) {
      const std::filesystem::path made =
          std::filesystem::path(folder) / std::filesystem::path(targets_[i]).filename();
      // Taken over as the plug-in writes: whole or not at all.
      if (std::rename(made.c_str(), targets_[i].c_str()) != 0) break;
      end += done.size();
    } else if (end == at) {
      break;
    }
    log_.write(log.data() + at, static_cast<std::streamsize>(end - at));
    log_.flush();
    at = end;
    ++taken_;
    bar_.Show(title_, static_cast<int>(taken_ * 100 / files_.size()));
  }
  if (taken_ == last) return true;
  if (!Interrupted() && flags_.cancelAfter < 0 && !run.err.empty()) {
    std::cerr << "zarfileio: a worker stopped early:\n" << run.err;
  }
  return false;
}

int PnxConvert(const CLI::App& command, const PnxConvertFlags& flags) {
  const InterruptWatch interrupts;
  const bool batch = flags.batch || flags.files.size() > 1;
  if (!batch && RefuseUnusedFlags(command, {"--jobs"}, "with one TRC file and no --batch")) {
    return kExitUsage;
  }
  if (flags.askName &&
      RefuseUnusedFlags(command, {"--jobs"}, "with --ask-name (one process asks for each name)")) {
    return kExitUsage;
  }
  std::vector<std::string> inputs = flags.files;
  if (!flags.mnm.empty()) inputs.push_back(flags.mnm);
  if (!InputsReadable(inputs)) return kExitFileProblem;
  if (!flags.out.empty() && !MakeOutputFolder(flags.out)) return kExitFileProblem;
  // One file alone is written beside it; with --out the panel's target-file dialog is answered
  // with a file of that folder instead.
  const bool askName = flags.askName || (!batch && !flags.out.empty());
  std::vector<std::string> files;
  for (const std::string& file : flags.files) files.push_back(Absolute(file));
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
  user.Tick(id::kTRCNameCheck, !askName, kPage);
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
    if (askName) {
      const std::filesystem::path folder =
          flags.out.empty() ? source.parent_path() : std::filesystem::path(Absolute(flags.out));
      targets.push_back((folder / source.stem()).string() + ".pnx");
    } else if (batch) {
      targets.push_back((std::filesystem::path(output_folder) / source.stem()).string() + ".pnx");
    } else {
      targets.push_back(file.size() >= 3 ? file.substr(0, file.size() - 3) + "pnx" : file);
    }
  }
  // A PNX file counts as written when it is new or its time changed.
  std::map<std::string, std::filesystem::file_time_type> before;
  for (const std::string& target : targets) {
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(target, ec);
    if (!ec) before[target] = time;
  }
  session->ShowProgress(!flags.quiet);
  CancelOnInterrupt(*session);
  const int jobs = JobsForBatch(flags, files, targets, batch);
  BatchWorkers workers(*session, files, targets, output_folder, flags);
  int convertError = 0;  // what the system last said in this process's conversion
  if (jobs <= 1 || !workers.Run(jobs)) {
    user.Press(id::kConvertButton, kPage).ChooseFiles(files);
    if (askName) {
      for (const std::string& target : targets) user.ChooseFile(target);
    }
    if (flags.cancelAfter >= 0) user.Idle(flags.cancelAfter).CancelProgress();
    errno = 0;
    session->host().ProcessActions();
    convertError = errno;
  }
  session->PrintShown(std::cerr);

  // A message (not a question such as the confirmation of replacing a file) means a problem.
  int status = kExitOk;
  for (const ShownEvent& e : session->user().MessageBoxes()) {
    if (!e.question && e.caption != description::kConvertPNXWarningCaption)
      status = kExitFileProblem;
  }
  if (session->host().progress().begun == 0) status = kExitFileProblem;
  // The log tells what each file of a batch came to.
  std::vector<std::string> log;
  if (batch)
    log = ReadLines((std::filesystem::path(output_folder) / description::kBatchLogName).string());
  std::vector<std::string> failures;
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(targets[i], ec);
    const auto old = before.find(targets[i]);
    if (!ec && (old == before.end() || old->second != written)) {
      std::cout << files[i] << " -> " << targets[i] << "\n";
      // A batch's log says what a converted file lacked (fewer frames than declared).
      if (const std::string warning = LoggedProblem(log, files[i]); !warning.empty()) {
        std::cerr << "zarfileio: warning: " << files[i] << ": " << warning << "\n";
      }
    } else {
      // The reader's problem as the log gives it, else the system's reason when the PNX file
      // could not be written.
      std::string problem = LoggedProblem(log, files[i]);
      if (problem.empty()) {
        problem = "not converted";
        if (const std::string reason = WriteFailureReason(convertError); !reason.empty())
          problem.append(": ").append(reason);
      }
      failures.push_back(files[i] + ": " + problem);
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
  // A target-file dialog answered for --out leaves "Use TRC Filename" ticked, as every run
  // without --ask-name does.
  if (askName && !flags.askName) {
    user.Tick(id::kTRCNameCheck, true, kPage);
    session->host().ProcessActions();
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
      "that failed, with the reason. One file alone gets its PNX file beside it, or with --out "
      "in that folder (the panel's target-file dialog is answered with it). Prints 'TRC -> "
      "PNX' for each file written. A flag the chosen way does not use is refused. Flags left out "
      "keep the panel's remembered settings; the "
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
  convert->add_option("--out", flags->out,
                      "PNX output folder (made when missing); also for one file without --batch");
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
  convert->add_flag("--quiet", flags->quiet, "No progress bar");
  convert
      ->add_option("--jobs", flags->jobs,
                   "Processes a batch of files named after their TRC files runs in (default: "
                   "the number of cores); the log, the PNX files and the summary are those of "
                   "--jobs 1. Ctrl-C stops a batch after the files at hand. Not with one file "
                   "alone or --ask-name")
      ->check(JobCountCheck());
  // The stand-in user presses the progress display's Cancel after N files (tests).
  convert->add_option("--cancel-after", flags->cancelAfter)->group("");
  convert->callback([flags, convert] { FinishCommand(PnxConvert(*convert, *flags)); });
}

}  // namespace zar::cli
