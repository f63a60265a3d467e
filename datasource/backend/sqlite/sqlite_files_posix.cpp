/* sqlite_files_posix.cpp: the database file's place and access on Linux. */
#include "backend/sqlite/sqlite_files.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

static std::string Quoted(const std::string &s) { return "\"" + s + "\""; }

std::string DefaultDatabase() {
  const char *xdg = getenv("XDG_DATA_HOME");
  const char *home = getenv("HOME");
  std::string base = xdg && *xdg ? xdg : std::string(home ? home : ".") + "/.local/share";
  std::string dir = base + "/lumetra";
  for (size_t i = 1; i <= dir.size(); i++)
    if (i == dir.size() || dir[i] == '/') mkdir(dir.substr(0, i).c_str(), 0700);
  return dir + "/lumetra.db";
}

std::string DatabasePath(const std::string &given) { return given; }

std::string UnusableReason(const std::string &path) {
  std::string dir = path.find('/') == std::string::npos ? "." : path.substr(0, path.rfind('/'));
  if (dir.empty()) dir = "/";
  struct stat st;
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return "Database folder does not exist: " + Quoted(dir);
  if (access(path.c_str(), F_OK) == 0) {
    if (access(path.c_str(), R_OK | W_OK) != 0) return "Database file is not writable: " + Quoted(path);
  } else if (access(dir.c_str(), W_OK | X_OK) != 0) {
    return "Database folder is not writable: " + Quoted(dir);
  }
  return "";
}
