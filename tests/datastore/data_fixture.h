// A program directory and a data directory in a temporary folder mapped as
// drive C:, a fresh data-layer state with a recording UI, and a manual clock.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "data/catalogue.h"
#include "data/data_state.h"
#include "data/rotirur.h"
#include "platform/db/table.h"
#include "platform/sys/clock.h"

namespace zel::data {

class DataDirs : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zel_data_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    root = std::filesystem::canonical(tmpl).string();
    std::filesystem::create_directory(root + "/prog");
    std::filesystem::create_directory(root + "/dados");
    ::setenv("ZEL_DRIVE_C", root.c_str(), 1);
    resetDataState();
    db::setHideDeleted(false);
    DataState& st = dataState();
    st.ui = &ui;
    st.ARQDEF = "C:\\PROG\\";
    st.LOCARQ = "C:\\DADOS\\";
    st.LOCTRAB = "C:\\DADOS\\";
    st.ROTA = "C:\\DADOS";
    auto c = std::make_unique<ManualClock>(CivilTime{2009, 3, 2, 10, 0, 0});
    manual = c.get();
    oldClock = setClock(std::move(c));
  }
  void TearDown() override {
    resetDataState();
    db::setHideDeleted(false);
    setClock(std::move(oldClock));
    ::unsetenv("ZEL_DRIVE_C");
    std::filesystem::remove_all(root);
  }

  std::string prog(const std::string& name) const { return root + "/prog/" + name; }
  std::string dados(const std::string& name) const { return root + "/dados/" + name; }
  static bool there(const std::string& path) { return std::filesystem::exists(path); }
  static std::string bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // Creates a table file with the catalogue layout of `number` and rows of
  // (field, value) pairs; `deleted` marks rows by position (0-based).
  void makeTable(const std::string& path, const std::vector<db::FieldDef>& fields,
                 const std::vector<std::vector<std::pair<std::string, Value>>>& rows,
                 std::vector<int> deleted = {}) {
    ASSERT_TRUE(db::Table::create(db::posixEnv(), path, fields).ok());
    auto t = db::Table::open(db::posixEnv(), path, db::OpenMode::kExclusive);
    ASSERT_TRUE(t.ok()) << t.status();
    for (size_t i = 0; i < rows.size(); ++i) {
      ASSERT_TRUE((*t)->appendBlank().ok());
      for (const auto& [f, v] : rows[i]) ASSERT_TRUE((*t)->put(f, v).ok()) << f;
      for (int d : deleted) {
        if (d == static_cast<int>(i)) {
          ASSERT_TRUE((*t)->markDeleted().ok());
        }
      }
    }
    ASSERT_TRUE((*t)->close().ok());
  }

  std::unique_ptr<db::Table> openHost(const std::string& path) {
    auto t = db::Table::open(db::posixEnv(), path, db::OpenMode::kShared);
    EXPECT_TRUE(t.ok()) << path << ": " << t.status();
    return t.ok() ? std::move(*t) : nullptr;
  }

  std::string root;
  RecordingDataUi ui;
  ManualClock* manual = nullptr;
  std::unique_ptr<Clock> oldClock;
};

}  // namespace zel::data
