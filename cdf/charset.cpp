/* charset.cpp: the code page of the file, its guess from the letters of
 * the text, and the conversion of a text to UTF-8. */
#include "charset.h"

#include <string.h>
#include <strings.h>

int32_t g_cdfCharset = CDF_CHARSET_UNDECIDED;
int32_t g_cdfCharsetSource = CHARSET_GIVEN;
int32_t g_cdfHighBytesRead;
static int32_t s_givenCharset = CDF_CHARSET_UNDECIDED;

struct CharsetName {
  const char *name;
  int32_t charset;
};

/* The first name of each code page is the one shown. */
static const CharsetName kNames[] = {
  {"WINDOWS-1252", CDF_WINDOWS_1252}, {"CP1252", CDF_WINDOWS_1252}, {"CP850", CDF_CP850},
  {"CP437", CDF_CP437},               {"ISO-8859-1", CDF_LATIN1},   {"LATIN1", CDF_LATIN1},
  {"UTF-8", CDF_UTF8},                {"UTF8", CDF_UTF8},
};

const char g_cdfCharsetNames[] = "UTF-8, WINDOWS-1252, CP850, CP437, ISO-8859-1";

int32_t CdfCharsetByName(const char *name) {
  for (const CharsetName &n : kNames)
    if (strcasecmp(name, n.name) == 0) return n.charset;
  return CDF_CHARSET_UNKNOWN;
}

const char *CdfCharsetName(int32_t charset) {
  for (const CharsetName &n : kNames)
    if (n.charset == charset) return n.name;
  return "?";
}

void UseCdfCharset(int32_t charset) {
  s_givenCharset = charset;
}

void ResetCdfCharset(void) {
  g_cdfCharset = s_givenCharset;
  g_cdfCharsetSource = CHARSET_GIVEN;
  g_cdfHighBytesRead = 0;
}

/* The texts of a line, one after the other, each ended by a line break. */
enum { SAMPLE_SIZE = 65536 };
static unsigned char s_sample[SAMPLE_SIZE];

void SettleCdfCharset(const char *const *texts, const int32_t *lengths, int32_t count) {
  if (g_cdfCharset != CDF_CHARSET_UNDECIDED) return;
  int32_t n = 0;
  for (int32_t i = 0; i < count && n < SAMPLE_SIZE; i++) {
    int32_t take = lengths[i] < SAMPLE_SIZE - 1 - n ? lengths[i] : SAMPLE_SIZE - 1 - n;
    memcpy(s_sample + n, texts[i], (size_t)take);
    n += take;
    s_sample[n++] = '\n';
  }
  int32_t sure;
  int32_t charset = GuessCdfCharset(s_sample, n, &sure);
  if (charset == CDF_CHARSET_UNDECIDED) return;
  g_cdfCharset = charset;
  g_cdfCharsetSource = sure ? CHARSET_GUESSED : CHARSET_UNCLEAR;
}

/* 1 when the bytes from 0x80 up form UTF-8 sequences, a sequence cut by
 * the end of the bytes counted as one. */
static int32_t IsUtf8(const unsigned char *p, int32_t n) {
  for (int32_t i = 0; i < n;) {
    unsigned char b = p[i];
    int32_t more = b < 0x80 ? 0 : b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xF0 && b <= 0xF4 ? 3 : -1;
    if (more < 0) return 0;
    for (int32_t k = 1; k <= more; k++)
      if (i + k < n && (p[i + k] & 0xC0) != 0x80) return 0;
    i += 1 + more;
  }
  return 1;
}

