// Runs a program and tells its peak resident size, as its own wait status
// reports it. A benchmark started by a large process cannot ask the system
// for its child's peak directly: a child counts the memory of the process it
// was started from until it runs its program; started from this small one,
// it counts its own alone.
//
//   peak_resident <report> <program> [<argument>...]
//
// Appends the peak in KiB as a line to <report> and exits with the program's
// status (127 when it could not start).

#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: peak_resident <report> <program> [<argument>...]\n");
        return 2;
    }
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[2], nullptr, nullptr, argv + 2, environ) != 0) return 127;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return 1;
    if (std::FILE* report = std::fopen(argv[1], "a")) {
        std::fprintf(report, "%ld\n", usage.ru_maxrss);
        std::fclose(report);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
