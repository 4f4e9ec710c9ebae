// The debug log: captured through a replaceable sink, written to the user's data
// folder by default, and never failing the caller when it cannot write.
#include "core/log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace core {
namespace {

namespace fs = std::filesystem;

// Points XDG_DATA_HOME and HOME at a fresh folder for one test.
class LogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("coreapp_log_test_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    for (int i = 0; i < 2; ++i)
      if (const char* v = std::getenv(kNames[i])) saved_[i] = v;
  }
  void TearDown() override {
    for (int i = 0; i < 2; ++i)
      saved_[i] ? ::setenv(kNames[i], saved_[i]->c_str(), 1) : ::unsetenv(kNames[i]);
    fs::remove_all(dir_);
  }
  static std::string readAll(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path dir_;

 private:
  static constexpr const char* kNames[2] = {"XDG_DATA_HOME", "HOME"};
  std::optional<std::string> saved_[2];
};

TEST(LogTest, SinkCapturesTextAndTagAndScopesNest) {
  std::vector<std::string> outer, inner;
  auto into = [](std::vector<std::string>& lines) {
    return [&lines](std::string_view text, std::string_view tag) {
      lines.push_back(std::string(tag) + "|" + std::string(text));
    };
  };
  {
    ScopedLogSink a(into(outer));
    LogMsg("select 1");
    {
      ScopedLogSink b(into(inner));
      LogMsgWithTag("insert into t values(1)", "添加单据");
    }
    LogMsgWithTag("update t set a=1", "保存单据");
  }
  EXPECT_EQ(outer, (std::vector<std::string>{"|select 1", "保存单据|update t set a=1"}));
  EXPECT_EQ(inner, (std::vector<std::string>{"添加单据|insert into t values(1)"}));
}

TEST_F(LogFileTest, DefaultSinkAppendsToTheDataFolder) {
  ::setenv("XDG_DATA_HOME", dir_.c_str(), 1);
  const fs::path file = dir_ / "coreapp" / "coreapp.log";
  EXPECT_EQ(defaultLogPath(), file.string());
  LogMsgWithTag("select 1", "保存单据");
  LogMsg("second");
  const std::string text = readAll(file);
  EXPECT_NE(text.find("[保存单据] select 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[] second\n"), std::string::npos) << text;

  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", dir_.c_str(), 1);
  EXPECT_EQ(defaultLogPath(), (dir_ / ".local/share/coreapp/coreapp.log").string());
}

TEST_F(LogFileTest, UnwritableFolderIsIgnored) {
  const fs::path blocker = dir_ / "file";
  std::ofstream(blocker) << "x";  // a file where the folder would have to be
  ::setenv("XDG_DATA_HOME", blocker.c_str(), 1);
  EXPECT_NO_THROW(LogMsgWithTag("select 1", "打印"));
  ::unsetenv("XDG_DATA_HOME");
  ::unsetenv("HOME");
  EXPECT_EQ(defaultLogPath(), "");
  EXPECT_NO_THROW(LogMsg("nowhere to go"));
}

}  // namespace
}  // namespace core
