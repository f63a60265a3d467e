/* settings.cpp: looking a key up in the connection string, then in the
 * data source's section of odbc.ini (the registry on Windows). */
#include "core/settings.h"

#include <odbcinst.h>
#include <stdlib.h>

#ifndef _WIN32
#include "core/dsn_file.h"
#endif

enum { PROFILE_VALUE_SIZE = 4096 };

static const std::string *Find(const std::vector<Attribute> &list, const char *key) {
  for (const Attribute &a : list)
    if (SameKey(a.key, key)) return &a.value;
  return nullptr;
}

#ifdef _WIN32
bool Settings::Load(std::string *) { return true; } /* the registry is read key by key */
#else
bool Settings::Load(std::string *error) { return dsn.empty() || ReadDsnKeys(dsn, &stored, error); }
#endif

std::string Settings::Get(const char *key, const char *fallback) const {
  if (const std::string *value = Find(given, key)) return *value;
  if (const std::string *value = Find(stored, key)) return *value;
#ifdef _WIN32
  if (!dsn.empty()) {
    char value[PROFILE_VALUE_SIZE] = "";
    SQLGetPrivateProfileString(dsn.c_str(), key, fallback, value, sizeof value, "odbc.ini");
    return value;
  }
#endif
  return fallback;
}

long Settings::GetNumber(const char *key, long fallback, long max) const {
  std::string text = Get(key, "");
  if (text.empty()) return fallback;
  char *end = nullptr;
  long n = strtol(text.c_str(), &end, 10);
  if (*end != 0 || n < 0 || n > max || text[0] == '-' || text[0] == '+') return -1;
  return n;
}
