#ifndef ZAR_TESTS_FILELIB_TEST_SUPPORT_H_
#define ZAR_TESTS_FILELIB_TEST_SUPPORT_H_

// Scratch folders and file helpers shared by the file library and command-line suites.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace zar::testing {

// A fresh folder for one test, removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("zar_" + std::string(info != nullptr ? info->name() : "test") + "_" +
             std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string File(std::string_view name) const { return (path_ / name).string(); }

  // Writes `bytes` to a file of the folder and returns its path.
  std::string Write(std::string_view name, std::string_view bytes) const {
    const std::string file = File(name);
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
  }

  // Number of entries in the folder.
  std::size_t Count() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path_),
                                                  std::filesystem::directory_iterator()));
  }

 private:
  std::filesystem::path path_;
};

inline std::string ReadBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Joins lines with LF (readers accept LF and CR LF alike).
inline std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text += line;
    text += '\n';
  }
  return text;
}

inline std::string SamplePath(std::string_view relative) {
  return std::string(ZAR_SAMPLES_DIR) + "/" + std::string(relative);
}

inline std::string BundledSamplePath(std::string_view name) {
  return std::string(ZAR_SOURCE_DIR) + "/samples/" + std::string(name);
}

// Runs `write` in a child process whose files may not grow beyond `limit` bytes (the way a
// full disk fails a write); returns the child's exit status.
template <typename Write>
int WithFileSizeLimit(rlim_t limit, Write write) {
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit rl{limit, limit};
    setrlimit(RLIMIT_FSIZE, &rl);
    _exit(write());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace zar::testing

#endif  // ZAR_TESTS_FILELIB_TEST_SUPPORT_H_
