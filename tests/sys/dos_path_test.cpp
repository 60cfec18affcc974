#include "platform/sys/dos_path.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/sys/cp850.h"

namespace zel::dos {
namespace {

namespace fs = std::filesystem;

// A temporary folder as drive C:, with a small tree in mixed case:
//   Zel2009/dados/ZEL109.DBF, ABC/, abc/, declaraçöes/
class DrivePathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zel_dos_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    root_ = fs::canonical(tmpl).string();
    saveEnv("ZEL_DRIVE_C", savedC_);
    saveEnv("ZEL_DRIVE_D", savedD_);
    ::setenv("ZEL_DRIVE_C", root_.c_str(), 1);
    ::unsetenv("ZEL_DRIVE_D");
    oldCwd_ = fs::current_path();
    fs::create_directories(root_ + "/Zel2009/dados");
    fs::create_directories(root_ + "/ABC");
    fs::create_directories(root_ + "/abc");
    fs::create_directories(root_ + "/declaraçöes");
    std::ofstream(root_ + "/Zel2009/dados/ZEL109.DBF") << "x";
  }
  void TearDown() override {
    fs::current_path(oldCwd_);
    restoreEnv("ZEL_DRIVE_C", savedC_);
    restoreEnv("ZEL_DRIVE_D", savedD_);
    fs::remove_all(root_);
  }
  static void saveEnv(const char* name, std::optional<std::string>& slot) {
    const char* v = ::getenv(name);
    if (v) slot = v;
  }
  static void restoreEnv(const char* name, const std::optional<std::string>& slot) {
    if (slot) ::setenv(name, slot->c_str(), 1);
    else ::unsetenv(name);
  }
  std::string host(std::string_view dos, PathKind kind = PathKind::kFile) {
    auto r = toHost(dos, kind);
    EXPECT_TRUE(r.ok()) << dos << ": " << r.status();
    return r.ok() ? *r : std::string();
  }

  std::string root_;
  fs::path oldCwd_;
  std::optional<std::string> savedC_, savedD_;
};

