#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <iostream>

#include "cli/Cli.h"
#include "support/CoreDumps.h"

namespace {

// Listings of large files run to megabytes: a bigger pipe lets the program
// write on while the reader catches up. Where that is refused, nothing changes.
void widenOutputPipe() {
    struct stat st {};
    if (::fstat(STDOUT_FILENO, &st) == 0 && S_ISFIFO(st.st_mode)) {
        (void)::fcntl(STDOUT_FILENO, F_SETPIPE_SZ, 1 << 20);
    }
}

}  // namespace

int main(int argc, char** argv) {
    keymora::disableCoreDumps();
    widenOutputPipe();
    std::ios::sync_with_stdio(false);
    keymora::cli::CliIo io{std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 1};
    return keymora::cli::runCli(argc, argv, io);
}
