/* table_name.cpp: TableNameFromPath, and ImportTableName, which prefers
 * the name given with --table. The separator is searched first, so
 * a '.' in a folder name does not count; a leading '.' is kept. Every
 * character is examined, the first too: a file in the root folder
 * (/people.cdf) is named after its file name, not after its path. */
#include <stdio.h>
#include <string.h>

#include "run.h"

void TableNameFromPath(const char *path, char *tableName) {
  int32_t length = (int32_t)strlen(path);
  const char *name = path;
  for (int32_t i = length - 1; i >= 0; i--) {
    if (IsNameSeparator(path[i])) {
      name = path + i + 1;
      break;
    }
  }
  int32_t n = (int32_t)strlen(name);
  if (n > TABLE_NAME_SIZE - 1) n = TABLE_NAME_SIZE - 1;
  memcpy(tableName, name, (size_t)n);
  tableName[n] = 0;
  for (int32_t i = n - 1; i >= 1; i--)
    if (tableName[i] == '.') tableName[i] = 0;
}

void ImportTableName(const char *path, char *tableName) {
  if (g_importOptions.tableName)
    snprintf(tableName, TABLE_NAME_SIZE, "%s", g_importOptions.tableName);
  else
    TableNameFromPath(path, tableName);
}
