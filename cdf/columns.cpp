/* columns.cpp: storage of the column table, zero-filled static data, and
 * the rules about its columns that the readers and statements share. */
#include "columns.h"

ImportColumn g_columns[MAX_COLUMNS];
int32_t g_columnCount;

int32_t IsTableColumn(int32_t i) {
  return g_columns[i].type != COL_OPTION || g_columns[i].groupStart;
}

int32_t GroupWidthFor(int32_t members) {
  if (members <= SMALLINT_GROUP_MEMBERS) return GROUP_SMALLINT;
  if (members <= INTEGER_GROUP_MEMBERS) return GROUP_INTEGER;
  return GROUP_DIGITS;
}

int32_t OptionGroupMembers(int32_t i) {
  int32_t n = 1;
  while (i + n < g_columnCount && g_columns[i + n].type == COL_OPTION && !g_columns[i + n].groupStart) n++;
  return n;
}