static int32_t IsAsciiLetter(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

enum { NO_LETTER = 0, LOWER = 1, UPPER = 2, LETTER_WEIGHT = 2, CLEAR_MARGIN = 2 };

/* How well byte b reads as a letter of page inside a word: a letter
 * counts, an upper-case one right after a lower-case letter does not,
 * and no letter at all counts against the page. */
static int32_t Plausibility(int32_t page, unsigned char b, unsigned char before) {
  int32_t letter = kCdfLetterClass[page][b - 0x80];
  if (letter == NO_LETTER) return -LETTER_WEIGHT;
  if (letter == UPPER && before >= 'a' && before <= 'z') return 0;
  return LETTER_WEIGHT;
}

int32_t GuessCdfCharset(const unsigned char *bytes, int32_t n, int32_t *sure) {
  int32_t high = 0;
  for (int32_t i = 0; i < n && !high; i++) high = bytes[i] >= 0x80;
  *sure = 1;
  if (!high) return CDF_CHARSET_UNDECIDED;
  if (IsUtf8(bytes, n)) return CDF_UTF8;
  /* each byte from 0x80 up next to a letter is read in every page */
  int32_t score[CDF_SINGLE_BYTE_PAGES] = {0, 0, 0, 0};
  int32_t dosDiffer = 0; /* bytes that CP850 and CP437 read differently */
  for (int32_t i = 0; i < n; i++) {
    unsigned char b = bytes[i];
    if (b < 0x80) continue;
    dosDiffer |= kCdfUpperHalf[CDF_CP850][b - 0x80] != kCdfUpperHalf[CDF_CP437][b - 0x80];
    unsigned char before = i > 0 ? bytes[i - 1] : ' ';
    unsigned char after = i + 1 < n ? bytes[i + 1] : ' ';
    if (!IsAsciiLetter(before) && !IsAsciiLetter(after)) continue;
    for (int32_t page = CDF_WINDOWS_1252; page <= CDF_CP437; page++) score[page] += Plausibility(page, b, before);
  }
  int32_t dos = score[CDF_CP437] > score[CDF_CP850] ? CDF_CP437 : CDF_CP850;
  if (score[dos] - score[CDF_WINDOWS_1252] >= CLEAR_MARGIN) {
    int32_t other = dos == CDF_CP850 ? CDF_CP437 : CDF_CP850;
    *sure = !dosDiffer || score[dos] - score[other] >= CLEAR_MARGIN;
    return dos;
  }
  *sure = score[CDF_WINDOWS_1252] - score[dos] >= CLEAR_MARGIN;
  return CDF_WINDOWS_1252;
}

/* The UTF-8 length of a code point below 0x10000. */
static int32_t Utf8Length(uint32_t c) {
  return c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
}

/* The position of the first byte from 0x80 up in the n bytes at t, n when
 * there is none: eight at a time, as most texts have none. */
static int32_t FirstHighByte(const unsigned char *t, int32_t n) {
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    memcpy(&word, t + i, sizeof word);
    if (word & 0x8080808080808080u) break;
  }
  for (; i < n; i++)
    if (t[i] >= 0x80) return i;
  return n;
}

int32_t ConvertCdfText(char *text, int32_t length, int32_t size) {
  if (!CdfTextNeedsConversion()) return length;
  const uint16_t *half = kCdfUpperHalf[g_cdfCharset];
  unsigned char *t = (unsigned char *)text;
  int32_t converted = length;
  for (int32_t i = FirstHighByte(t, length); i < length; i++)
    if (t[i] >= 0x80) converted += Utf8Length(half[t[i] - 0x80]) - 1;
  if (converted == length) return length;
  if (converted >= size) return -1;
  /* from the end, so that no byte is written over before it is read */
  t[converted] = 0;
  for (int32_t i = length - 1, j = converted; i >= 0; i--) {
    uint32_t c = t[i] < 0x80 ? t[i] : half[t[i] - 0x80];
    if (c < 0x80) {
      t[--j] = (unsigned char)c;
    } else if (c < 0x800) {
      t[--j] = (unsigned char)(0x80 | (c & 0x3F));
      t[--j] = (unsigned char)(0xC0 | (c >> 6));
    } else {
      t[--j] = (unsigned char)(0x80 | (c & 0x3F));
      t[--j] = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
      t[--j] = (unsigned char)(0xE0 | (c >> 12));
    }
  }
  return converted;
}
