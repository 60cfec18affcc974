#include "helpers/system_helpers.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "helpers/hooks.h"
#include "helpers/paths.h"
#include "platform/sys/cp850.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

class EnvVar {
 public:
  EnvVar(const char* name, const std::string& value) : name_(name) {
    if (const char* v = ::getenv(name)) old_ = v;
    ::setenv(name, value.c_str(), 1);
  }
  ~EnvVar() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::string makeTempDir() {
  char tmpl[] = "/tmp/zel_helpers_XXXXXX";
  if (!::mkdtemp(tmpl)) return {};
  return fs::canonical(tmpl).string();
}

TEST(PathTexts, BackslashesAndLastComponent) {
  struct Case {
    const char* path;
    const char* barDir;
    const char* barFora;
    const char* tiraDir;
  };
  const Case cases[] = {
      {"C:\\ZEL2009", "C:\\ZEL2009\\", "C:\\ZEL2009", "ZEL2009"},
      {"C:\\ZEL2009\\", "C:\\ZEL2009\\", "C:\\ZEL2009", ""},
      {"C:\\ZEL2009\\DADOS\\ZEL109.DBF", "C:\\ZEL2009\\DADOS\\ZEL109.DBF\\",
       "C:\\ZEL2009\\DADOS\\ZEL109.DBF", "ZEL109.DBF"},
      {"C:", "C:\\", "C:", "C:"},
      {"", "\\", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BAR_DIR(c.path), c.barDir) << c.path;
    EXPECT_EQ(BAR_FORA(c.path), c.barFora) << c.path;
    EXPECT_EQ(TIRA_DIR(c.path), c.tiraDir) << c.path;
  }
}

class DriveC : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = makeTempDir();
    ASSERT_FALSE(root_.empty());
    drive_.emplace("ZEL_DRIVE_C", root_);
    fs::create_directories(root_ + "/zel2009/dados");
    std::ofstream(root_ + "/zel2009/dados/ZEL909.DBF") << "x";
    oldCwd_ = fs::current_path();
    resetHelperState();
    helperState().alert = [this](std::string_view l) { alerts_.emplace_back(l); };
  }
  void TearDown() override {
    resetHelperState();
    fs::current_path(oldCwd_);
    drive_.reset();
    fs::remove_all(root_);
  }
  std::string root_;
  std::optional<EnvVar> drive_;
  fs::path oldCwd_;
  std::vector<std::string> alerts_;
};

TEST_F(DriveC, DirectoryAndFileQueries) {
  EXPECT_TRUE(VERDIR("C:\\"));
  EXPECT_TRUE(VERDIR("C:\\ZEL2009\\DADOS\\"));
  EXPECT_TRUE(VERDIR("c:\\zel2009\\dados"));
  EXPECT_FALSE(VERDIR("C:\\ZEL2009\\NADA\\"));
  EXPECT_FALSE(VERDIR("C:\\ZEL2009\\DADOS\\ZEL909.DBF"));

  EXPECT_TRUE(LF_ISFILE("C:\\ZEL2009\\DADOS\\ZEL909.DBF"));
  EXPECT_FALSE(LF_ISFILE("C:\\ZEL2009\\DADOS\\ZEL909.DBF", true));
  EXPECT_TRUE(LF_ISFILE("C:\\ZEL2009\\DADOS", true));
  EXPECT_FALSE(LF_ISFILE("C:\\ZEL2009\\DADOS"));

  EXPECT_TRUE(CRIADIR("C:\\ZEL2009\\TRAB"));
  EXPECT_TRUE(fs::is_directory(root_ + "/zel2009/trab"));
  EXPECT_FALSE(CRIADIR("C:\\ZEL2009\\TRAB"));
  EXPECT_FALSE(CRIADIR("C:\\UM\\DOIS"));

  fs::current_path(root_ + "/zel2009/dados");
  EXPECT_EQ(GETDIR(), "C:\\ZEL2009\\DADOS");
  EXPECT_FALSE(TA_NA_REDE());
}

TEST_F(DriveC, EspcifWantsADriveLetter) {
  struct Case {
    const char* text;
    bool accepted;
  };
  const Case cases[] = {
      {"C:\\ZEL2009", true}, {"  d:dados  ", true}, {"C:", true},  {"\\ZEL2009", false},
      {"ZEL2009", false},    {"C", false},          {"", false},   {"CC:\\", false},
  };
  for (const auto& c : cases) {
    alerts_.clear();
    EXPECT_EQ(ESPCIF(c.text), c.accepted) << c.text;
    if (c.accepted) {
      EXPECT_TRUE(alerts_.empty()) << c.text;
    } else {
      ASSERT_EQ(alerts_.size(), 1u) << c.text;
      EXPECT_EQ(alerts_[0], std::string("Especifique o drive com ':' após a letra"_cp));
    }
  }
}

// A stand-in for the printing system's lpstat, first on PATH.
class FakeLpstat : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = makeTempDir();
    ASSERT_FALSE(dir_.empty());
    path_.emplace("PATH", dir_ + ":/usr/bin:/bin");
  }
  void TearDown() override {
    path_.reset();
    fs::remove_all(dir_);
  }
  void install(const std::string& defaultLine) {
    std::string script = dir_ + "/lpstat";
    std::ofstream(script) << "#!/bin/sh\n"
                             "case \"$1\" in\n"
                             "  -d) echo '" << defaultLine << "' ;;\n"
                             "  -p) case \"$2\" in\n"
                             "    Laser) echo 'printer Laser is idle.  enabled since Fri 11 Dec' ;;\n"
                             "    Busy) echo 'printer Busy now printing Busy-3.  enabled since x' ;;\n"
                             "    Off) echo 'printer Off disabled since Fri 11 Dec -'; echo '\treason' ;;\n"
                             "    *) echo \"lpstat: Invalid destination name\" >&2; exit 1 ;;\n"
                             "  esac ;;\n"
                             "esac\n";
    ::chmod(script.c_str(), 0755);
  }
  std::string dir_;
  std::optional<EnvVar> path_;
};

TEST_F(FakeLpstat, PortAndPrinterReadiness) {
  install("system default destination: Laser");
  struct Case {
    int port;
    const char* printer;
    bool ready;
  };
  const Case cases[] = {
      {1, "Laser", true}, {9, "Busy", true},   {1, "Off", false},  {1, "Nada", false},
      {0, "Laser", false}, {10, "Laser", false}, {-1, "Laser", false}, {1, "", true},
  };
  for (const auto& c : cases) EXPECT_EQ(LPT_OK(c.port, c.printer), c.ready) << c.port << " " << c.printer;
  EXPECT_EQ(systemDefaultPrinter(), "Laser");
}

TEST_F(FakeLpstat, NoDefaultPrinterOrNoPrintingSystem) {
  install("no system default destination");
  EXPECT_EQ(systemDefaultPrinter(), std::nullopt);
  EXPECT_FALSE(LPT_OK(1, ""));
  EXPECT_TRUE(LPT_OK(1, "Laser"));

  fs::remove(dir_ + "/lpstat");
  EnvVar onlyEmpty("PATH", dir_);
  EXPECT_EQ(systemDefaultPrinter(), std::nullopt);
  EXPECT_FALSE(LPT_OK(1, "Laser"));
}

}  // namespace
}  // namespace zel
