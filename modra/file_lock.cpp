#include "modra/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "atomic_file/output_file.h"

namespace modra::host {
namespace {

// Takes the lock: tried without blocking, again every few milliseconds while another process
// holds it; after a second the wait is said on stderr, so that it is not taken for a hang, and
// the rest of it blocks.
int LockWaiting(int fd, int operation, const std::string& file) {
  const auto start = std::chrono::steady_clock::now();
  int rc;
  for (;;) {
    rc = ::flock(fd, operation | LOCK_NB);
    if (rc == 0 || (errno != EWOULDBLOCK && errno != EINTR)) return rc;
    if (std::chrono::steady_clock::now() - start >= std::chrono::seconds(1)) break;
    ::usleep(10000);
  }
  std::fprintf(stderr, "%s: waiting for %s, locked by another run\n", program_invocation_short_name,
               file.c_str());
  do {
    rc = ::flock(fd, operation);
  } while (rc != 0 && errno == EINTR);
  return rc;
}

// Whether the lock taken on `fd` is on the file that `path` names now, and not on one that an
// earlier holder removed while this process waited.
bool StillNamed(int fd, const std::string& path) {
  struct stat held {};
  struct stat named {};
  return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace

FileLock::FileLock(const std::string& file, bool exclusive) {
  std::string target;
  if (!zar::ResolveLinks(file, target)) target = file;
  path_ = target + ".lock";
  for (;;) {
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    if (LockWaiting(fd, exclusive ? LOCK_EX : LOCK_SH, file) != 0) {
      ::close(fd);
      return;
    }
    if (StillNamed(fd, path_)) {
      fd_ = fd;
      return;
    }
    ::close(fd);
  }
}

FileLock::~FileLock() {
  if (fd_ < 0) return;
  // Only a holder that has the file to itself removes it: a shared holder first asks for the
  // whole lock without waiting, and leaves the file to the others when they still hold it.
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) ::unlink(path_.c_str());
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
}

}  // namespace modra::host
