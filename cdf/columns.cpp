/* columns.cpp: storage of the column table; zero-filled static data. */
#include "columns.h"

ImportColumn g_columns[MAX_COLUMNS];
int32_t g_columnCount;

int32_t IsTableColumn(int32_t i) {
  return g_columns[i].type != COL_OPTION || g_columns[i].groupStart;
}
