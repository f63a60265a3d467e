/* convert.cpp: the value conversions of a record's fields. Every double
 * operation is rounded on its own (the build forbids contraction), so the
 * values are the same bit for bit on every platform. */
#include "convert.h"

#include <string.h>

#include "cdf_reader.h"
#include "charset.h"
#include "columns.h"
#include "failure.h"

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

static int32_t HasNonZeroDigit(const char *p) {
  for (; *p; p++)
    if (*p >= '1' && *p <= '9') return 1;
  return 0;
}

/* 1 when the number rule drops digits of text that the user wrote: a
 * digit other than 0 after the second decimal, which is never read, or,
 * for a column that is not scaled, decimals other than zeros, which its
 * whole-number column cannot hold (12.5 is stored as 12). A scaled
 * column keeps two decimals in its value times 100. */
static int32_t LosesDigits(const char *text, int32_t scaled) {
  int32_t decimals = -1, fraction = 0;
  for (const char *p = text; *p; p++) {
    if (*p == '.') {
      decimals = 0;
    } else if (*p >= '0' && *p <= '9' && decimals >= 0) {
      fraction |= *p != '0';
      if (++decimals == MAX_DECIMALS) return HasNonZeroDigit(p + 1) || (!scaled && fraction);
    }
  }
  return !scaled && fraction;
}

/* The digits at p when fewer than eight, and their value in *value:
 * the eight bytes at p are tested and summed at once as one word. The
 * first byte that is no digit is the lowest with its top bit set in
 * stop: bytes before it are digits, so no borrow or carry reaches it.
 * The digits are moved to the top of the word, zeros before them, and
 * summed in pairs, fours and eights. Returns -1 for eight digits or more,
 * and on a big-endian target, where the loop does the work. */
static inline int32_t LeadingDigits(const unsigned char *p, uint64_t *value) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  uint64_t word;
  memcpy(&word, p, sizeof word); /* a column text has room for eight bytes from its second */
  uint64_t t = word - 0x3030303030303030u;
  uint64_t stop = (t | (t + 0x7676767676767676u)) & 0x8080808080808080u;
  if (!stop) return -1;
  int32_t n = __builtin_ctzll(stop) >> 3;
  if (n == 0) return 0;
  t <<= 8 * (8 - n);
  t = (t * 10 + (t >> 8)) & 0x00FF00FF00FF00FFu;
  t = (t * 100 + (t >> 16)) & 0x0000FFFF0000FFFFu;
  *value = (t * 10000 + (t >> 32)) & 0xFFFFFFFFu;
  return n;
#else
  (void)p;
  (void)value;
  return -1;
#endif
}

static const uint32_t kTenTo[MAX_DECIMALS + 1] = {1, 10, 100};

/* The same for a text of known length, taking the usual shape straight:
 * an optional leading '-', digits, and an optional point with digits,
 * ended by the end of the text or the second decimal. Any other text, or
 * one that reaches EXACT_DIGITS characters, is left to ConvertNumber.
 * The 0 after the text ends the digit loops. Adds 1 to *cut when the
 * value loses digits of the text (LosesDigits). */
static inline double ConvertMeasuredNumber(const char *text, int32_t length, int32_t scaled, int64_t *cut) {
  const unsigned char *p = (const unsigned char *)text;
  uint32_t negative = *p == '-';
  p += negative;
  uint64_t whole = 0;
  uint32_t digit;
  int32_t leading = LeadingDigits(p, &whole);
  if (leading >= 0)
    p += leading;
  else
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
  if ((used != length && decimals != MAX_DECIMALS) || used >= EXACT_DIGITS) {
    *cut += LosesDigits(text, scaled);
    return ConvertNumber(text, scaled);
  }
  if (decimals > 0) {
    /* at the second decimal p is still on it */
    int32_t fraction = !scaled && whole % kTenTo[decimals] != 0;
    *cut += fraction || (decimals == MAX_DECIMALS && HasNonZeroDigit((const char *)p + 1));
  }
  return FinishNumber(whole, decimals, negative, scaled);
}

