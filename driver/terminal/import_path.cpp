/* import_path.cpp: checks of the terminal chooser and of the command
 * line's FILE. The path given to the run is absolute, fits the run's
 * FILE_NAME_SIZE and names a regular file that exists. A name typed without extension
 * is taken as typed when it is a regular file, else with ".cdf". The
 * folders of the path are resolved, the file's own name is kept: a
 * symbolic link gives the table its own name, not its target's. */
#include "import_path.h"

#include "ui.h"

#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

enum { FILE_NAME_LIMIT = FILE_NAME_SIZE - 1 };

static const char kDefaultExtension[] = ".cdf";

/* 1 when the last name of path has no '.' after its first character. */
static int32_t LacksExtension(const char *path) {
  const char *name = strrchr(path, '/');
  name = name ? name + 1 : path;
  return name[0] != 0 && strchr(name + 1, '.') == 0;
}

static int32_t Exists(const char *path) {
  struct stat st;
  return stat(path, &st) == 0;
}

static int32_t IsRegularFile(const char *path) {
  struct stat st;
  return stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

/* The full path of the existing file path: its folder resolved, its name
 * as it stands. 0 with errno set when the folder cannot be resolved. */
static int32_t ResolveFolder(const char *path, char *full, size_t size) {
  char folder[PATH_MAX + 8];
  const char *slash = strrchr(path, '/');
  const char *name = slash ? slash + 1 : path;
  if (!slash) {
    strcpy(folder, ".");
  } else if (slash == path) {
    strcpy(folder, "/");
  } else {
    memcpy(folder, path, (size_t)(slash - path));
    folder[slash - path] = 0;
  }
  char resolved[PATH_MAX];
  if (!realpath(folder, resolved)) return 0;
  const char *separator = strcmp(resolved, "/") == 0 ? "" : "/";
  int n = snprintf(full, size, "%s%s%s", resolved, separator, name);
  if (n < 0 || (size_t)n >= size) {
    errno = ENAMETOOLONG;
    return 0;
  }
  return 1;
}

int32_t ResolveImportPath(const char *typed, char *fileName, char *reason, int32_t size) {
  char candidate[PATH_MAX + 8];
  const char *home = getenv("HOME");
  if (typed[0] == '~' && typed[1] == '/' && home)
    snprintf(candidate, sizeof candidate, "%s%s", home, typed + 1);
  else
    snprintf(candidate, sizeof candidate, "%s", typed);
  if (!IsRegularFile(candidate) && LacksExtension(candidate) && strlen(candidate) + sizeof kDefaultExtension <= sizeof candidate) {
    char withExtension[sizeof candidate + sizeof kDefaultExtension];
    snprintf(withExtension, sizeof withExtension, "%s%s", candidate, kDefaultExtension);
    if (Exists(withExtension)) memcpy(candidate, withExtension, sizeof candidate);
  }
  struct stat st;
  if (stat(candidate, &st) != 0) {
    snprintf(reason, (size_t)size, "%s: %s", typed, strerror(errno));
    return PATH_REFUSED;
  }
  if (!S_ISREG(st.st_mode)) {
    snprintf(reason, (size_t)size, "%s: not a regular file", typed);
    return PATH_REFUSED;
  }
  char full[PATH_MAX + 8];
  if (!ResolveFolder(candidate, full, sizeof full)) {
    snprintf(reason, (size_t)size, "%s: %s", typed, strerror(errno));
    return PATH_REFUSED;
  }
  if (strlen(full) > FILE_NAME_LIMIT) {
    snprintf(reason, (size_t)size, "%s: the full path is longer than %d bytes", typed, FILE_NAME_LIMIT);
    return PATH_TOO_LONG;
  }
  strcpy(fileName, full);
  return PATH_OK;
}
