#include "cli/interrupt.h"

#include <signal.h>

#include <csignal>

namespace zar::cli {
namespace {

volatile std::sig_atomic_t interrupted = 0;
struct sigaction previousInt;
struct sigaction previousTerm;

void Raise(int) { interrupted = 1; }

}  // namespace

InterruptWatch::InterruptWatch() {
  struct sigaction action = {};
  action.sa_handler = Raise;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a process waiting for its children wakes up to pass the request on.
  action.sa_flags = 0;
  sigaction(SIGINT, &action, &previousInt);
  sigaction(SIGTERM, &action, &previousTerm);
}

InterruptWatch::~InterruptWatch() {
  sigaction(SIGINT, &previousInt, nullptr);
  sigaction(SIGTERM, &previousTerm, nullptr);
}

bool Interrupted() { return interrupted != 0; }

}  // namespace zar::cli
