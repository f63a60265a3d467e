/* charset.cpp: UTF-8 checks, the WINDOWS-1252 and UTF-16 conversions
 * that need no platform library, and the automatic rule for a data
 * source that names no encoding. The encodings a data source names are
 * converted in charset_iconv.cpp or charset_win32.cpp. */
#include "text/charset.h"

#include <stdint.h>
#include <string.h>
#include <strings.h>

size_t Utf8SequenceLength(const unsigned char *s, size_t n) {
  unsigned char c = s[0];
  if (c < 0x80) return 1;
  size_t len;
  unsigned char low = 0x80, high = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) len = 2;
  else if (c == 0xE0) len = 3, low = 0xA0;
  else if (c == 0xED) len = 3, high = 0x9F;
  else if (c >= 0xE1 && c <= 0xEF) len = 3;
  else if (c == 0xF0) len = 4, low = 0x90;
  else if (c == 0xF4) len = 4, high = 0x8F;
  else if (c >= 0xF1 && c <= 0xF3) len = 4;
  else return 0;
  if (n < len || s[1] < low || s[1] > high) return 0;
  for (size_t i = 2; i < len; i++)
    if ((s[i] & 0xC0) != 0x80) return 0;
  return len;
}

bool IsValidUtf8(const char *text, size_t n) {
  const unsigned char *s = (const unsigned char *)text;
  size_t i = 0;
  while (i < n) {
    if (i + 8 <= n) {
      uint64_t word;
      memcpy(&word, s + i, sizeof word);
      if ((word & 0x8080808080808080ull) == 0) {
        i += 8;
        continue;
      }
    }
    if (s[i] < 0x80) { /* the short tail of a text is mostly ASCII too */
      i++;
      continue;
    }
    size_t len = Utf8SequenceLength(s + i, n - i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

size_t InvalidUtf8Offset(const char *text, size_t n) {
  const unsigned char *s = (const unsigned char *)text;
  for (size_t i = 0; i < n;) {
    size_t len = Utf8SequenceLength(s + i, n - i);
    if (len == 0) return i;
    i += len;
  }
  return n;
}

bool IsUtf8Name(const std::string &name) {
  return strcasecmp(name.c_str(), "UTF-8") == 0 || strcasecmp(name.c_str(), "UTF8") == 0;
}

/* Writes code point cp as UTF-8 at out; returns the end. */
static char *PutUtf8(uint32_t cp, char *out) {
  if (cp < 0x80) {
    *out++ = (char)cp;
  } else if (cp < 0x800) {
    *out++ = (char)(0xC0 | cp >> 6);
    *out++ = (char)(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = (char)(0xE0 | cp >> 12);
    *out++ = (char)(0x80 | ((cp >> 6) & 0x3F));
    *out++ = (char)(0x80 | (cp & 0x3F));
  } else {
    *out++ = (char)(0xF0 | cp >> 18);
    *out++ = (char)(0x80 | ((cp >> 12) & 0x3F));
    *out++ = (char)(0x80 | ((cp >> 6) & 0x3F));
    *out++ = (char)(0x80 | (cp & 0x3F));
  }
  return out;
}

static void AppendUtf8(uint32_t cp, std::string *out) {
  char bytes[4];
  out->append(bytes, (size_t)(PutUtf8(cp, bytes) - bytes));
}

/* WINDOWS-1252's 0x80..0x9F; the five bytes it leaves undefined keep
 * their Latin-1 code points, so that every byte has a character. */
static const uint16_t kWindows1252High[32] = {
  0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
  0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
  0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

/* Written in place: one WINDOWS-1252 byte is at most three UTF-8 bytes. */
void Windows1252ToUtf8(const char *s, size_t n, std::string *out) {
  out->resize(3 * n);
  char *end = out->data();
  for (size_t i = 0; i < n; i++) {
    unsigned char c = (unsigned char)s[i];
    end = PutUtf8(c >= 0x80 && c < 0xA0 ? kWindows1252High[c - 0x80] : c, end);
  }
  out->resize((size_t)(end - out->data()));
}

void Utf16ToUtf8(const unsigned short *s, size_t units, std::string *out) {
  out->clear();
  for (size_t i = 0; i < units; i++) {
    uint32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      i++;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(cp, out);
  }
}

void Utf8ToUtf16(const char *text, size_t n, std::u16string *out) {
  const unsigned char *s = (const unsigned char *)text;
  out->clear();
  for (size_t i = 0; i < n;) {
    size_t len = Utf8SequenceLength(s + i, n - i);
    if (len == 0) {
      out->push_back(0xFFFD);
      i++;
      continue;
    }
    uint32_t cp = len == 1 ? s[i] : s[i] & (0xFF >> (len + 1));
    for (size_t k = 1; k < len; k++) cp = cp << 6 | (s[i + k] & 0x3F);
    if (cp >= 0x10000) {
      out->push_back((char16_t)(0xD800 + ((cp - 0x10000) >> 10)));
      out->push_back((char16_t)(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out->push_back((char16_t)cp);
    }
    i += len;
  }
}

/* Without a Charset, valid UTF-8 is kept and anything else is read in
 * the platform's single-byte encoding. */
TextResult Charset::ToUtf8(const char *s, size_t n, std::string *out, size_t *badOffset) const {
  if (Explicit()) return NamedToUtf8(s, n, out, badOffset);
  if (IsValidUtf8(s, n)) return TEXT_KEPT;
  AutomaticToUtf8(s, n, out);
  return TEXT_CONVERTED;
}

bool Charset::FromUtf8(const char *s, size_t n, std::string *out) const {
  if (Explicit()) return NamedFromUtf8(s, n, out);
  return AutomaticFromUtf8(s, n, out);
}
