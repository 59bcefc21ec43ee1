#include "cli/parallel_jobs.h"

#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <new>
#include <thread>

#include "cli/file_report.h"
#include "cli/interrupt.h"

extern char** environ;

namespace zar::cli {
namespace {

// A child at work on one run, and where its output goes.
struct Child {
  std::size_t run = 0;
  int out = -1;
  int err = -1;
  int statuses = -1;
};

void CloseAll(const Child& child) {
  for (const int fd : {child.out, child.err, child.statuses}) {
    if (fd >= 0) ::close(fd);
  }
}

std::string ReadWhole(int fd) {
  std::string text;
  if (::lseek(fd, 0, SEEK_SET) != 0) return text;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  return text;
}

void FlushEverything() {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
}

// The child's side: its items in order, each one's status a byte in `child.statuses`.
[[noreturn]] void DoRun(std::size_t first, std::size_t count, const Child& child,
                        const std::function<int(std::size_t)>& work) {
  ::dup2(child.out, STDOUT_FILENO);
  ::dup2(child.err, STDERR_FILENO);
  int code = 0;
  try {
    for (std::size_t i = 0; i < count && !Interrupted(); ++i) {
      const unsigned char status = static_cast<unsigned char>(work(first + i));
      FlushEverything();
      while (::write(child.statuses, &status, 1) < 0 && errno == EINTR) {
      }
    }
  } catch (const std::bad_alloc&) {
    std::cerr << "zarfileio: " << OutOfMemoryProblem() << "\n";
    code = 1;
  } catch (const std::exception& error) {
    std::cerr << "zarfileio: " << error.what() << "\n";
    code = 1;
  } catch (...) {
    code = 1;
  }
  FlushEverything();
  ::_exit(code);
}

bool Start(std::size_t run, std::size_t first, std::size_t count,
           const std::function<int(std::size_t)>& work, std::map<pid_t, Child>& running) {
  Child child;
  child.run = run;
  child.out = ::memfd_create("zarfileio-out", MFD_CLOEXEC);
  child.err = ::memfd_create("zarfileio-err", MFD_CLOEXEC);
  child.statuses = ::memfd_create("zarfileio-statuses", MFD_CLOEXEC);
  if (child.out < 0 || child.err < 0 || child.statuses < 0) {
    std::cerr << "zarfileio: a worker process cannot be started: " << std::strerror(errno) << "\n";
    CloseAll(child);
    return false;
  }
  // What this process has buffered must not be printed again by the child.
  FlushEverything();
  const pid_t pid = ::fork();
  if (pid < 0) {
    std::cerr << "zarfileio: a worker process cannot be started: " << std::strerror(errno) << "\n";
    CloseAll(child);
    return false;
  }
  if (pid == 0) DoRun(first, count, child, work);
  running.emplace(pid, child);
  return true;
}

}  // namespace

CLI::Validator JobCountCheck() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        int jobs = 0;
        const char* end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, jobs);
        if (error == std::errc() && stop == end && jobs >= 1 && jobs <= kMaxJobs) return "";
        return "takes a whole number of processes from 1 to " + std::to_string(kMaxJobs) +
               ", not " + text;
      },
      "", "jobs");
}

int DefaultJobCount() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

std::size_t ItemsPerChild(std::size_t count, int jobs, std::size_t most) {
  const std::size_t runs = 4 * static_cast<std::size_t>(std::max(jobs, 1));
  return std::clamp<std::size_t>((count + runs - 1) / runs, 1, std::max<std::size_t>(most, 1));
}

bool RunInChildren(std::size_t count, int jobs, std::size_t perChild,
                   const std::function<int(std::size_t)>& work,
                   const std::function<bool(const RunOutput&)>& report) {
  perChild = std::max<std::size_t>(perChild, 1);
  const std::size_t runs = (count + perChild - 1) / perChild;
  const std::size_t most = static_cast<std::size_t>(std::max(jobs, 1));
  std::map<pid_t, Child> running;
  std::map<std::size_t, RunOutput> ended;
  std::size_t started = 0;
  std::size_t reported = 0;
  bool starting = true;
  bool reporting = true;
  bool whole = true;
  const auto stop = [&] {
    if (starting) {
      for (const auto& entry : running) ::kill(entry.first, SIGINT);
    }
    starting = false;
    whole = false;
  };
  for (;;) {
    if (starting && Interrupted()) stop();
    if (starting && started < runs && running.size() < most) {
      const std::size_t first = started * perChild;
      if (!Start(started, first, std::min(perChild, count - first), work, running)) {
        stop();
      } else {
        ++started;
      }
      continue;
    }
    if (running.empty()) break;
    int raw = 0;
    const pid_t pid = ::waitpid(-1, &raw, 0);
    if (pid < 0) {
      if (errno == EINTR) continue;
      break;
    }
    const auto found = running.find(pid);
    if (found == running.end()) continue;
    const Child child = found->second;
    running.erase(found);
    RunOutput output;
    output.first = child.run * perChild;
    output.count = std::min(perChild, count - output.first);
    output.out = ReadWhole(child.out);
    output.err = ReadWhole(child.err);
    for (const char status : ReadWhole(child.statuses)) {
      output.statuses.push_back(static_cast<unsigned char>(status));
    }
    CloseAll(child);
    const bool interrupted = WIFSIGNALED(raw) && WTERMSIG(raw) == SIGINT;
    if (!interrupted && !(WIFEXITED(raw) && WEXITSTATUS(raw) == 0)) {
      std::cerr << "zarfileio: a worker process ended abnormally ("
                << (WIFSIGNALED(raw) ? std::string(strsignal(WTERMSIG(raw)))
                                     : "status " + std::to_string(WEXITSTATUS(raw)))
                << ")\n";
      whole = false;
    }
    ended.emplace(child.run, std::move(output));
    // Runs are reported in order. After one that stopped early no run is started, but those
    // that ended are still reported: what they did is done.
    for (auto next = ended.find(reported); reporting && next != ended.end();
         next = ended.find(reported)) {
      const RunOutput& done = next->second;
      if (!report(done)) {
        reporting = false;
        stop();
      } else if (done.statuses.size() != done.count) {
        stop();
      }
      ended.erase(next);
      ++reported;
    }
  }
  return whole && reported == runs;
}

int RunProgram(const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> names;
  for (const std::string& entry : environment) names.push_back(entry.substr(0, entry.find('=')));
  std::vector<char*> envp;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    const bool replaced = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
      return text.size() > name.size() && text.starts_with(name) && text[name.size()] == '=';
    });
    if (!replaced) envp.push_back(*entry);
  }
  for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);
  FlushEverything();
  pid_t pid = 0;
  if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return 127;
  bool passedOn = false;
  for (;;) {
    if (!passedOn && Interrupted()) {
      ::kill(pid, SIGINT);
      passedOn = true;
    }
    int raw = 0;
    if (::waitpid(pid, &raw, 0) == pid) {
      return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
    }
    if (errno != EINTR) return 127;
  }
}

std::string ThisProgram() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.string();
}

}  // namespace zar::cli
