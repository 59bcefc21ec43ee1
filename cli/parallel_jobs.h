#ifndef ZAR_CLI_PARALLEL_JOBS_H_
#define ZAR_CLI_PARALLEL_JOBS_H_

// Work spread over child processes, with what the children printed handed back in the order of
// the work, so that a run on several cores prints what a run on one core prints.
//
// The items 0..count-1 are cut into runs of consecutive items; each run is done by a child
// forked from this process (at most `jobs` at a time), which calls `work` for its items in order
// with its standard output and error captured. `report` is then called here, in item order,
// with each run's output as soon as it and every run before it have ended. The children share
// nothing with this process afterwards: what a run must leave behind goes to files or to what
// it prints.
//
// Stopping: when an interrupt arrives (see interrupt.h) or a run stops early, no further run is
// started and the running children are interrupted (they stop between items); the runs that
// ended are still reported in order, a run whose child stopped early with fewer statuses than
// items. When `report` answers false, nothing more is reported either.

#include <CLI/CLI.hpp>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace zar::cli {

// The number of cores this process may use (at least 1): the default of --jobs.
int DefaultJobCount();

// The most processes --jobs takes.
inline constexpr int kMaxJobs = 256;

// The check of a --jobs value: a whole number from 1 to kMaxJobs.
CLI::Validator JobCountCheck();

// What one child did.
struct RunOutput {
  std::size_t first = 0;      // its first item
  std::size_t count = 0;      // how many items it was given
  std::vector<int> statuses;  // what `work` answered for each item it finished, in order
  std::string out;            // what it wrote to standard output
  std::string err;            // what it wrote to standard error
};

// Runs `work(i)` for i in [0, count) in up to `jobs` children, `perChild` items each (at least
// one). Answers false when the run was stopped (by `report` or an interrupt) or a child could
// not be started or ended abnormally (said on stderr).
bool RunInChildren(std::size_t count, int jobs, std::size_t perChild,
                   const std::function<int(std::size_t)>& work,
                   const std::function<bool(const RunOutput&)>& report);

// Items per child for `count` items on `jobs` cores: about four runs per core, so that a core
// that finishes early takes another run, and at most `most`.
std::size_t ItemsPerChild(std::size_t count, int jobs, std::size_t most);

// Runs the program `arguments[0]` with `arguments` and with `environment` added to this
// process's environment, its output going where this process's goes; answers its exit status
// (128 + the signal when it was killed, 127 when it could not be started). An interrupt that
// arrives meanwhile is passed on to it.
int RunProgram(const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment);

// The path of the running program, for running it again as a worker.
std::string ThisProgram();

}  // namespace zar::cli

#endif  // ZAR_CLI_PARALLEL_JOBS_H_
