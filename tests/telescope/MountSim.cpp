// mount-sim SET [DEGREES_PER_SECOND]: a simulated mount of command set
// A, B, N, D or E; prints its device and serves it until stdin closes.
#include "MountSimulator.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    MountSimulator sim(argv[1][0], argc > 2 ? std::atof(argv[2]) : 8.0);
    std::printf("%s\n", sim.device().c_str());
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
}
