/* header.cpp: ReadCdfHeader turns the first line of the file into the
 * column table. Each field is a column: its name is the text before the
 * first '@' with every '&' dropped; the letter after the '@' is its type. */
#include <string.h>

#include "cdf_reader.h"
#include "columns.h"
#include "byte_source.h"
#include "charset.h"
#include "convert.h"
#include "failure.h"
#include "lines.h"
#include "field.h"

struct Marker {
  char letter; /* upper case; the header may use either case */
  int32_t type;
  SQLLEN length;
};

static const Marker kMarkers[] = {
  {'C', COL_CHECK, sizeof(double)},
  {'D', COL_DATE, SQL_NTS},
  {'G', COL_LIST, SQL_NTS},
  {'L', COL_LONGTEXT, SQL_NTS},
  {'M', COL_TIME, SQL_NTS},
  {'N', COL_NUMBER, sizeof(double)},
  {'O', COL_OPTION, sizeof(double)},
  {'T', COL_TEXT, SQL_NTS},
};

/* The field after the last column: only an empty last field may stand there. */
static char s_surplusName[COLUMN_NAME_SIZE];

static const Marker *FindMarker(char c) {
  if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
  for (const Marker &m : kMarkers)
    if (m.letter == c) return &m;
  return 0;
}

/* Sets type, length, scaled and groupStart of column i from the marker
 * character and the one after it. */
static void ApplyMarker(int32_t i, const char *marker) {
  ImportColumn *c = &g_columns[i];
  const Marker *m = FindMarker(marker[0]);
  if (!m) return;
  c->type = m->type;
  c->length = m->length;
  int32_t starred = marker[0] != 0 && marker[1] == '*';
  if (m->type == COL_NUMBER) c->scaled = starred;
  if (m->type == COL_OPTION)
    c->groupStart = i == 0 || g_columns[i - 1].type != COL_OPTION || starred;
}

/* Drops every '&' of the name and cuts it at its first '@', whose next
 * character is the marker. */
static void MakeColumn(int32_t i) {
  ImportColumn *c = &g_columns[i];
  c->type = COL_TEXT;
  c->groupStart = 0;
  c->scaled = 0;
  c->groupWidth = GROUP_SMALLINT;
  c->length = SQL_NTS;
  char *read = c->name;
  char *write = c->name;
  for (; *read; read++) {
    if (*read == '&') continue;
    if (*read == '@') {
      *write = 0;
      /* the marker is the next character once ampersands are dropped; an
       * '&' right after the '@' is itself the marker */
      ApplyMarker(i, read + 1);
      break;
    }
    *write++ = *read;
  }
  *write = 0;
  c->text[0] = 0;
  c->number = 0;
  memset(&c->date, 0, sizeof c->date);
}

/* Reads the names of the header line into the column table; 0 when a
 * field cannot be read or the line has more than the table holds. */
static int32_t ReadColumnNames(int32_t *endOfFile) {
  int32_t endOfLine;
  g_columnCount = 0;
  for (;;) {
    char *name = g_columnCount < MAX_COLUMNS ? g_columns[g_columnCount].name : s_surplusName;
    if (!ReadCdfField(name, COLUMN_NAME_SIZE, &endOfLine, endOfFile)) {
      if (g_cdfFailure == CDF_FIELD_TOO_LONG) g_cdfFailure = CDF_NAME_TOO_LONG;
      NoteCdfFailureField(g_columnCount);
      return 0;
    }
    int32_t lineEnded = endOfLine || *endOfFile;
    if (lineEnded && name[0] == 0) return 1;
    if (g_columnCount == MAX_COLUMNS) {
      /* the byte before the position ended the field: the line it is on */
      FailCdfAt(CDF_TOO_MANY_COLUMNS, g_cdfBufferPos > 0 ? g_cdfBufferPos - 1 : 0);
      NoteCdfFailureField(MAX_COLUMNS);
      return 0;
    }
    MakeColumn(g_columnCount);
    g_columnCount++;
    if (lineEnded) return 1;
  }
}

/* Sizes each option group's column by its members, once all are known:
 * a group held as digits is text, NUL-terminated like the others. */
static void SizeOptionGroups(void) {
  for (int32_t i = 0; i < g_columnCount; i++) {
    ImportColumn *c = &g_columns[i];
    if (c->type != COL_OPTION || !c->groupStart) continue;
    c->groupWidth = GroupWidthFor(OptionGroupMembers(i));
    if (c->groupWidth == GROUP_DIGITS) c->length = SQL_NTS;
  }
}

/* Converts the names to UTF-8 when the file's code page asks for it; 0
 * when one no longer fits. */
static int32_t ConvertNames(void) {
  if (CdfCharsetUnsettled()) {
    static const char *names[MAX_COLUMNS];
    static int32_t lengths[MAX_COLUMNS];
    for (int32_t i = 0; i < g_columnCount; i++) {
      names[i] = g_columns[i].name;
      lengths[i] = (int32_t)strlen(names[i]);
    }
    SettleCdfCharset(names, lengths, g_columnCount);
  }
  for (int32_t i = 0; i < g_columnCount; i++) {
    char *name = g_columns[i].name;
    if (ConvertCdfText(name, (int32_t)strlen(name), COLUMN_NAME_SIZE) < 0) {
      FailCdf(CDF_NAME_TOO_LONG_AS_UTF8, CdfLineAt(g_cdfBufferPos > 0 ? g_cdfBufferPos - 1 : 0));
      return 0;
    }
  }
  return 1;
}

int32_t ReadCdfHeader(int32_t *endOfFile) {
  g_columnCount = 0;
  memset(&g_cdfReport, 0, sizeof g_cdfReport);
  if (!SkipCdfByteOrderMark()) return 0;
  if (!ReadColumnNames(endOfFile) || !ConvertNames()) return 0;
  SizeOptionGroups();
  PlanCdfConversions();
  return 1;
}
