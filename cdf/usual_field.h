/* usual_field.h: the usual field read whole from the buffer at a given
 * position, shared by the field reader and the record reader's loop over
 * a line. The usual field is, after the line breaks that the byte loop
 * would skip, a run of plain bytes (perhaps none) up to a comma or line
 * break, or a quoted run without doubled quotes or escapes whose closing
 * quote is followed by a comma or line break; all of it in the buffer,
 * and room in out for 16-byte copies. Anything else is left to the byte
 * loop of the field reader, which reads every field. */
#ifndef LUMETRA_USUAL_FIELD_H
#define LUMETRA_USUAL_FIELD_H

#include <stdint.h>
#include <string.h>

#include "byte_scan.h"
#include "byte_source.h"
#include "field.h"

/* The run search in use: a FieldScan, set by SetCdfFieldScan. */
extern int32_t g_cdfFieldScan;

/* Copies the n bytes at from to out, 16 at a time: it may copy up to 16
 * bytes more, which the buffer's slack and the room in out allow. The
 * first 16 go without a test, since most fields are shorter. The empty
 * asm on each loaded vector keeps the compiler from turning the loop into
 * a call of memcpy, which costs more than the copy of a short field. */
static inline void CopyCdfRun(char *out, const unsigned char *from, int32_t n) {
  int32_t i = 0;
  do {
#if CDF_HAVE_VECTOR_SCAN
    __m128i v = _mm_loadu_si128((const __m128i *)(from + i));
    __asm__("" : "+x"(v));
    _mm_storeu_si128((__m128i *)(out + i), v);
#else
    memcpy(out + i, from + i, CDF_SCAN_WIDTH);
#endif
    i += CDF_SCAN_WIDTH;
  } while (i < n);
}

/* The position of the first byte from pos on that is not a line break:
 * the line breaks before a field that the field reader skips, unless the
 * field before ended at a comma. The 0 after the buffer stops it. */
static inline int32_t SkipCdfBreaksAt(int32_t pos) {
  while (g_cdfBuffer[pos] == '\r' || g_cdfBuffer[pos] == '\n') pos++;
  return pos;
}

/* Reads the usual field that starts at *pos, after any line breaks to
 * skip (an unquoted field may be empty: a comma or line break at *pos
 * ends it, as in the byte loop), into out (size bytes with the terminator). Returns the length of
 * the field and moves *pos past the byte that ended it, setting *atBreak
 * to 1 when that byte was a line break and to 0 when it was a comma;
 * returns -1 and changes nothing when the field is not the usual kind. */
static inline int32_t ReadUsualFieldAt(int32_t *pos, char *out, int32_t size, int32_t *atBreak) {
  int32_t start = *pos;
  unsigned char first = g_cdfBuffer[start];
  int32_t quoted = first == '"';
  start += quoted;
  const unsigned char *from = g_cdfBuffer + start;
  int32_t n = g_cdfFieldScan == CDF_SCAN_VECTOR ? ScanCdfRunVector(from, quoted) : ScanCdfRunScalar(from, quoted);
  int32_t end = start + n;
  if (quoted && g_cdfBuffer[end++] != '"') return -1;
  unsigned char b = g_cdfBuffer[end];
  if (n + CDF_SCAN_WIDTH > size) return -1;
  if (b == ',') {
    *atBreak = 0;
  } else if (b == '\r' || b == '\n') {
    *atBreak = 1;
  } else {
    return -1;
  }
  CopyCdfRun(out, from, n);
  out[n] = 0;
  *pos = end + 1;
  return n;
}

#endif
