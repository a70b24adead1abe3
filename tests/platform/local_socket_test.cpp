// Private folders and the local listening socket of the live skin preview:
// nothing another account could have prepared is ever used.
#include "platform/local_socket.h"
#include "platform/private_dir.h"
#include "tests/support/temp_dir.h"
#include "tests/support/used_up_descriptors.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

namespace fs = std::filesystem;

unsigned ModeOf(const fs::path& path)
{
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 0777u;
}

// A client connection to path; -1 when nobody listens there.
int Connect(const std::string& path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

TEST(PrivateDirectory, IsCreatedForTheUserAloneAndChecked)
{
    testing_support::TempDir temp;
    const fs::path dir = temp.path() / "own";
    EXPECT_EQ(platform::MakePrivateDirectory(dir.string()), "");
    EXPECT_EQ(ModeOf(dir), 0700u);
    EXPECT_EQ(platform::MakePrivateDirectory(dir.string()), "") << "an existing private folder is used again";
    EXPECT_EQ(platform::CheckPrivateDirectory(dir.string()), "");
    EXPECT_NE(platform::MakePrivateDirectory((temp.path() / "no" / "parent").string()), "");
    EXPECT_NE(platform::MakePrivateDirectory(""), "");
}

TEST(PrivateDirectory, AnythingOthersCouldReachOrReplaceIsRefused)
{
    testing_support::TempDir temp;
    const fs::path open = temp.path() / "open";
    fs::create_directory(open);
    chmod(open.c_str(), 0755);
    const fs::path groupWritable = temp.path() / "group";
    fs::create_directory(groupWritable);
    chmod(groupWritable.c_str(), 0770);
    const fs::path link = temp.path() / "link";
    fs::create_directory_symlink(temp.path(), link);
    const fs::path file = temp.path() / "file";
    std::ofstream(file) << "x";
    struct Case {
        fs::path path;
        const char* why;
    };
    for (const Case& c : {Case{open, "open to other users (mode 755)"}, Case{groupWritable, "mode 770"},
                          Case{link, "symbolic link"}, Case{file, "not a directory"}}) {
        const std::string problem = platform::MakePrivateDirectory(c.path.string());
        EXPECT_NE(problem.find(c.why), std::string::npos) << c.path << ": " << problem;
    }
    EXPECT_EQ(ModeOf(open), 0755u) << "never repaired behind the owner's back";
}

TEST(PrivateDirectory, AFolderOfAnotherUserIsRefused)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "giving a folder to another user needs root";
    testing_support::TempDir temp;
    const fs::path theirs = temp.path() / "theirs";
    fs::create_directory(theirs);
    chmod(theirs.c_str(), 0700);
    ASSERT_EQ(chown(theirs.c_str(), 65534, 65534), 0);
    EXPECT_NE(platform::MakePrivateDirectory(theirs.string()).find("belongs to user 65534"), std::string::npos);
}

TEST(LocalListener, ListensForTheOwnerAndStepsBackForALiveOne)
{
    testing_support::TempDir temp;
    const std::string path = (temp.path() / "sock").string();
    platform::LocalListener first = platform::ListenLocal(path, 4);
    ASSERT_GE(first.fd, 0) << first.error;
    EXPECT_EQ(ModeOf(path), 0600u);
    const platform::LocalListener second = platform::ListenLocal(path, 4);
    EXPECT_LT(second.fd, 0);
    EXPECT_TRUE(second.inUse) << second.error;

    int accepted = -1;
    ASSERT_EQ(platform::AcceptLocal(first.fd, accepted), platform::AcceptOutcome::Accepted)
        << "the second one found the first by connecting to it";
    close(accepted);
    EXPECT_EQ(platform::AcceptLocal(first.fd, accepted), platform::AcceptOutcome::NoneWaiting);
    const int client = Connect(path);
    ASSERT_GE(client, 0);
    ASSERT_EQ(platform::AcceptLocal(first.fd, accepted), platform::AcceptOutcome::Accepted);
    close(accepted);
    close(client);
    platform::CloseLocalListener(first, path);
    EXPECT_FALSE(fs::exists(path)) << "the socket file goes with its listener";
}

TEST(LocalListener, ReplacesALeftoverSocketButNoOtherFile)
{
    testing_support::TempDir temp;
    const std::string path = (temp.path() / "sock").string();
    {
        // A listener that died without cleaning up: the file stays, nobody answers.
        platform::LocalListener gone = platform::ListenLocal(path, 4);
        ASSERT_GE(gone.fd, 0);
        close(gone.fd);
    }
    ASSERT_TRUE(fs::exists(path));
    platform::LocalListener again = platform::ListenLocal(path, 4);
    EXPECT_GE(again.fd, 0) << again.error;
    platform::CloseLocalListener(again, path);

    const std::string file = (temp.path() / "file").string();
    std::ofstream(file) << "keep me";
    const platform::LocalListener refused = platform::ListenLocal(file, 4);
    EXPECT_LT(refused.fd, 0);
    EXPECT_FALSE(refused.inUse);
    EXPECT_TRUE(fs::is_regular_file(file));
    EXPECT_LT(platform::ListenLocal(std::string(200, 'x'), 4).fd, 0) << "longer than a socket address holds";
}

TEST(LocalListener, RunningOutOfDescriptorsLeavesTheListenerUsable)
{
    testing_support::TempDir temp;
    const std::string path = (temp.path() / "sock").string();
    platform::LocalListener listener = platform::ListenLocal(path, 4);
    ASSERT_GE(listener.fd, 0);
    const int client = Connect(path);
    ASSERT_GE(client, 0);

    testing_support::UsedUpDescriptors usedUp(256);
    ASSERT_TRUE(usedUp.Taken());
    int accepted = -1;
    std::string error;
    const platform::AcceptOutcome starved = platform::AcceptLocal(listener.fd, accepted, &error);
    usedUp.Release();
    EXPECT_EQ(starved, platform::AcceptOutcome::OutOfResources) << error;
    EXPECT_EQ(platform::AcceptLocal(listener.fd, accepted), platform::AcceptOutcome::Accepted)
        << "the waiting peer is still there";
    close(accepted);
    close(client);
    platform::CloseLocalListener(listener, path);
}

} // namespace
