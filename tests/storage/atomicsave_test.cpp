#include "storage/atomicsave.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace veltra {
namespace {

namespace fs = std::filesystem;

class AtomicSaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("veltra_atomic_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Write(const fs::path& p, const std::string& s) {
        std::ofstream(p, std::ios::binary) << s;
    }
    std::size_t EntryCount() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
    }
    fs::path dir_;
};

TEST_F(AtomicSaveTest, WritesNewFileAndReplacesOldOne) {
    const auto file = dir_ / "net.net";
    std::string error;
    ASSERT_TRUE(AtomicSave(
        file.string(), [](std::ostream& o) { return bool(o << "first\r\n"); }, error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(Read(file), "first\r\n");
    ASSERT_TRUE(AtomicSave(
        file.string(), [](std::ostream& o) { return bool(o << "2"); }, error));
    EXPECT_EQ(Read(file), "2");
    EXPECT_EQ(EntryCount(), 1u) << "no temporary file may stay behind";
}

TEST_F(AtomicSaveTest, FailedWriterLeavesOldFileIntact) {
    const auto file = dir_ / "net.net";
    Write(file, "precious");
    std::string error;
    EXPECT_FALSE(AtomicSave(
        file.string(),
        [](std::ostream& o) {
            o << "half a net";
            return false;
        },
        error));
    EXPECT_NE(error, "");
    EXPECT_EQ(Read(file), "precious");
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(AtomicSaveTest, UnwritableFolderFailsAndKeepsOldFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    const auto file = dir_ / "net.net";
    Write(file, "precious");
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    std::string error;
    EXPECT_FALSE(AtomicSave(
        file.string(), [](std::ostream& o) { return bool(o << "x"); }, error));
    EXPECT_NE(error.find("Cannot create file"), std::string::npos) << error;
    EXPECT_EQ(Read(file), "precious");
}

TEST_F(AtomicSaveTest, MissingFolderIsReported) {
    std::string error;
    EXPECT_FALSE(AtomicSave((dir_ / "no" / "such.net").string(),
                            [](std::ostream& o) { return bool(o << "x"); }, error));
    EXPECT_NE(error, "");
    EXPECT_FALSE(fs::exists(dir_ / "no"));
}

TEST_F(AtomicSaveTest, TargetThatIsAFolderFailsWithoutLeftovers) {
    const auto target = dir_ / "sub";
    fs::create_directories(target / "keep");
    std::string error;
    EXPECT_FALSE(AtomicSave(
        target.string(), [](std::ostream& o) { return bool(o << "x"); }, error));
    EXPECT_NE(error, "");
    EXPECT_TRUE(fs::is_directory(target / "keep"));
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(AtomicSaveTest, KeepsPermissionsOfReplacedFile) {
    const auto file = dir_ / "net.net";
    Write(file, "old");
    ::chmod(file.c_str(), 0640);
    std::string error;
    ASSERT_TRUE(AtomicSave(
        file.string(), [](std::ostream& o) { return bool(o << "new"); }, error));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

} // namespace
} // namespace veltra
