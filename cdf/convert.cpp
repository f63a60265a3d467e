/* convert.cpp: the value conversions of a record's fields. Every double
 * operation is rounded on its own (the build forbids contraction), so the
 * values are the same bit for bit on every platform. */
#include "convert.h"

#include <string.h>

#include "columns.h"

static const double kTen = 10.0;
static const double kHundred = 100.0;
static const double kMinusOne = -1.0;
static const double kHalfCent = 0.005;
enum { MAX_DECIMALS = 2, DATE_TEXT_LENGTH = 8, TIME_TEXT_LENGTH = 4 };

/* The number as the rule states it: every step number * 10 + digit in
 * doubles, each rounded on its own. */
static double ConvertNumberInDoubles(const char *text, int32_t scaled) {
  double number = 0;
  int32_t negative = 0;
  int32_t decimals = -1;
  for (const char *p = text; *p && decimals != MAX_DECIMALS; p++) {
    if (*p == '-') {
      negative = 1;
    } else if (*p == '.') {
      decimals = 0;
    } else if (*p >= '0' && *p <= '9') {
      number = number * kTen + (double)(*p - '0');
      if (decimals >= 0) decimals++;
    }
  }
  if (decimals == 1) number = number / kTen;
  if (decimals == 2) number = number / kHundred;
  if (scaled) number = (number + kHalfCent) * kHundred;
  if (negative) number = number * kMinusOne;
  return number;
}

/* A value of at most 15 digits is below 2^53, where every double step
 * number * 10 + digit is exact: an integer then holds the same value.
 * So the digits are gathered in one, and a text long enough to hold more
 * digits is done again in doubles. The loop ends after the second
 * decimal, as the rule's does before the next character. */
enum { EXACT_DIGITS = 15 };
static const double kSign[2] = {1.0, -1.0};

/* The value from the gathered digits, as the rule's last steps. */
static inline double FinishNumber(uint64_t whole, int32_t decimals, uint32_t negative, int32_t scaled) {
  double number = (double)whole;
  if (decimals == 1) number = number / kTen;
  if (decimals == 2) number = number / kHundred;
  if (scaled) number = (number + kHalfCent) * kHundred;
  return number * kSign[negative]; /* times 1 leaves it as it is */
}

double ConvertNumber(const char *text, int32_t scaled) {
  uint64_t whole = 0;
  uint32_t negative = 0;
  int32_t decimals = -1;
  const char *p = text;
  for (; *p; p++) {
    /* selects, not branches: a sign or a point may stand anywhere */
    uint32_t c = (unsigned char)*p;
    uint32_t digit = c - '0';
    uint32_t isDigit = digit <= 9;
    whole = isDigit ? whole * 10 + digit : whole;
    negative |= c == '-';
    decimals = c == '.' ? 0 : decimals + (int32_t)(isDigit & (decimals >= 0));
    if (decimals == MAX_DECIMALS) break;
  }
  if (p - text >= EXACT_DIGITS) return ConvertNumberInDoubles(text, scaled);
  return FinishNumber(whole, decimals, negative, scaled);
}

/* The same for a text of known length, taking the usual shape straight:
 * an optional leading '-', digits, and an optional point with digits,
 * ended by the end of the text or the second decimal. Any other text, or
 * one that reaches EXACT_DIGITS characters, is left to ConvertNumber.
 * The 0 after the text ends the digit loops. */
static inline double ConvertMeasuredNumber(const char *text, int32_t length, int32_t scaled) {
  const unsigned char *p = (const unsigned char *)text;
  uint32_t negative = *p == '-';
  p += negative;
  uint64_t whole = 0;
  uint32_t digit;
  for (; (digit = (uint32_t)*p - '0') <= 9; p++) whole = whole * 10 + digit;
  int32_t decimals = -1;
  if (*p == '.') {
    decimals = 0;
    for (p++; (digit = (uint32_t)*p - '0') <= 9; p++) {
      whole = whole * 10 + digit;
      if (++decimals == MAX_DECIMALS) break;
    }
  }
  int32_t used = (int32_t)(p - (const unsigned char *)text);
  if ((used != length && decimals != MAX_DECIMALS) || used >= EXACT_DIGITS) return ConvertNumber(text, scaled);
  return FinishNumber(whole, decimals, negative, scaled);
}

/* A character's digit value: its code minus that of '0', bytes from 0x80
 * up counting as negative codes. */
static int32_t DigitOf(char c) {
  return (int32_t)(signed char)c - '0';
}

static inline void ConvertDate(ImportColumn *c, int32_t length) {
  const char *t = c->text;
  if (length != DATE_TEXT_LENGTH) {
    memset(&c->date, 0, sizeof c->date);
    c->length = SQL_NULL_DATA;
    return;
  }
  int32_t year = 1000 * DigitOf(t[0]) + 100 * DigitOf(t[1]) + 10 * DigitOf(t[2]) + DigitOf(t[3]);
  int32_t month = 10 * DigitOf(t[4]) + DigitOf(t[5]);
  int32_t day = 10 * DigitOf(t[6]) + DigitOf(t[7]);
  c->date.year = (SQLSMALLINT)(uint16_t)year;
  c->date.month = (SQLUSMALLINT)month;
  c->date.day = (SQLUSMALLINT)day;
  c->length = sizeof(DATE_STRUCT);
}

static void ConvertTime(ImportColumn *c, int32_t length) {
  char *t = c->text;
  if (length != TIME_TEXT_LENGTH) return;
  t[5] = 0;
  t[4] = t[3];
  t[3] = t[2];
  t[2] = ':';
}

static void ConvertList(ImportColumn *c, int32_t length) {
  if (length > 0 && c->text[length - 1] == ';') c->text[length - 1] = 0;
}

/* An option or check box is 1 when its text starts with '1'. A later
 * member of an option group shifts its value into every earlier member,
 * down to the group start, which ends up holding the group in base 2. */
/* Looked up rather than chosen: the compiler turns a choice between two
 * constants into a branch, which random check boxes mispredict. */
static const double kChoiceValue[2] = {0.0, 1.0};

static inline void ConvertChoice(int32_t i) {
  ImportColumn *c = &g_columns[i];
  double v = kChoiceValue[c->text[0] == '1'];
  c->number = v;
  if (c->type != COL_OPTION || c->groupStart) return;
  for (int32_t j = i - 1; j >= 0; j--) {
    g_columns[j].number = g_columns[j].number * 2.0 + v;
    if (g_columns[j].groupStart) break;
  }
}

/* Converts column i, whose text holds length bytes; inlined into the
 * loops, where a call per column would cost more than most conversions. */
__attribute__((always_inline)) static inline void ConvertOne(int32_t i, int32_t length) {
  ImportColumn *c = &g_columns[i];
  switch (c->type) {
    case COL_NUMBER: c->number = ConvertMeasuredNumber(c->text, length, c->scaled); break;
    case COL_DATE: ConvertDate(c, length); break;
    case COL_TIME: ConvertTime(c, length); break;
    case COL_OPTION:
    case COL_CHECK: ConvertChoice(i); break;
    case COL_LIST: ConvertList(c, length); break;
    default: break;
  }
}

void ConvertColumn(int32_t i) {
  ConvertOne(i, (int32_t)strlen(g_columns[i].text));
}

void ConvertColumns(void) {
  for (int32_t i = 0; i < g_columnCount; i++) ConvertColumn(i);
}

void ConvertMeasuredColumns(const int32_t *lengths) {
  const int32_t count = g_columnCount; /* a byte stored in a text could alias it */
  for (int32_t i = 0; i < count; i++) ConvertOne(i, lengths[i]);
}
