// The vobeplayer program itself: exit statuses, the silent second instance, /CONFIG.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "../platform/temp_dir.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "shell/player.h"

namespace vobe {
namespace {

using test::TTempDir;

class PlayerProgram : public testing::Test {
protected:
    void SetUp() override {
        exe = std::string(VOBE_BINARY_DIR) + "/bin/vobeplayer";
        if (!std::filesystem::exists(exe)) GTEST_SKIP() << "vobeplayer is not built here";
        std::filesystem::create_directories(dir.Path() / "run");
    }
    // Runs the player with its own lock folder; returns the exit status, standard error in err.
    int Run(const std::string& args) {
        std::string errFile = dir.Real("stderr.txt");
        std::string cmd = "XDG_RUNTIME_DIR='" + dir.Real("run") +
                          "' SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy '" + exe + "' " + args + " 2>'" +
                          errFile + "' >/dev/null";
        int r = std::system(cmd.c_str());
        err = TTempDir::ReadFile(errFile);
        return WIFEXITED(r) ? WEXITSTATUS(r) : -1;
    }
    TTempDir dir{"player"};
    std::string exe, err;
};

TEST_F(PlayerProgram, ExitStatuses) {
    std::filesystem::create_directories(dir.Path() / "empty");
    EXPECT_EQ(Run("--headless --frames 3 '" + dir.Real("empty") + "'"), kExitNoGame);
    EXPECT_EQ(Run("--headless --bogus"), kExitUsage);
    EXPECT_NE(err.find("unknown option --bogus"), std::string::npos);
    EXPECT_EQ(Run("--headless --input '" + dir.Real("no-such-file") + "' x"), kExitUsage);
    dir.WriteFile("bad.txt", "1 jump\n");
    EXPECT_EQ(Run("--headless --input '" + dir.Real("bad.txt") + "' x"), kExitUsage);
    EXPECT_NE(err.find("line 1"), std::string::npos) << err;
    EXPECT_EQ(Run("--help"), kExitNormal);
}

TEST_F(PlayerProgram, SecondInstanceForTheSameFolderEndsSilently) {
    std::filesystem::create_directories(dir.Path() / "Game");
    // Hold the marker of the folder, named in another letter case.
    std::string upper = dir.Real("run");
    TInstanceMutex held;
    std::string folder = PlayerPath(AbsoluteRealPath(dir.Real("Game")));
    std::string other = folder.substr(0, folder.size() - 4) + "gAME";
    ASSERT_EQ(AcquireInstanceMutex(InstanceName(other), held, dir.Real("run")), TInstanceResult::Acquired);
    // Were it to start, a folder without a game would end with status 2 and a message.
    EXPECT_EQ(Run("--headless --frames 1 '" + dir.Real("Game") + "'"), kExitNormal);
    EXPECT_EQ(err, "");
    ReleaseInstanceMutex(held);
    EXPECT_EQ(Run("--headless --frames 1 '" + dir.Real("Game") + "'"), kExitNoGame);
}

TEST_F(PlayerProgram, ConfigInAnyLetterCaseOpensTheDialog) {
    // Headless, the dialog is answered at once as Cancel: nothing is written, and no game starts.
    EXPECT_EQ(Run("--headless /CONFIG"), kExitNormal);
    EXPECT_EQ(Run("--headless /config"), kExitNormal);
    EXPECT_EQ(err, "");
}

} // namespace
} // namespace vobe
