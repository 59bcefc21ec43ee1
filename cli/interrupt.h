#ifndef ZAR_CLI_INTERRUPT_H_
#define ZAR_CLI_INTERRUPT_H_

// Ctrl-C (SIGINT) and SIGTERM as a request to stop long work cleanly. While an InterruptWatch
// is alive such a signal only raises a flag that the work polls between files, so that no file
// is left half-written and what was done can still be reported. Child processes forked
// meanwhile inherit the watch (a Ctrl-C reaches them as well as the request passed on to them).

namespace zar::cli {

class InterruptWatch {
 public:
  InterruptWatch();
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;
};

// True once SIGINT or SIGTERM arrived under a watch.
bool Interrupted();

}  // namespace zar::cli

#endif  // ZAR_CLI_INTERRUPT_H_
