// vobeplayer: the process entry.
#include <cstdio>

int main() {
    std::fputs("vobeplayer: no game could be started\n", stderr);
    return 2;
}
