#include "foundations/input_file.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "common/named_pipe.h"
#include "common/scratch_dir.h"
#include "common/whole_file.h"

namespace vh {
namespace {

// The message InputFile throws for `path` and its reason without the
// path, or "opened" when it opens.
std::pair<std::string, std::string> OpeningMessage(const std::string& path) {
  try {
    InputFile file(path);
    return {"opened", ""};
  } catch (const InputFileError& error) {
    return {error.what(), error.reason()};
  }
}

// A Unix socket bound at `path`, kept open for the test.
struct BoundSocket {
  explicit BoundSocket(const std::string& path) : fd(::socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) std::abort();
  }
  ~BoundSocket() { ::close(fd); }
  int fd;
};

TEST(InputFile, RefusesWhatIsNotARegularFileNamingItAndWhatItIs) {
  test::ScratchDir dir;
  const test::NamedPipe pipe(dir.File("leaf.bmp"));
  const BoundSocket socket(dir.File("socket.vhm"));
  std::filesystem::create_directory(dir.File("folder.jpg"));
  std::filesystem::create_symlink(pipe.path(), dir.File("link.bmp"));
  const struct {
    std::string path;
    const char* kind;
  } cases[] = {
      {pipe.path(), "a named pipe"},        {dir.File("link.bmp"), "a named pipe"},
      {dir.File("socket.vhm"), "a socket"}, {dir.File("folder.jpg"), "a folder"},
      {"/dev/null", "a character device"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OpeningMessage(c.path).first, test::NotAFile(c.path, c.kind));
    EXPECT_EQ(OpeningMessage(c.path).second, std::string("it is ").append(c.kind).append(", not a file"));
  }
  std::string missing = "cannot open '";
  missing.append(dir.File("missing.vhm")).append("': No such file or directory");
  EXPECT_EQ(OpeningMessage(dir.File("missing.vhm")),
            std::make_pair(missing, std::string("cannot open the file (No such file or directory)")));
  EXPECT_FALSE(pipe.ReleasedAReader()) << "the named pipe was opened";
}

TEST(InputFile, ReadsARegularFileWholeOrAsAStreamAlsoThroughALink) {
  test::ScratchDir dir;
  std::string content(200 * 1024 + 7, '\0');  // several of the stream's buffers
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 31 % 251);
  test::WriteWholeFile(dir.File("tree.vhm"), content);
  std::filesystem::create_symlink(dir.File("tree.vhm"), dir.File("link.vhm"));
  for (const char* name : {"tree.vhm", "link.vhm"}) {
    InputFile whole(dir.File(name));
    EXPECT_EQ(whole.Size(), content.size());
    const std::vector<std::uint8_t> bytes = whole.ReadAll();
    EXPECT_TRUE(std::string(bytes.begin(), bytes.end()) == content) << name;
    InputFile streamed(dir.File(name));
    const std::string read((std::istreambuf_iterator<char>(streamed.Stream())),
                           std::istreambuf_iterator<char>());
    EXPECT_TRUE(read == content) << name;
  }
}

TEST(InputFile, AFileThatShrinksWhileReadIsAnError) {
  test::ScratchDir dir;
  test::WriteWholeFile(dir.File("picture.bmp"), std::string(4096, 'x'));
  InputFile file(dir.File("picture.bmp"));
  std::filesystem::resize_file(dir.File("picture.bmp"), 100);
  try {
    file.ReadAll();
    FAIL() << "a short read must not pass for the whole file";
  } catch (const InputFileError& error) {
    EXPECT_EQ(error.reason(), "cannot read the file (it became shorter while it was read)");
  }
}

}  // namespace
}  // namespace vh
