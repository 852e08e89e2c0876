// Runs one command with its standard streams on files and prints its wall time in seconds, its
// peak resident memory in KiB, its exit status and the processor time it used (user and
// system, in seconds), for the timing script:
//   run_measured STDIN STDOUT STDERR PROGRAM [ARGUMENT...]
// A launcher this small keeps the measurement clean: a child's peak memory counts the memory of
// the process it was started from, which for a Python script would be tens of megabytes.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <ctime>

extern char** environ;

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: run_measured STDIN STDOUT STDERR PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    posix_spawn_file_actions_t streams;
    posix_spawn_file_actions_init(&streams);
    posix_spawn_file_actions_addopen(&streams, 0, argv[1], O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&streams, 1, argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&streams, 2, argv[3], O_WRONLY | O_CREAT | O_TRUNC, 0644);

    timespec start{};
    timespec end{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t child = 0;
    if (posix_spawn(&child, argv[4], &streams, nullptr, argv + 4, environ) != 0) {
        std::perror("run_measured: could not start the program");
        return 2;
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        std::perror("run_measured: could not wait for the program");
        return 2;
    }
    clock_gettime(CLOCK_MONOTONIC, &end);
    posix_spawn_file_actions_destroy(&streams);

    const double seconds = static_cast<double>(end.tv_sec - start.tv_sec) +
                           static_cast<double>(end.tv_nsec - start.tv_nsec) * 1e-9;
    const int exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    const auto in_seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
    };
    std::printf("%.9f %ld %d %.6f\n", seconds, usage.ru_maxrss, exit_status,
                in_seconds(usage.ru_utime) + in_seconds(usage.ru_stime));
    return 0;
}