/* A character's digit value: its code minus that of '0', bytes from 0x80
 * up counting as negative codes. */
static int32_t DigitOf(char c) {
  return (int32_t)(signed char)c - '0';
}

/* Converts the date of c; adds 1 to *nulled when a text that is not
 * empty becomes NULL. */
static inline void ConvertDate(ImportColumn *c, int32_t length, int64_t *nulled) {
  const char *t = c->text;
  if (length != DATE_TEXT_LENGTH) {
    memset(&c->date, 0, sizeof c->date);
    c->length = SQL_NULL_DATA;
    *nulled += length != 0;
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

/* An option or check box is 1 when its text starts with '1'. Looked up
 * rather than chosen: the compiler turns a choice between two constants
 * into a branch, which random check boxes mispredict. */
static const double kChoiceValue[2] = {0.0, 1.0};

static inline uint32_t ChoiceBit(const ImportColumn *c) {
  return c->text[0] == '1';
}

/* An option group: a later member shifts its value into every earlier
 * member, down to the group start, which ends up holding the group in
 * base 2. Member j then holds the bits of members j to the last, an
 * integer; below 2^53 every step of that fold is exact, so a group of at
 * most EXACT_GROUP members is gathered in an integer and each member gets
 * its low bits. A longer group folds in doubles, rounded step by step. */
enum { EXACT_GROUP = 53 };

static void FoldLongGroup(int32_t start, int32_t count) {
  for (int32_t i = start; i < start + count; i++) {
    double v = kChoiceValue[ChoiceBit(&g_columns[i])];
    g_columns[i].number = v;
    for (int32_t j = i - 1; j >= start; j--) g_columns[j].number = g_columns[j].number * 2.0 + v;
  }
}

/* A group too wide for an integer column sends the text of its digits,
 * its start's first: written over the start's text once every member's
 * own text has been read. */
static void WriteGroupDigits(int32_t start, int32_t count) {
  char digits[MAX_COLUMNS + 1];
  for (int32_t i = 0; i < count; i++) digits[i] = (char)('0' + ChoiceBit(&g_columns[start + i]));
  digits[count] = 0;
  memcpy(g_columns[start].text, digits, (size_t)count + 1);
}

static inline void ConvertGroup(int32_t start, int32_t count) {
  if (g_columns[start].groupWidth == GROUP_DIGITS) WriteGroupDigits(start, count);
  if (count > EXACT_GROUP) {
    FoldLongGroup(start, count);
    return;
  }
  uint64_t bits = 0;
  for (int32_t i = start; i < start + count; i++) bits = bits * 2 + ChoiceBit(&g_columns[i]);
  for (int32_t i = start; i < start + count; i++) {
    int32_t below = start + count - i; /* the bits of members i to the last */
    g_columns[i].number = (double)(bits & (~(uint64_t)0 >> (64 - below)));
  }
}

/* The conversions a record needs, found from the header: the columns of
 * each kind in order, so that a record is converted by one loop per kind
 * with no choice per column. Text columns need none. */
struct OptionGroup {
  int32_t start;
  int32_t count;
};

static struct {
  int32_t numbers[MAX_COLUMNS], numberCount;
  int32_t dates[MAX_COLUMNS], dateCount;
  int32_t times[MAX_COLUMNS], timeCount;
  int32_t lists[MAX_COLUMNS], listCount;
  int32_t choices[MAX_COLUMNS], choiceCount; /* check boxes and options alone in their group */
  int32_t texts[MAX_COLUMNS], textCount;     /* every column sent as text: their code page matters */
  OptionGroup groups[MAX_COLUMNS];
  int32_t groupCount;
} s_plan;

void PlanCdfConversions(void) {
  memset(&s_plan, 0, sizeof s_plan);
  for (int32_t i = 0; i < g_columnCount; i++) {
    int32_t type = g_columns[i].type;
    if (type == COL_TEXT || type == COL_LONGTEXT || type == COL_TIME || type == COL_LIST)
      s_plan.texts[s_plan.textCount++] = i;
    switch (type) {
      case COL_NUMBER: s_plan.numbers[s_plan.numberCount++] = i; break;
      case COL_DATE: s_plan.dates[s_plan.dateCount++] = i; break;
      case COL_TIME: s_plan.times[s_plan.timeCount++] = i; break;
      case COL_LIST: s_plan.lists[s_plan.listCount++] = i; break;
      case COL_CHECK: s_plan.choices[s_plan.choiceCount++] = i; break;
      case COL_OPTION: {
        int32_t n = OptionGroupMembers(i);
        if (n == 1) {
          s_plan.choices[s_plan.choiceCount++] = i;
        } else {
          s_plan.groups[s_plan.groupCount++] = {i, n};
          i += n - 1;
        }
        break;
      }
      default: break;
    }
  }
}

/* Settles the code page by the record's text columns, when one of them
 * holds a byte from 0x80 up. */
static void SettleByRecord(const int32_t *lengths) {
  static const char *texts[MAX_COLUMNS];
  static int32_t textLengths[MAX_COLUMNS];
  int32_t high = 0;
  for (int32_t k = 0; k < s_plan.textCount; k++) {
    int32_t i = s_plan.texts[k];
    texts[k] = g_columns[i].text;
    textLengths[k] = lengths[i];
    high |= HasCdfHighByte(texts[k], textLengths[k]);
  }
  if (high) SettleCdfCharset(texts, textLengths, s_plan.textCount);
}

int32_t ConvertRecordTexts(int32_t *lengths) {
  if (CdfCharsetUnsettled()) SettleByRecord(lengths);
  if (!CdfTextNeedsConversion()) return 1;
  for (int32_t k = 0; k < s_plan.textCount; k++) {
    int32_t i = s_plan.texts[k];
    if (!HasCdfHighByte(g_columns[i].text, lengths[i])) continue;
    int32_t n = ConvertCdfText(g_columns[i].text, lengths[i], COLUMN_TEXT_SIZE);
    if (n < 0) {
      FailCdf(CDF_FIELD_TOO_LONG_AS_UTF8, CdfRecordLine());
      NoteCdfFailureField(i);
      return 0;
    }
    lengths[i] = n;
  }
  return 1;
}

void ConvertMeasuredColumns(const int32_t *lengths) {
  int64_t cut = 0, nulled = 0;
  for (int32_t k = 0; k < s_plan.numberCount; k++) {
    ImportColumn *c = &g_columns[s_plan.numbers[k]];
    c->number = ConvertMeasuredNumber(c->text, lengths[s_plan.numbers[k]], c->scaled, &cut);
  }
  for (int32_t k = 0; k < s_plan.dateCount; k++)
    ConvertDate(&g_columns[s_plan.dates[k]], lengths[s_plan.dates[k]], &nulled);
  g_cdfReport.cutNumbers += cut;
  g_cdfReport.nullDates += nulled;
  for (int32_t k = 0; k < s_plan.timeCount; k++) ConvertTime(&g_columns[s_plan.times[k]], lengths[s_plan.times[k]]);
  for (int32_t k = 0; k < s_plan.listCount; k++) ConvertList(&g_columns[s_plan.lists[k]], lengths[s_plan.lists[k]]);
  for (int32_t k = 0; k < s_plan.choiceCount; k++) {
    ImportColumn *c = &g_columns[s_plan.choices[k]];
    c->number = kChoiceValue[ChoiceBit(c)];
  }
  for (int32_t k = 0; k < s_plan.groupCount; k++) ConvertGroup(s_plan.groups[k].start, s_plan.groups[k].count);
}
