// One launch, one read of the configuration file: while the launcher holds
// the file's text, every read comes from that one read, and its own write is
// seen by the reads after it.

#include "launcher/Configuration.h"
#include "platform/Profile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

class ProfileHold : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(scratch_.path().empty());
        ini_ = (folder_ / "app.ini").string();
        platform::holdProfileTexts(true);
    }
    void TearDown() override
    {
        // The other tests of this program read files that they change.
        platform::holdProfileTexts(false);
    }

    void writeIni(const std::string& text) const { std::ofstream(ini_, std::ios::binary) << text; }
    std::string onDisk() const
    {
        std::ifstream in(ini_, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string read(const char* sectionName, const char* key) const { return readIniString(ini_, sectionName, key); }

    ScratchFolder scratch_{"hold"};
    const fs::path& folder_ = scratch_.path();
    std::string ini_;
};

TEST_F(ProfileHold, EverySectionAndKeyComesFromTheFirstRead)
{
    const std::string longClassPath(3000, 'c'); // read in several growing calls
    writeIni("[Java Runtime Environment]\nMain Class=a.B\n[Application]\nFailure Check=Yes\n"
             "[Class Path]\nClass Path=" + longClassPath + "\n");
    EXPECT_EQ(read(section::runtime, "Main Class"), "a.B");

    // Had any later read gone to the disk, it would find another file, then none.
    writeIni("[Java Runtime Environment]\nMain Class=changed.Behind\n");
    EXPECT_EQ(read(section::runtime, "Main Class"), "a.B");
    fs::remove(ini_);
    EXPECT_EQ(read(section::application, "Failure Check"), "Yes");
    EXPECT_EQ(read(section::classPath, "Class Path"), longClassPath);
    EXPECT_EQ(read(section::runtime, "JRE Path"), "");
}

TEST_F(ProfileHold, TheLaunchersOwnWriteIsSeenByTheReadsAfterIt)
{
    writeIni("[Java Runtime Environment]\r\nMain Class=a.B\r\n");
    EXPECT_EQ(read(section::runtime, "JRE Path"), "");
    ASSERT_TRUE(platform::writeProfileString(ini_, section::runtime, "JRE Path", "/opt/jre17/"));
    EXPECT_EQ(read(section::runtime, "JRE Path"), "/opt/jre17/");
    EXPECT_EQ(read(section::runtime, "Main Class"), "a.B");
    EXPECT_EQ(onDisk(), "[Java Runtime Environment]\r\nMain Class=a.B\r\nJRE Path=/opt/jre17/\r\n");
}

TEST_F(ProfileHold, AfterAWriteTheHeldTextIsTheFileAsWritten)
{
    // The write starts from the file as it is then, so an edit made by
    // someone else meanwhile is kept in the file, and from then on read too.
    writeIni("[Java Runtime Environment]\nMain Class=a.B\n");
    EXPECT_EQ(read(section::runtime, "Main Class"), "a.B");
    writeIni("[Java Runtime Environment]\nMain Class=edited.Meanwhile\n");
    ASSERT_TRUE(platform::writeProfileString(ini_, section::runtime, "JRE Path", "/opt/jre/"));
    EXPECT_EQ(read(section::runtime, "Main Class"), "edited.Meanwhile");
    EXPECT_EQ(read(section::runtime, "JRE Path"), "/opt/jre/");
}

TEST_F(ProfileHold, AMissingFileStaysMissingUntilTheLauncherWritesIt)
{
    EXPECT_EQ(read(section::runtime, "Main Class"), "");
    writeIni("[Java Runtime Environment]\nMain Class=too.Late\n");
    EXPECT_EQ(read(section::runtime, "Main Class"), "");
    fs::remove(ini_);
    ASSERT_TRUE(platform::writeProfileString(ini_, section::runtime, "JRE Path", "/opt/jre/"));
    EXPECT_EQ(read(section::runtime, "JRE Path"), "/opt/jre/");
    EXPECT_EQ(read(section::runtime, "Main Class"), "");
}

TEST_F(ProfileHold, AFailedWriteKeepsWhatWasHeld)
{
    writeIni("[Java Runtime Environment]\nJRE Path=/old/\n");
    EXPECT_EQ(read(section::runtime, "JRE Path"), "/old/");
    // A folder where the file was: the write cannot replace it.
    fs::remove(ini_);
    fs::create_directory(ini_);
    EXPECT_FALSE(platform::writeProfileString(ini_, section::runtime, "JRE Path", "/new/"));
    EXPECT_EQ(read(section::runtime, "JRE Path"), "/old/");
}

TEST_F(ProfileHold, ReleasingDropsTheHeldTextAndReadsFollowTheFileAgain)
{
    writeIni("[Application]\nOutput File=a.log\n");
    EXPECT_EQ(read(section::application, "Output File"), "a.log");
    writeIni("[Application]\nOutput File=b.log\n");
    EXPECT_EQ(read(section::application, "Output File"), "a.log");
    platform::holdProfileTexts(false);
    EXPECT_EQ(read(section::application, "Output File"), "b.log");
    writeIni("[Application]\nOutput File=c.log\n");
    EXPECT_EQ(read(section::application, "Output File"), "c.log");
}

TEST_F(ProfileHold, AnotherFileIsReadFromItsOwnText)
{
    const std::string other = (folder_ / "other.ini").string();
    std::ofstream(other, std::ios::binary) << "[Application]\nError File=other.log\n";
    writeIni("[Application]\nError File=app.log\n");
    EXPECT_EQ(read(section::application, "Error File"), "app.log");
    EXPECT_EQ(readIniString(other, section::application, "Error File"), "other.log");
    EXPECT_EQ(read(section::application, "Error File"), "app.log");
}

} // namespace
