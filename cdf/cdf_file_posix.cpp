/* cdf_file_posix.cpp: the CDF file on Linux: a read-only descriptor,
 * advised for sequential reading. Only regular files are accepted: open
 * succeeds on a directory and only the first read would fail. The open
 * does not block, so a FIFO without a writer is refused instead of
 * waiting forever for one. */
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "byte_source.h"
#include "cdf_file.h"

CdfHandle g_hCdfFile = CDF_NO_FILE;

static const char *s_openError = "";

const char *CdfOpenError(void) {
  return s_openError;
}

int32_t OpenCdfFile(const char *path) {
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    s_openError = strerror(errno);
    return 0;
  }
  struct stat st;
  int flags = fcntl(fd, F_GETFL);
  int32_t statted = fstat(fd, &st) == 0;
  if (!statted || !S_ISREG(st.st_mode) || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    s_openError = !statted || S_ISREG(st.st_mode) ? strerror(errno) : "not a regular file";
    if (statted && S_ISDIR(st.st_mode)) s_openError = strerror(EISDIR);
    close(fd);
    return 0;
  }
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  g_hCdfFile = fd;
  ResetCdfSource();
  return 1;
}

void CloseCdfFile(void) {
  if (g_hCdfFile == CDF_NO_FILE) return;
  close(g_hCdfFile);
  g_hCdfFile = CDF_NO_FILE;
}

int32_t ReadCdfFileBytes(unsigned char *buf, int32_t size) {
  for (;;) {
    ssize_t got = read(g_hCdfFile, buf, (size_t)size);
    if (got >= 0) return (int32_t)got;
    if (errno != EINTR) return -1;
  }
}
