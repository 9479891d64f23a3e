#include <unistd.h>

#include <iostream>

#include "cli/Cli.h"
#include "support/CoreDumps.h"

int main(int argc, char** argv) {
    keymora::disableCoreDumps();
    std::ios::sync_with_stdio(false);
    keymora::cli::CliIo io{std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 1};
    return keymora::cli::runCli(argc, argv, io);
}
