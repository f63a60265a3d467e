/* sql_text.cpp: appending to the statement buffer. The buffer is sized
 * for the longest statement, so an append never has to be refused; the
 * bound is still checked so that nothing can be written past it. */
#include "sql_text.h"

char g_sqlText[SQL_TEXT_SIZE];
static int32_t s_sqlLength;

void StartSqlText(void) {
  s_sqlLength = 0;
  g_sqlText[0] = 0;
}

static void AppendByte(char c) {
  if (s_sqlLength >= SQL_TEXT_SIZE - 1) return;
  g_sqlText[s_sqlLength++] = c;
  g_sqlText[s_sqlLength] = 0;
}

void AppendSqlText(const char *text) {
  for (; *text; text++) AppendByte(*text);
}

void AppendSqlName(const char *name) {
  AppendByte('"');
  for (; *name; name++) {
    if (*name == '"') AppendByte('"');
    AppendByte(*name);
  }
  AppendByte('"');
}
