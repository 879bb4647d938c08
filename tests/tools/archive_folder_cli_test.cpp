// `vobetool archive pack` and `extract` with folders whose name ends in a double-byte character whose
// trail byte is 0x5C ("表"): that byte is no separator, so the folder still needs one of its own.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "../platform/temp_dir.h"

namespace vobe {
namespace {

int Tool(const std::string& args) {
    const std::string cmd =
        "'" + std::string(VOBE_BINARY_DIR) + "/bin/vobetool' " + args + " >/dev/null 2>&1";
    const int st = std::system(cmd.c_str());
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

TEST(ArchiveFolderCli, FolderNamesEndingInATrailByte) {
    if (!std::ifstream(std::string(VOBE_BINARY_DIR) + "/bin/vobetool").good())
        GTEST_SKIP() << "vobetool is not built here";
    test::TTempDir tmp("archive-folder-cli");
    tmp.WriteFile("src表/a.txt", "alpha");
    tmp.WriteFile("src表/sub/b.txt", "beta");
    const std::string archive = tmp.Real("game.dat");
    ASSERT_EQ(Tool("archive pack '" + tmp.Real("src表") + "' '" + archive + "'"), 0);
    ASSERT_EQ(Tool("archive extract '" + archive + "' '" + tmp.Real("out表") + "'"), 0);
    EXPECT_EQ(test::TTempDir::ReadFile(tmp.Real("out表/a.txt")), "alpha");
    EXPECT_EQ(test::TTempDir::ReadFile(tmp.Real("out表/sub/b.txt")), "beta");
}

} // namespace
} // namespace vobe
