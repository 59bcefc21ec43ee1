#include "modra/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

namespace modra::host {

FileLock::FileLock(const std::string& file, bool exclusive) {
  fd_ = ::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) return;
  // Tried without blocking, again every few milliseconds while another process holds the lock;
  // after a second the wait is said on stderr, so that it is not taken for a hang, and the
  // rest of it blocks.
  const int mode = exclusive ? LOCK_EX : LOCK_SH;
  const auto start = std::chrono::steady_clock::now();
  int rc;
  for (;;) {
    rc = ::flock(fd_, mode | LOCK_NB);
    if (rc == 0 || (errno != EWOULDBLOCK && errno != EINTR)) break;
    if (std::chrono::steady_clock::now() - start >= std::chrono::seconds(1)) {
      std::fprintf(stderr, "%s: waiting for %s, locked by another run\n",
                   program_invocation_short_name, file.c_str());
      do {
        rc = ::flock(fd_, mode);
      } while (rc != 0 && errno == EINTR);
      break;
    }
    ::usleep(10000);
  }
  if (rc != 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

FileLock::~FileLock() {
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
  }
}

}  // namespace modra::host
