/* dsn_file.cpp: reading a data source's section from unixODBC's ini
 * files, the user's before the system's. */
#include "core/dsn_file.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <sstream>

/* unixODBC's own answers for where its files are: exported by
 * libodbcinst (odbcinstext.h keeps them private), asked without the
 * check that opens the file for writing. */
extern "C" int _odbcinst_UserINI(char *path, int verify);
extern "C" int _odbcinst_SystemINI(char *path, int verify);

enum { INI_PATH_SIZE = FILENAME_MAX + 1 };

static std::string Trimmed(const std::string &s) {
  size_t from = s.find_first_not_of(" \t\r");
  if (from == std::string::npos) return "";
  return s.substr(from, s.find_last_not_of(" \t\r") - from + 1);
}

bool FindDsnSection(const std::string &text, const std::string &dsn, std::vector<Attribute> *keys) {
  std::istringstream lines(text);
  std::string line;
  bool inSection = false, found = false;
  while (std::getline(lines, line)) {
    line = Trimmed(line);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      inSection = close != std::string::npos && SameKey(Trimmed(line.substr(1, close - 1)), dsn.c_str());
      found = found || inSection;
      continue;
    }
    size_t eq = line.find('=');
    if (inSection && eq != std::string::npos) keys->push_back({Trimmed(line.substr(0, eq)), Trimmed(line.substr(eq + 1))});
  }
  return found;
}

static std::string UserFile() {
  char path[INI_PATH_SIZE] = "";
  _odbcinst_UserINI(path, 0);
  return path;
}

static std::string SystemFile() {
  char path[INI_PATH_SIZE] = "";
  _odbcinst_SystemINI(path, 0);
  return path;
}

/* The whole file into *text; a missing file is empty, one that cannot be
 * read is an error. */
static bool ReadIni(const std::string &path, std::string *text, std::string *error) {
  FILE *in = fopen(path.c_str(), "rb");
  if (!in && errno == ENOENT) return true;
  char block[BUFSIZ];
  size_t got;
  while (in && (got = fread(block, 1, sizeof block, in)) > 0) text->append(block, got);
  if (!in || ferror(in)) {
    *error = "cannot read the data source file " + path + ": " + strerror(errno);
    if (in) fclose(in);
    return false;
  }
  fclose(in);
  return true;
}

bool ReadDsnKeys(const std::string &dsn, std::vector<Attribute> *keys, std::string *error) {
  const std::string files[] = {UserFile(), SystemFile()};
  for (const std::string &path : files) {
    std::string text;
    if (!ReadIni(path, &text, error)) return false;
    if (FindDsnSection(text, dsn, keys)) return true;
  }
  *error = "data source \"" + dsn + "\" is in neither " + files[0] + " nor " + files[1];
  return false;
}
