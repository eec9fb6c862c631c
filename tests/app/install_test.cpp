// `cmake --install` puts the program, its menu entry and its icon where a
// desktop finds them.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(Install, ProgramDesktopEntryAndIcon) {
  const fs::path prefix = fs::temp_directory_path() / "vh-install-test";
  fs::remove_all(prefix);
  // Only the desktop program's part of the install, into a scratch prefix.
  const std::string command = "cmake -DCMAKE_INSTALL_PREFIX=" + prefix.string() + " -P " +
                              VH_BINARY_DIR "/src/app/cmake_install.cmake > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);

  EXPECT_TRUE(fs::exists(prefix / "bin/verdanthollow"));
  const fs::path entry = prefix / "share/applications/verdanthollow.desktop";
  ASSERT_TRUE(fs::exists(entry));
  const std::string text = ReadFile(entry);
  for (const char* line : {"[Desktop Entry]", "Type=Application", "Name=Verdanthollow",
                           "Exec=verdanthollow %f", "Icon=verdanthollow", "Terminal=false"}) {
    EXPECT_NE(text.find(std::string(line) + "\n"), std::string::npos) << line;
  }
  const fs::path svg = prefix / "share/icons/hicolor/scalable/apps/verdanthollow.svg";
  ASSERT_TRUE(fs::exists(svg));
  EXPECT_NE(ReadFile(svg).find("<svg"), std::string::npos);
  const fs::path png = prefix / "share/icons/hicolor/128x128/apps/verdanthollow.png";
  ASSERT_TRUE(fs::exists(png));
  EXPECT_EQ(ReadFile(png).substr(1, 3), "PNG");
  fs::remove_all(prefix);
}

}  // namespace
