#include "platform/posix/operator_group.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "gtest/gtest.h"
#include "platform/posix/sqlite_store.h"
#include "tests/common/temp_dir.h"

namespace quillon {
namespace {

class SharedStoreFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.ok());
    dir_ = temp_.path();
    path_ = dir_ + "/registry.db";
    // The usual umask of a shell or a service takes the group's write bit away.
    old_umask_ = umask(022);
  }
  void TearDown() override { umask(old_umask_); }
  static unsigned ModeOf(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }

  TempDir temp_{"quillon-shared-"};
  std::string dir_;
  std::string path_;
  mode_t old_umask_ = 0;
};

TEST_F(SharedStoreFileTest, StoreAndItsCompanionsAreMadeForTheOperatorsGroup) {
  {
    SqliteStore store(path_);
    const uint32_t one = 1;
    ASSERT_EQ(store.SetValue("SOFTWARE\\Morvath\\TALVEN", "Language", ValueType::kDword,
                             std::string(reinterpret_cast<const char*>(&one), 4)),
              kOk);
    EXPECT_EQ(ModeOf(path_), 0660u);
    EXPECT_EQ(ModeOf(path_ + "-wal"), 0660u);
    EXPECT_EQ(ModeOf(path_ + "-shm"), 0660u);
  }
  // On a machine with the group, a root or member caller hands the store to it.
  group* g = getgrnam(kOperatorGroup);
  if (g != nullptr && geteuid() == 0) {
    struct stat st;
    ASSERT_EQ(stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_gid, g->gr_gid);
  }
}

TEST_F(SharedStoreFileTest, AnExistingStoreKeepsTheModeItWasGiven) {
  std::ofstream(path_).close();
  ASSERT_EQ(chmod(path_.c_str(), 0600), 0);
  CreateSharedStoreFile(path_);
  EXPECT_EQ(ModeOf(path_), 0600u);
}

}  // namespace
}  // namespace quillon
