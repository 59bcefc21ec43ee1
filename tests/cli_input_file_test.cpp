// The input check that every zarfileio command runs before it opens a file.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "cli/input_file.h"
#include "filelib_test_support.h"

namespace zar {
namespace {

using testing::ScratchFolder;

TEST(CliInputFile, NamesWhyAPathIsNoReadableRegularFile) {
  ScratchFolder folder;
  const std::string plain = folder.Write("plain.htr", "0123456789");
  const std::string fifo = folder.File("fifo");
  ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
  const std::string socket_path = folder.File("sock");
  const int socket_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socket_path.c_str(), sizeof(address.sun_path) - 1);
  ASSERT_EQ(0, ::bind(socket_fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)));
  std::filesystem::create_symlink(plain, folder.File("link"));

  const struct {
    std::string path;
    std::uintmax_t bound;
    std::string reason;
  } rows[] = {
      {plain, cli::kAnySize, ""},
      {folder.File("link"), 10, ""},
      {plain, 9, "larger than 9 bytes"},
      {folder.File("missing"), cli::kAnySize, "No such file or directory"},
      {folder.File("plain.htr/x"), cli::kAnySize, "Not a directory"},
      {folder.File(""), cli::kAnySize, "not a regular file (a folder)"},
      {fifo, cli::kAnySize, "not a regular file (a FIFO)"},
      {socket_path, cli::kAnySize, "not a regular file (a socket)"},
      {"/dev/zero", cli::kAnySize, "not a regular file (a device)"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.reason, cli::CheckInputFile(row.path, row.bound)) << row.path;
  }
  ::close(socket_fd);

  EXPECT_EQ("", cli::SystemReason(plain));
  EXPECT_EQ("Is a directory", cli::SystemReason(folder.File("")));
  EXPECT_EQ("No such file or directory", cli::SystemReason(folder.File("missing")));
  if (::geteuid() != 0) {
    ::chmod(plain.c_str(), 0);
    EXPECT_EQ("Permission denied", cli::CheckInputFile(plain));
    EXPECT_EQ("Permission denied", cli::SystemReason(plain));
  }
  EXPECT_LE(cli::DocumentSizeBound(), std::uintmax_t{4} << 30);
  EXPECT_GT(cli::DocumentSizeBound(), 0U);
}

}  // namespace
}  // namespace zar
