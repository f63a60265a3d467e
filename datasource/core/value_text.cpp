/* value_text.cpp: exact text for decimals, GUIDs, times and fractions. */
#include "core/value_text.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

/* SQL_NUMERIC_STRUCT's val: the magnitude, little-endian. */
enum { NUMERIC_BYTES = SQL_MAX_NUMERIC_LEN, NANOS_DIGITS = 9 };

/* Divides the little-endian magnitude by 10 in place; the remainder. */
static unsigned DivideByTen(unsigned char *val) {
  unsigned remainder = 0;
  for (int i = NUMERIC_BYTES - 1; i >= 0; i--) {
    unsigned current = remainder << 8 | val[i];
    val[i] = (unsigned char)(current / 10);
    remainder = current % 10;
  }
  return remainder;
}

static bool IsZero(const unsigned char *val) {
  for (int i = 0; i < NUMERIC_BYTES; i++)
    if (val[i]) return false;
  return true;
}

std::string NumericText(const SQL_NUMERIC_STRUCT &n) {
  unsigned char val[NUMERIC_BYTES];
  memcpy(val, n.val, sizeof val);
  std::string digits;
  do digits += (char)('0' + DivideByTen(val));
  while (!IsZero(val));
  std::reverse(digits.begin(), digits.end());
  int scale = (SQLSCHAR)n.scale;
  if (scale < 0) digits.append((size_t)-scale, '0');
  if (scale > 0) {
    if (digits.size() <= (size_t)scale) digits.insert(0, (size_t)scale - digits.size() + 1, '0');
    digits.insert(digits.size() - (size_t)scale, 1, '.');
  }
  bool negative = n.sign == 0 && digits.find_first_not_of("0.") != std::string::npos;
  return negative ? "-" + digits : digits;
}

std::string GuidText(const SQLGUID &g) {
  char text[40];
  snprintf(text, sizeof text, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", (unsigned)g.Data1,
           (unsigned)g.Data2, (unsigned)g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
           g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

bool TimeText(const SQL_TIME_STRUCT &t, std::string *out) {
  if (t.hour > 23 || t.minute > 59 || t.second > 61) return false;
  char text[24]; /* room for what the format could write, which the compiler checks */
  snprintf(text, sizeof text, "%02u:%02u:%02u", (unsigned)t.hour, (unsigned)t.minute, (unsigned)t.second);
  *out = text;
  return true;
}

void AppendFraction(SQLUINTEGER nanos, std::string *text) {
  if (nanos == 0) return;
  char digits[16];
  snprintf(digits, sizeof digits, ".%09u", (unsigned)nanos);
  size_t n = 1 + NANOS_DIGITS;
  while (digits[n - 1] == '0') n--;
  text->append(digits, n);
}
