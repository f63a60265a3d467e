/* charset.h: the code page of the CDF file's text. Text is stored as
 * UTF-8: a file in a single-byte code page is converted as it is read.
 * The code page is given (lumetra-import --charset), or settled by the
 * texts of the first line that holds a byte from 0x80 up (the header's
 * names, or a record's text columns), so that it does not depend on how
 * the file is read: valid UTF-8 is UTF-8; otherwise the letters decide
 * between WINDOWS-1252 and the DOS code pages CP850 and CP437, and where
 * they do not, WINDOWS-1252 is taken and the guess is marked unclear, for
 * the summary to say so. The byte source only tells when such a byte has
 * come into its buffer, so that lines before it cost no look. */
#ifndef LUMETRA_CHARSET_H
#define LUMETRA_CHARSET_H

#include <stdint.h>
#include <string.h>

enum CdfCharset {
  CDF_CHARSET_UNDECIDED = -1, /* no byte from 0x80 up read yet */
  CDF_WINDOWS_1252 = 0,       /* the single-byte pages index the tables */
  CDF_CP850 = 1,
  CDF_CP437 = 2,
  CDF_LATIN1 = 3,
  CDF_UTF8 = 4,
  CDF_CHARSET_UNKNOWN = -2 /* a name that is none of these */
};
enum { CDF_SINGLE_BYTE_PAGES = 4 };

/* How the code page in use was settled. */
enum CdfCharsetSource { CHARSET_GIVEN, CHARSET_GUESSED, CHARSET_UNCLEAR };

extern int32_t g_cdfCharset;       /* a CdfCharset */
extern int32_t g_cdfCharsetSource; /* a CdfCharsetSource, once settled */
extern int32_t g_cdfHighBytesRead; /* a byte from 0x80 up came into the buffer */

/* The upper half (0x80 to 0xFF) of each single-byte page: the code
 * points, and letter classes (0 no letter, 1 lower case, 2 upper case). */
extern const uint16_t kCdfUpperHalf[CDF_SINGLE_BYTE_PAGES][128];
extern const uint8_t kCdfLetterClass[CDF_SINGLE_BYTE_PAGES][128];

/* The code page of a name (either case; CP1252, LATIN1 and UTF8 too);
 * CDF_CHARSET_UNKNOWN for any other. */
int32_t CdfCharsetByName(const char *name);

/* The name of a code page, as --charset takes it. */
const char *CdfCharsetName(int32_t charset);

/* The names --charset takes, for a usage or a refusal. */
extern const char g_cdfCharsetNames[];

/* Makes charset the code page of the files opened from now on, or
 * CDF_CHARSET_UNDECIDED to settle it from their bytes. */
void UseCdfCharset(int32_t charset);

/* Starts a file: the given code page, or none yet. */
void ResetCdfCharset(void);

/* Settles the code page, when it is not yet, from the texts of a line:
 * count texts, texts[i] of lengths[i] bytes. */
void SettleCdfCharset(const char *const *texts, const int32_t *lengths, int32_t count);

/* 1 while the code page may still be settled by the line just read. */
static inline int32_t CdfCharsetUnsettled(void) {
  return g_cdfCharset == CDF_CHARSET_UNDECIDED && g_cdfHighBytesRead;
}

/* The code page that n bytes of text show; *sure is 0 when their letters
 * do not tell WINDOWS-1252 from the DOS pages, or CP850 from CP437 where
 * the two differ. Bytes without one from 0x80 up give CDF_CHARSET_UNDECIDED. */
int32_t GuessCdfCharset(const unsigned char *bytes, int32_t n, int32_t *sure);

/* 1 when texts read now must be converted to UTF-8. */
static inline int32_t CdfTextNeedsConversion(void) {
  return g_cdfCharset >= 0 && g_cdfCharset < CDF_SINGLE_BYTE_PAGES;
}

/* 1 when one of the n bytes at text is 0x80 or more: eight at a time, as
 * most texts have none. */
static inline int32_t HasCdfHighByte(const char *text, int32_t n) {
  uint64_t any = 0;
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    memcpy(&word, text + i, sizeof word);
    any |= word;
  }
  for (; i < n; i++) any |= (unsigned char)text[i];
  return (any & 0x8080808080808080u) != 0;
}

/* Converts the length bytes of text from the code page in use to UTF-8,
 * in place, in size bytes with the terminator: the new length, or -1 when
 * it does not fit (text is then unchanged). */
int32_t ConvertCdfText(char *text, int32_t length, int32_t size);

#endif
