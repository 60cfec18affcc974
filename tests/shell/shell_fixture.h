// A program directory C:\PROG in a temporary folder mapped as drive C: and
// made the current directory, fresh settings of every subsystem, a headless
// console whose keys come from a script, and a manual clock.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "data/areas.h"
#include "data/data_state.h"
#include "data/directories.h"
#include "helpers/hooks.h"
#include "platform/console/console.h"
#include "platform/console/keys.h"
#include "platform/db/table.h"
#include "platform/sys/clock.h"
#include "screen/console.h"
#include "screen/messages.h"
#include "shell/shell_state.h"
#include "shell/zel2009.h"

namespace zel::shell {

// Keys no terminal sends: while bound, one copies the screen and one runs a
// probe of the test, so that a test sees what a modal box or the menu loop
// had at that moment.
inline constexpr int kSnap = 0x7ff0;
inline constexpr int kProbe = 0x7ff1;

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zel_shell_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    root = std::filesystem::canonical(tmpl).string();
    std::filesystem::create_directory(root + "/prog");
    oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(root + "/prog");
    ::setenv("ZEL_DRIVE_C", root.c_str(), 1);
    for (const char* v : {"TERMINAL", "DDO2009", "USUAR", "EQUIP"}) ::unsetenv(v);
    resetAll();
    auto c = std::make_unique<ManualClock>(CivilTime{2009, 3, 2, 10, 0, 0});
    oldClock = setClock(std::move(c));
    auto backend = std::make_unique<HeadlessBackend>();
    keys = backend.get();
    oldConsole = setConsole(std::make_unique<Console>(std::move(backend)));
    console().setSilent(true);
    console().bindKey(kSnap, [this](const ReadContext&) { snaps.push_back(screenText()); });
    console().bindKey(kProbe, [this](const ReadContext&) {
      if (probe) probe();
    });
    if (delivered) {
      std::string log;
      ASSERT_TRUE(initProgramDirectory(root + "/prog", std::string(ZEL_SOURCE_DIR) + "/data", &log))
          << log;
    }
  }

  void TearDown() override {
    data::closeAllAreas();
    resetAll();
    setConsole(std::move(oldConsole));
    setClock(std::move(oldClock));
    std::filesystem::current_path(oldCwd);
    ::unsetenv("ZEL_DRIVE_C");
    for (const char* v : {"TERMINAL", "DDO2009", "USUAR", "EQUIP"}) ::unsetenv(v);
    std::filesystem::remove_all(root);
  }

  static void resetAll() {
    data::closeAllAreas();
    data::resetDataState();
    data::resetDirectoryLinks();
    resetShellState();
    resetScreenState();
    resetMessageState();
    resetHelperState();
    db::setHideDeleted(false);
    shellState().onNetworkDrive = [] { return false; };
  }

  void script(std::initializer_list<int> ks) { keys->push(ks); }
  void type(std::string_view text) { keys->pushText(text); }

  // Runs the whole program on the script; the shell's state is fresh for
  // each run, the files stay.
  int run(const std::string& terminal = "") {
    data::closeAllAreas();
    data::resetDataState();
    resetShellState();
    resetScreenState();
    resetMessageState();
    shellState().onNetworkDrive = [] { return false; };
    return runProgram(terminal);
  }

  static std::string screenText() {
    std::string s;
    for (int r = 0; r < 25; ++r) s += console().screen().rowText(r) + "\n";
    return s;
  }
  std::string prog(const std::string& name) const { return root + "/prog/" + name; }

  // A table of the program directory opened read-only, shared.
  std::unique_ptr<db::Table> open(const std::string& file) {
    auto t = db::Table::open(db::posixEnv(), prog(file), db::OpenMode::kShared, true);
    EXPECT_TRUE(t.ok()) << file << ": " << t.status();
    return t.ok() ? std::move(*t) : nullptr;
  }

  // Whether the program directory starts with the delivered tables.
  bool delivered = true;
  std::string root;
  std::filesystem::path oldCwd;
  HeadlessBackend* keys = nullptr;
  std::vector<std::string> snaps;
  std::function<void()> probe;
  std::unique_ptr<Clock> oldClock;
  std::unique_ptr<Console> oldConsole;
};

}  // namespace zel::shell