TEST_F(DrivePathTest, ToHostMatchesComponentsIgnoringCase) {
  struct Case {
    std::string dos;
    PathKind kind;
    std::string expected;  // below the root
  };
  const Case cases[] = {
      {"C:\\ZEL2009\\DADOS", PathKind::kDirectory, "/Zel2009/dados"},
      {"c:/zel2009/dados/zel109.dbf", PathKind::kFile, "/Zel2009/dados/ZEL109.DBF"},
      {"  C:\\ZEL2009\\..\\ZEL2009\\.\\DADOS\\  ", PathKind::kDirectory, "/Zel2009/dados"},
      // New names: directories lower-cased, the file name as given.
      {"C:\\ZEL2009\\NOVO\\ARQ.TXT", PathKind::kFile, "/Zel2009/novo/ARQ.TXT"},
      {"C:\\ZEL2009\\NOVO", PathKind::kDirectory, "/Zel2009/novo"},
      // An exact match wins; otherwise the first in byte order.
      {"C:\\abc", PathKind::kDirectory, "/abc"},
      {"C:\\Abc", PathKind::kDirectory, "/ABC"},
      {std::string("C:\\DECLARAÇÖES"_cp), PathKind::kDirectory, "/declaraçöes"},
      {"C:\\..\\..", PathKind::kDirectory, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(host(c.dos, c.kind), root_ + c.expected) << c.dos;
  EXPECT_EQ(host("C:\\"), root_);
}

TEST_F(DrivePathTest, RelativePathsStartAtTheCurrentDirectory) {
  fs::current_path(root_ + "/Zel2009");
  EXPECT_EQ(host("DADOS\\ZEL109.DBF"), root_ + "/Zel2009/dados/ZEL109.DBF");
  EXPECT_EQ(host("C:dados"), root_ + "/Zel2009/dados");
  EXPECT_EQ(host("\\ABC"), root_ + "/ABC");
}

TEST_F(DrivePathTest, OtherDrivesNeedTheirVariable) {
  auto r = toHost("D:\\DADOS");
  ASSERT_FALSE(r.ok());
  EXPECT_TRUE(r.status().isNotFound());
  EXPECT_FALSE(directoryExists("D:\\"));
  EXPECT_FALSE(createDirectory("D:\\NOVA"));

  ::setenv("ZEL_DRIVE_D", (root_ + "/Zel2009/").c_str(), 1);
  EXPECT_EQ(host("d:\\DADOS"), root_ + "/Zel2009/dados");
  EXPECT_TRUE(directoryExists("D:\\"));

  EXPECT_FALSE(toHost("").ok());
  EXPECT_FALSE(toHost("1:\\X").ok());
}

TEST_F(DrivePathTest, FromHostWritesUpperCaseOnTheDeepestDrive) {
  EXPECT_EQ(fromHost(root_ + "/Zel2009/dados"), "C:\\ZEL2009\\DADOS");
  EXPECT_EQ(fromHost(root_ + "/Zel2009/dados/"), "C:\\ZEL2009\\DADOS");
  EXPECT_EQ(fromHost(root_), "C:\\");
  EXPECT_EQ(fromHost(root_ + "/declaraçöes"), std::string("C:\\DECLARAÇÖES"_cp));
  EXPECT_EQ(fromHost("/usr/share"), std::nullopt);

  ::setenv("ZEL_DRIVE_D", (root_ + "/Zel2009").c_str(), 1);
  EXPECT_EQ(fromHost(root_ + "/Zel2009/dados"), "D:\\DADOS");
  EXPECT_EQ(fromHost(root_ + "/ABC"), "C:\\ABC");
}

TEST_F(DrivePathTest, FromHostOfToHostGivesThePathBack) {
  for (const char* dos : {"C:\\ZEL2009\\DADOS", "C:\\ZEL2009\\DADOS\\ZEL109.DBF", "C:\\ABC"})
    EXPECT_EQ(fromHost(host(dos)), dos);
}

TEST_F(DrivePathTest, CurrentDirectoryIsDriveCAndTheHostDirectory) {
  fs::current_path(root_ + "/Zel2009/dados");
  EXPECT_EQ(currentDirectory(), "C:\\ZEL2009\\DADOS");
  fs::current_path(root_);
  EXPECT_EQ(currentDirectory(), "C:\\");
  // Outside the folder of C: the root of C: stands for it.
  fs::current_path("/usr");
  EXPECT_EQ(currentDirectory(), "C:\\");
}

TEST_F(DrivePathTest, ExistenceAndCreation) {
  EXPECT_TRUE(directoryExists("c:\\zel2009\\DADOS"));
  EXPECT_TRUE(directoryExists("C:\\"));
  EXPECT_FALSE(directoryExists("C:\\ZEL2009\\DADOS\\ZEL109.DBF"));
  EXPECT_TRUE(fileExists("C:\\ZEL2009\\DADOS\\zel109.dbf"));
  EXPECT_FALSE(fileExists("C:\\ZEL2009\\DADOS"));
  EXPECT_FALSE(fileExists("C:\\ZEL2009\\DADOS\\ZEL209.DBF"));

  EXPECT_TRUE(createDirectory("C:\\ZEL2009\\NOVA"));
  EXPECT_TRUE(fs::is_directory(root_ + "/Zel2009/nova"));
  EXPECT_TRUE(directoryExists("C:\\ZEL2009\\NOVA\\"));
  EXPECT_FALSE(createDirectory("c:\\zel2009\\nova")) << "already there";
  EXPECT_FALSE(createDirectory("C:\\X\\Y")) << "one level only";
  EXPECT_FALSE(fs::exists(root_ + "/x"));
}

TEST(NetworkDrive, MagicNumbers) {
  struct Case {
    unsigned long magic;
    bool network;
  };
  const Case cases[] = {{0x6969, true},      {0x517B, true},      {0xFF534D42, true},
                        {0xFE534D42, true},  {0xEF53, false},     {0x01021994, false},
                        {0x58465342, false}, {0x9123683E, false}};
  for (const auto& c : cases) EXPECT_EQ(isNetworkFsType(c.magic), c.network) << std::hex << c.magic;
}

TEST_F(DrivePathTest, TemporaryFolderIsNotANetworkDrive) {
  EXPECT_FALSE(isNetworkDrive("C:\\ZEL2009\\DADOS"));
  EXPECT_FALSE(isNetworkDrive("C:\\ZEL2009\\NOT\\THERE"));
  EXPECT_FALSE(isNetworkDrive("Q:\\"));
}

}  // namespace
}  // namespace zel::dos
