// vobeplayer: the process entry.
#include <string>
#include <vector>

#include "shell/player.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return vobe::PlayerMain(args, vobe::MakePlayerServices());
}
