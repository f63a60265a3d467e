/* value_text.cpp: exact text for decimals, GUIDs, times and fractions. */
#include "core/value_text.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

/* SQL_NUMERIC_STRUCT's val: the magnitude, little-endian. */
enum { NUMERIC_BYTES = SQL_MAX_NUMERIC_LEN, NANOS_DIGITS = 9 };
/* The most decimal digits that NUMERIC_BYTES hold whatever they are, and
 * the characters of a GUID's text. */
enum { NUMERIC_MAX_DIGITS = 38, GUID_TEXT_SIZE = 36 };

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

static int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = (char)(c | 0x20);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
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

/* The digits of a number's text without its point, and its scale. */
static bool DecimalDigits(const char *s, bool *negative, std::string *digits, long *scale) {
  *negative = *s == '-';
  if (*s == '-' || *s == '+') s++;
  bool point = false;
  for (; (*s >= '0' && *s <= '9') || (*s == '.' && !point); s++) {
    if (*s == '.') point = true;
    else *digits += *s, *scale += point;
  }
  if (digits->empty()) return false;
  if (*s == 'e' || *s == 'E') {
    char *end;
    long exponent = strtol(s + 1, &end, 10);
    if (end == s + 1 || exponent > NUMERIC_MAX_DIGITS || exponent < -NUMERIC_MAX_DIGITS) return false;
    *scale -= exponent;
    s = end;
  }
  return *s == 0;
}

bool NumericOfText(const std::string &text, SQL_NUMERIC_STRUCT *out, bool *dropped) {
  bool negative;
  std::string digits;
  long scale = 0;
  *dropped = false;
  if (!DecimalDigits(text.c_str(), &negative, &digits, &scale)) return false;
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  if (scale < 0) digits.append((size_t)-scale, '0'), scale = 0;
  while (scale > 0 && (digits.size() > NUMERIC_MAX_DIGITS || scale > NUMERIC_MAX_DIGITS)) {
    *dropped = *dropped || (!digits.empty() && digits.back() != '0');
    if (!digits.empty()) digits.pop_back();
    scale--;
  }
  if (digits.size() > NUMERIC_MAX_DIGITS) return false;
  memset(out, 0, sizeof *out);
  for (char d : digits) {
    unsigned carry = (unsigned)(d - '0');
    for (int i = 0; i < NUMERIC_BYTES; i++) {
      carry += out->val[i] * 10u;
      out->val[i] = (SQLCHAR)carry;
      carry >>= 8;
    }
  }
  out->precision = (SQLCHAR)std::max<size_t>({digits.size(), (size_t)scale, 1});
  out->scale = (SQLSCHAR)scale;
  out->sign = negative && !digits.empty() ? 0 : 1;
  return true;
}

bool GuidOfText(const std::string &text, SQLGUID *out) {
  std::string s = text;
  if (s.size() == GUID_TEXT_SIZE + 2 && s.front() == '{' && s.back() == '}') s = s.substr(1, GUID_TEXT_SIZE);
  if (s.size() != GUID_TEXT_SIZE) return false;
  unsigned char bytes[16];
  size_t at = 0;
  for (int n = 0; n < 16; n++) {
    if (at == 8 || at == 13 || at == 18 || at == 23) {
      if (s[at] != '-') return false;
      at++;
    }
    int high = HexDigit(s[at]), low = HexDigit(s[at + 1]);
    if (high < 0 || low < 0) return false;
    bytes[n] = (unsigned char)(high << 4 | low);
    at += 2;
  }
  out->Data1 = (SQLUINTEGER)bytes[0] << 24 | (SQLUINTEGER)bytes[1] << 16 | (SQLUINTEGER)bytes[2] << 8 | bytes[3];
  out->Data2 = (SQLUSMALLINT)(bytes[4] << 8 | bytes[5]);
  out->Data3 = (SQLUSMALLINT)(bytes[6] << 8 | bytes[7]);
  memcpy(out->Data4, bytes + 8, 8);
  return true;
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
