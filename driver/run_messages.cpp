/* run_messages.cpp: the run's failure messages, each built in one static
 * buffer: the fixed words first, then the place, then the reason. Names
 * and values from the file are shown up to a length that keeps the
 * message readable; the driver's text is shown whole. */
#include "run_messages.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "cdf_file.h"
#include "columns.h"
#include "failure.h"
#include "odbcout.h"
#include "run.h"

enum { SHOWN_TEXT_LIMIT = 60, PLACE_SIZE = 4 * SHOWN_TEXT_LIMIT + 256, MESSAGE_SIZE = PLACE_SIZE + ODBC_MESSAGE_SIZE };

static char s_message[MESSAGE_SIZE];

/* How the driver's message of a refused value names its parameter. */
static const char kParameterMark[] = "(parameter ";

const char *FileNameOf(const char *path) {
  const char *name = path;
  for (const char *p = path; *p; p++)
    if (IsNameSeparator(*p)) name = p + 1;
  return name;
}

/* Formats the message and shows it. */
__attribute__((format(printf, 2, 3))) static void ShowFormatted(UiWindow window, const char *format, ...) {
  va_list args;
  va_start(args, format);
  vsnprintf(s_message, sizeof s_message, format, args);
  va_end(args);
  ShowMessage(window, s_message);
}

/* text up to SHOWN_TEXT_LIMIT bytes into out (room for the limit and
 * "..."), never ending inside a UTF-8 sequence. */
static const char *Shortened(const char *text, char *out) {
  size_t n = strlen(text);
  if (n <= SHOWN_TEXT_LIMIT) return text;
  n = SHOWN_TEXT_LIMIT;
  while (n > 0 && ((unsigned char)text[n] & 0xC0) == 0x80) n--;
  memcpy(out, text, n);
  memcpy(out + n, "...", 4);
  return out;
}

void ShowOpenFailure(UiWindow window, const char *path) {
  ShowFormatted(window, "Could not open file %s: %s", FileNameOf(path), CdfOpenError());
}

void ShowReadFailure(UiWindow window, const char *path, int32_t inHeader) {
  char field[SHOWN_TEXT_LIMIT + 32], name[SHOWN_TEXT_LIMIT + 4];
  int32_t k = g_cdfFailureField;
  field[0] = 0;
  if (k >= 0 && inHeader)
    snprintf(field, sizeof field, ", field %d", k + 1);
  else if (k >= 0 && k < g_columnCount)
    snprintf(field, sizeof field, ", column %.*s", SHOWN_TEXT_LIMIT + 3, Shortened(g_columns[k].name, name));
  ShowFormatted(window, "Error reading file %s, line %lld%s: %s", FileNameOf(path), (long long)g_cdfFailureLine, field,
                CdfFailureText(g_cdfFailure));
}

void ShowNoHeader(UiWindow window, const char *path) {
  ShowFormatted(window,
                "Error reading file %s: there is no header line; the first line must name the columns, "
                "such as Name,Born@D,Amount@N",
                FileNameOf(path));
}

int32_t ParameterNamedIn(const char *driverText) {
  const char *mark = 0;
  for (const char *p = strstr(driverText, kParameterMark); p; p = strstr(p + 1, kParameterMark)) mark = p;
  if (!mark) return 0;
  int32_t n = 0;
  const char *p = mark + sizeof kParameterMark - 1;
  for (; *p >= '0' && *p <= '9' && n < MAX_COLUMNS + 1; p++) n = n * 10 + (*p - '0');
  return *p == ')' ? n : 0;
}

void ShowInsertFailure(UiWindow window, const char *path, int64_t line, const char *driverText) {
  int32_t column = ColumnOfParameter(ParameterNamedIn(driverText));
  if (column < 0) {
    ShowFormatted(window, "%s, line %lld: %s", FileNameOf(path), (long long)line, driverText);
    return;
  }
  const ImportColumn *c = &g_columns[column];
  char name[SHOWN_TEXT_LIMIT + 4], text[SHOWN_TEXT_LIMIT + 4], value[SHOWN_TEXT_LIMIT + 8];
  if (c->type == COL_OPTION && c->groupWidth != GROUP_DIGITS) /* the group's value, not its start's text */
    snprintf(value, sizeof value, "%.0f", c->number);
  else
    snprintf(value, sizeof value, "\"%.*s\"", SHOWN_TEXT_LIMIT + 3, Shortened(c->text, text));
  ShowFormatted(window, "%s, line %lld, column %s, value %s: %s", FileNameOf(path), (long long)line,
                Shortened(c->name, name), value, driverText);
}

void ShowLostRecords(UiWindow window, int64_t first, int32_t last) {
  if (first < 0)
    ShowFormatted(window, "the data source could not be asked how many of the %d records counted it stored", last);
  else if (first == last)
    ShowFormatted(window, "record %d not stored: the table keeps the %lld before it", last, (long long)first - 1);
  else
    ShowFormatted(window, "records %lld-%d not stored: the table keeps the %lld before them", (long long)first, last,
                  (long long)first - 1);
}

void ShowAppendRefused(UiWindow window, const char *path, const char *tableName, const char *difference) {
  ShowFormatted(window, "%s not appended: the table \"%s\" has other columns than the file: %s", FileNameOf(path),
                tableName, difference);
}

void ShowReplacementUndone(UiWindow window, const char *tableName, int32_t tableExisted) {
  if (tableExisted)
    ShowFormatted(window, "nothing replaced: the table \"%s\" is kept as it was", tableName);
  else
    ShowFormatted(window, "nothing imported: the table \"%s\" was not made", tableName);
}
