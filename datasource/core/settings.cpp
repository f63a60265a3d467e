/* settings.cpp: looking a key up in the connection string, then in the
 * data source's section of odbc.ini (the registry on Windows). */
#include "core/settings.h"

#include <stdlib.h>

#include "core/dsn_file.h"

static const std::string *Find(const std::vector<Attribute> &list, const char *key) {
  for (const Attribute &a : list)
    if (SameKey(a.key, key)) return &a.value;
  return nullptr;
}

bool Settings::Load(std::string *error) { return dsn.empty() || ReadDsnKeys(dsn, &stored, error); }

std::string Settings::Get(const char *key, const char *fallback) const {
  if (const std::string *value = Find(given, key)) return *value;
  if (const std::string *value = Find(stored, key)) return *value;
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
