#ifndef ZAR_MODRA_FILE_LOCK_H_
#define ZAR_MODRA_FILE_LOCK_H_

// A lock on a file that is replaced as a whole (written to a temporary file, then renamed over
// it): an flock on "<file>.lock" beside it, held for the life of the object. Processes that lock
// the same file take turns; shared locks may be held together.
//
// A file reached through symbolic links is locked beside the file the links lead to, where the
// write goes, so that every path to one file takes the same lock. The lock file exists only while
// someone holds the lock: the last holder removes it, and a process whose lock file was removed
// while it waited opens the new one and waits again, so that a user's folder keeps no lock files.

#include <string>

namespace modra::host {

class FileLock {
 public:
  // Waits until the lock is granted; held() is false when the lock file cannot be opened.
  FileLock(const std::string& file, bool exclusive);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  std::string path_;  // the lock file
  int fd_ = -1;
};

}  // namespace modra::host

#endif  // ZAR_MODRA_FILE_LOCK_H_
