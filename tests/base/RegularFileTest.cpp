#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/RegularFile.h"
#include "support/TempFolder.h"

namespace tomaro {
namespace {

namespace fs = std::filesystem;

class RegularFileTest : public ::testing::Test {
protected:
    std::string file(const char* name) const { return m_Folder.file(name); }

    static bool descriptorOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

    test::TempFolder m_Folder{"regular-file"};
};

}  // namespace

TEST_F(RegularFileTest, OpensARegularFileWithItsSizeAndClosesItWhenGone) {
    std::ofstream(file("kit.TKit")) << "COMMENT";
    int fd = -1;
    {
        RegularFile opened = RegularFile::open(file("kit.TKit").c_str());
        ASSERT_TRUE(opened.isOpen());
        EXPECT_EQ(opened.failure(), RegularFile::Failure::None);
        EXPECT_EQ(opened.sizeBytes(), 7);
        fd = opened.descriptor();
        char bytes[8] = {};
        EXPECT_EQ(::read(fd, bytes, sizeof bytes), 7);
        EXPECT_TRUE(::fcntl(fd, F_GETFD) & FD_CLOEXEC);
        RegularFile moved = std::move(opened);
        EXPECT_FALSE(opened.isOpen());
        EXPECT_EQ(moved.descriptor(), fd);
    }
    EXPECT_FALSE(descriptorOpen(fd));
}

TEST_F(RegularFileTest, ReleasedDescriptorStaysOpenForItsNewOwner) {
    std::ofstream(file("strike.wav")) << "RIFF";
    int fd = -1;
    {
        RegularFile opened = RegularFile::open(file("strike.wav").c_str());
        fd = opened.release();
        EXPECT_FALSE(opened.isOpen());
    }
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(descriptorOpen(fd));
    ::close(fd);
}

// A pipe without a writer (or, when writing, without a reader) must neither hang the open nor be
// taken for a file; a missing file is told apart from one that cannot be used.
TEST_F(RegularFileTest, RefusesWhatIsNoRegularFileAtOnce) {
    EXPECT_EQ(RegularFile::open(file("none").c_str()).failure(), RegularFile::Failure::Missing);
    EXPECT_EQ(RegularFile::open(file("none/deeper").c_str()).failure(),
              RegularFile::Failure::Missing);
    EXPECT_EQ(RegularFile::open(m_Folder.path().c_str()).failure(),
              RegularFile::Failure::NotRegular);
    EXPECT_EQ(RegularFile::open("/dev/zero").failure(), RegularFile::Failure::NotRegular);
    ASSERT_EQ(::mkfifo(file("pipe").c_str(), 0600), 0);
    const RegularFile pipe = RegularFile::open(file("pipe").c_str());
    EXPECT_FALSE(pipe.isOpen());
    EXPECT_EQ(pipe.failure(), RegularFile::Failure::NotRegular);
    EXPECT_EQ(RegularFile::open(file("pipe").c_str(), RegularFile::Access::WriteCreate).failure(),
              RegularFile::Failure::CannotOpen);
}

TEST_F(RegularFileTest, WritingCreatesAMissingFileAndLeavesAnExistingOneWhole) {
    RegularFile created =
        RegularFile::open(file("lugs.csv").c_str(), RegularFile::Access::WriteCreate);
    ASSERT_TRUE(created.isOpen());
    EXPECT_EQ(::write(created.descriptor(), "rod", 3), 3);
    created.close();
    EXPECT_FALSE(created.isOpen());
    const RegularFile again =
        RegularFile::open(file("lugs.csv").c_str(), RegularFile::Access::WriteCreate);
    ASSERT_TRUE(again.isOpen());
    EXPECT_EQ(again.sizeBytes(), 3);
    EXPECT_EQ(fs::file_size(file("lugs.csv")), 3u);
}

}  // namespace tomaro
