#include "storage/atomicsave.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
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

TEST_F(AtomicSaveTest, SymbolicLinksAreWrittenThroughAndStay) {
    fs::create_directories(dir_ / "real");
    fs::create_symlink(dir_ / "real" / "a.net", dir_ / "absolute.net");
    fs::create_symlink("real/b.net", dir_ / "relative.net");
    fs::create_symlink("relative.net", dir_ / "chain.net"); // a link to a link
    Write(dir_ / "real" / "a.net", "old");
    Write(dir_ / "real" / "b.net", "old");
    fs::create_symlink("real/c.net", dir_ / "new.net"); // to nothing yet: the file to create
    for (const char* link : {"absolute.net", "chain.net", "relative.net", "new.net"}) {
        std::string error;
        ASSERT_TRUE(AtomicSave((dir_ / link).string(),
                               [&](std::ostream& o) { return bool(o << link); }, error))
            << error;
        EXPECT_TRUE(fs::is_symlink(dir_ / link));
    }
    EXPECT_EQ(Read(dir_ / "real" / "a.net"), "absolute.net");
    EXPECT_EQ(Read(dir_ / "real" / "b.net"), "relative.net");
    EXPECT_EQ(Read(dir_ / "real" / "c.net"), "new.net");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "real"), {}), 3) << "no leftovers";
}

// Runs body in a child process under a file-size limit of 1000 bytes; its status.
template <class Body> int UnderFileSizeLimit(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

TEST_F(AtomicSaveTest, AFileSizeLimitFailsTheSaveWithAMessageAndNoLeftovers) {
    const auto file = dir_ / "net.net";
    Write(file, "precious");
    const auto message = dir_ / "message";
    const int status = UnderFileSizeLimit([&] {
        std::signal(SIGXFSZ, SIG_DFL); // what a shell gives a program
        std::string error;
        const bool saved = AtomicSave(
            file.string(), [](std::ostream& o) { return bool(o << std::string(5000, 'x')); },
            error);
        std::ofstream(message) << error;
        return saved ? 1 : 0;
    });
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Read(message), "Cannot write " + file.string() + ": File too large");
    EXPECT_EQ(Read(file), "precious");
    EXPECT_EQ(EntryCount(), 2u) << "the file and the message only";
}

TEST_F(AtomicSaveTest, TheTemporaryFileIsNamedAfterTheFileItBecomes) {
    // A process that dies in the middle of a save leaves its temporary file: the name says
    // whose it is.
    const auto file = dir_ / "net.net";
    const int status = UnderFileSizeLimit([&] {
        std::signal(SIGXFSZ, [](int) { ::_exit(7); });
        std::string error;
        AtomicSave(
            file.string(), [](std::ostream& o) { return bool(o << std::string(5000, 'x')); },
            error);
        return 0;
    });
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 7);
    ASSERT_EQ(EntryCount(), 1u);
    const std::string name = fs::directory_iterator(dir_)->path().filename().string();
    EXPECT_EQ(name.substr(0, name.size() - 6), ".net.net.tmp-") << name;
}

TEST_F(AtomicSaveTest, WhatIsNotARegularFileIsWrittenIntoAndStays) {
    const auto save = [](const fs::path& p, const std::string& text, std::string& error) {
        return AtomicSave(
            p.string(), [&](std::ostream& o) { return bool(o << text); }, error);
    };
    // A FIFO: the reader at its other end (open already, so the save never waits) gets the
    // content, and the FIFO is still one.
    const auto fifo = dir_ / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::string error;
    EXPECT_TRUE(save(fifo, "through the pipe", error)) << error;
    char received[64] = {};
    EXPECT_EQ(::read(reader, received, sizeof received), 16);
    ::close(reader);
    EXPECT_STREQ(received, "through the pipe");
    EXPECT_TRUE(fs::is_fifo(fifo));

    // Device nodes made here: one that swallows everything, one that is always full. Each
    // stays the device it was; the full one fails the save with the system's reason.
    const auto sink = dir_ / "sink";
    const auto full = dir_ / "full";
    ASSERT_EQ(::mknod(sink.c_str(), S_IFCHR | 0600, ::makedev(1, 3)), 0) << "needs root";
    ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0600, ::makedev(1, 7)), 0);
    EXPECT_TRUE(save(sink, "gone", error)) << error;
    std::string reason;
    EXPECT_FALSE(AtomicSave(
        full.string(), [](std::ostream& o) { return bool(o << "no room"); }, error, &reason));
    EXPECT_EQ(error, "Cannot write " + full.string() + ": No space left on device");
    EXPECT_EQ(reason, "No space left on device");
    for (const auto& node : {sink, full}) {
        struct stat st {};
        ASSERT_EQ(::lstat(node.c_str(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode)) << node;
    }
    EXPECT_EQ(EntryCount(), 3u) << "no temporary file, nothing put in their places";

    // A link to any of them is written through and stays a link.
    const auto link = dir_ / "link";
    fs::create_symlink(sink, link);
    EXPECT_TRUE(save(link, "gone too", error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
}

TEST_F(AtomicSaveTest, AFileReachedThroughADescriptorGetsTheContentAtItsEnd) {
    // As `--save /dev/stdout` does with standard output sent to a file: the file keeps what
    // the descriptor wrote before and is not replaced (its inode stays).
    const auto file = dir_ / "out.txt";
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "rows\n", 5), 5);
    struct stat before {};
    ASSERT_EQ(::fstat(fd, &before), 0);
    std::string error;
    EXPECT_TRUE(AtomicSave(
        "/proc/self/fd/" + std::to_string(fd), [](std::ostream& o) { return bool(o << "net"); },
        error))
        << error;
    ::close(fd);
    EXPECT_EQ(Read(file), "rows\nnet");
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(EntryCount(), 1u);
}

} // namespace
} // namespace veltra
