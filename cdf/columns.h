/* columns.h: the column table shared by the CDF readers and the ODBC
 * statements. One record per field position of the file: name and type
 * from the header line, the value of the record read last. The insert's
 * parameters are bound to the value fields, so the table never moves. */
#ifndef LUMETRA_COLUMNS_H
#define LUMETRA_COLUMNS_H

#include <stdint.h>

#include "odbc_types.h"

enum ColumnType {
  COL_TEXT = 0,
  COL_LONGTEXT = 1,
  COL_NUMBER = 2,
  COL_DATE = 3,
  COL_TIME = 4,
  COL_OPTION = 5,
  COL_CHECK = 6,
  COL_LIST = 7
};

enum {
  MAX_COLUMNS = 256,        /* columns in the table */
  COLUMN_NAME_SIZE = 8192,  /* bytes of a name, terminator included */
  COLUMN_TEXT_SIZE = 32768  /* bytes of a field text, terminator included */
};

/* What a record touches comes first, the start of the text in the same
 * cache line as the values; the name, read only with the header, last. */
struct ImportColumn {
  int32_t type;        /* a ColumnType */
  int32_t groupStart;  /* COL_OPTION: 1 when this column starts its group */
  int32_t scaled;      /* COL_NUMBER: 1 for N*, value + 0.005 times 100 */
  int32_t groupWidth;  /* COL_OPTION group start: a GroupWidth */
  double number;
  DATE_STRUCT date;
  SQLLEN length;       /* the bound parameter's length/indicator */
  char text[COLUMN_TEXT_SIZE];
  char name[COLUMN_NAME_SIZE];
};

extern ImportColumn g_columns[MAX_COLUMNS];
extern int32_t g_columnCount;

/* 1 when column i appears in CREATE TABLE and has a bound parameter:
 * every column but the later members of an option group. */
int32_t IsTableColumn(int32_t i);

/* How an option group's column holds every value its members can make:
 * the group in base 2, its start the highest digit, in a small integer up
 * to 15 members, in an integer up to 31, and past that as the text of its
 * digits ("0100..."), since no integer type word is wider. */
enum GroupWidth {
  GROUP_SMALLINT = 0, /* I2 */
  GROUP_INTEGER = 1,  /* I4 */
  GROUP_DIGITS = 2    /* LPWSTR */
};
enum { SMALLINT_GROUP_MEMBERS = 15, INTEGER_GROUP_MEMBERS = 31 };

/* The GroupWidth of a group of members columns. */
int32_t GroupWidthFor(int32_t members);

/* The members of the option group that starts at column i. */
int32_t OptionGroupMembers(int32_t i);

#endif
