/* field_window.h: the usual field found with the help of a window, the
 * stop bytes of 32 or 64 bytes of the buffer marked in bit masks. Each window
 * is loaded at a fixed place, so the end of one field and the start of
 * the next follow from the masks by bit operations, not from a new scan
 * that would wait for the field before it: the fields of a line are then
 * read one after the other without that wait. A field that does not end
 * inside the window gets a window of its own; one longer than a window
 * is read with the plain run search. The scalar scan (and any target
 * without SSE2) uses the plain run search for every field. */
#ifndef LUMETRA_FIELD_WINDOW_H
#define LUMETRA_FIELD_WINDOW_H

#include <stdint.h>

#include "usual_field.h"

/* A window is as wide as the bits of a register: 64 bytes on 64-bit
 * targets, 32 on 32-bit ones. */
#if UINTPTR_MAX > 0xFFFFFFFFu
typedef uint64_t CdfWindowMask;
enum { CDF_WINDOW_WIDTH = 64 };
static inline int32_t LowestCdfMaskBit(uint64_t m) { return __builtin_ctzll(m); }
#else
typedef uint32_t CdfWindowMask;
enum { CDF_WINDOW_WIDTH = 32 };
static inline int32_t LowestCdfMaskBit(uint32_t m) { return __builtin_ctz(m); }
#endif

struct CdfFieldWindow {
  int32_t base;         /* buffer position of bit 0 */
  CdfWindowMask plain;  /* the bytes that end a run outside quotes */
  CdfWindowMask inside; /* the bytes that end a run inside quotes */
  CdfWindowMask quote;  /* the double quotes */
};

#if CDF_HAVE_VECTOR_SCAN
/* Marks the bytes of the window from base, which is at most the buffer's end: the
 * 0 there stops every search before the bytes after it, and the slack
 * makes them readable. */
static inline void LoadCdfWindow(CdfFieldWindow *w, int32_t base) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i backslash = _mm_set1_epi8('\\');
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i comma = _mm_set1_epi8(',');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  CdfWindowMask plain = 0, inside = 0, quotes = 0;
  for (int32_t block = 0; block < (int32_t)CDF_WINDOW_WIDTH / (int32_t)CDF_SCAN_WIDTH; block++) {
    __m128i v = _mm_loadu_si128((const __m128i *)(g_cdfBuffer + base + block * CDF_SCAN_WIDTH));
    __m128i q = _mm_cmpeq_epi8(v, quote);
    __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(v, zero), _mm_cmpeq_epi8(v, backslash));
    __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf));
    __m128i out = _mm_or_si128(ends, _mm_or_si128(breaks, _mm_cmpeq_epi8(v, comma)));
    int32_t shift = block * CDF_SCAN_WIDTH;
    plain |= (CdfWindowMask)_mm_movemask_epi8(out) << shift;
    inside |= (CdfWindowMask)_mm_movemask_epi8(_mm_or_si128(ends, q)) << shift;
    quotes |= (CdfWindowMask)_mm_movemask_epi8(q) << shift;
  }
  w->base = base;
  w->plain = plain;
  w->inside = inside;
  w->quote = quotes;
}
#endif

/* Starts a window at pos, the start of a line's fields. vector is 1 when
 * g_cdfFieldScan is CDF_SCAN_VECTOR; the caller reads it once, since each
 * byte stored in a field could otherwise have changed it. */
static inline void StartCdfWindow(CdfFieldWindow *w, int32_t vector, int32_t pos) {
#if CDF_HAVE_VECTOR_SCAN
  if (vector) LoadCdfWindow(w, pos);
#else
  (void)w;
  (void)vector;
  (void)pos;
#endif
}

/* ReadUsualFieldAt, with the field's run found in the window. */
static inline int32_t ReadUsualFieldInWindow(CdfFieldWindow *w, int32_t vector, int32_t *pos, char *out,
                                             int32_t size, int32_t *atBreak) {
#if CDF_HAVE_VECTOR_SCAN
  if (!vector) return ReadUsualFieldAt(pos, out, size, atBreak);
  int32_t at = *pos - w->base;
  if (at >= CDF_WINDOW_WIDTH) {
    LoadCdfWindow(w, *pos);
    at = 0;
  }
  int32_t quoted = (int32_t)((w->quote >> at) & 1u);
  int32_t start = *pos + quoted;
  int32_t from = at + quoted; /* at most the width: a quote is not the 0 at the end */
  CdfWindowMask stops = from < CDF_WINDOW_WIDTH ? (quoted ? w->inside : w->plain) >> from : 0;
  if (!stops) {
    LoadCdfWindow(w, start);
    stops = quoted ? w->inside : w->plain;
    if (!stops) return ReadUsualFieldAt(pos, out, size, atBreak);
  }
  int32_t n = LowestCdfMaskBit(stops);
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
  CopyCdfRun(out, g_cdfBuffer + start, n);
  out[n] = 0;
  *pos = end + 1;
  return n;
#else
  (void)w;
  (void)vector;
  return ReadUsualFieldAt(pos, out, size, atBreak);
#endif
}

#endif
