/* measure.cpp: runs a command with a file as its standard input and
 * prints its wall time and peak resident memory.
 *   measure <stdin-file> <command> [args...] */
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

int main(int argc, char **argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: measure <stdin-file> <command> [args...]\n");
    return 2;
  }
  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    int fd = open(argv[1], O_RDONLY);
    if (fd < 0) _exit(126);
    dup2(fd, 0);
    execvp(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  wait4(child, &status, 0, &usage);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  printf("%.3f %ld\n", seconds, usage.ru_maxrss);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
