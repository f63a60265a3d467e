/* field_window.h: the usual field found with the help of a window, 32 or
 * 64 bytes of the buffer marked in bit masks. A window starts at the start
 * of a field, outside quotes, so the running parity of its double quotes
 * tells which commas and line breaks stand outside quotes: those end the
 * fields of the window, one after the other, each found by the lowest bit
 * left in one mask. Each field is then checked to be the usual kind (no
 * quote at all, or quotes at its two ends and doubled ones between them;
 * no 0 and no backslash), which also shows that the parity was right up
 * to its end, since only a quote out of place could have misled it. A
 * field that does not end inside the window gets a window of its own;
 * one longer than a window is read with the plain run search. The scalar
 * scan (and any target without SSE2) uses the plain run search for every
 * field. */
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
  CdfWindowMask ends;   /* commas and line breaks outside quotes not yet passed */
  CdfWindowMask breaks; /* the line breaks */
  CdfWindowMask quote;  /* the double quotes */
  CdfWindowMask inside; /* the running parity of the quotes: 1 inside quotes */
  CdfWindowMask bad;    /* the 0 bytes and backslashes, which no usual field holds */
};

/* The bits below bit n, n at most the width less one. */
static inline CdfWindowMask CdfBitsBelow(int32_t n) {
  return ((CdfWindowMask)1 << n) - 1;
}

#if CDF_HAVE_VECTOR_SCAN
/* Bit i of the result is the parity of the bits 0 to i of m. */
static inline CdfWindowMask CdfRunningParity(CdfWindowMask m) {
  m ^= m << 1;
  m ^= m << 2;
  m ^= m << 4;
  m ^= m << 8;
  m ^= m << 16;
#if UINTPTR_MAX > 0xFFFFFFFFu
  m ^= m << 32;
#endif
  return m;
}

/* Marks the bytes of the window from base, which is at most the buffer's
 * end and the start of a field: the slack makes the bytes after the 0 at
 * the end readable, and a field that holds that 0 is not taken. */
static inline void LoadCdfWindow(CdfFieldWindow *w, int32_t base) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i backslash = _mm_set1_epi8('\\');
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i comma = _mm_set1_epi8(',');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  CdfWindowMask ends = 0, breaks = 0, quotes = 0, bad = 0;
  for (int32_t block = 0; block < (int32_t)CDF_WINDOW_WIDTH / (int32_t)CDF_SCAN_WIDTH; block++) {
    __m128i v = _mm_loadu_si128((const __m128i *)(g_cdfBuffer + base + block * CDF_SCAN_WIDTH));
    __m128i br = _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf));
    __m128i end = _mm_or_si128(br, _mm_cmpeq_epi8(v, comma));
    __m128i no = _mm_or_si128(_mm_cmpeq_epi8(v, zero), _mm_cmpeq_epi8(v, backslash));
    int32_t shift = block * CDF_SCAN_WIDTH;
    ends |= (CdfWindowMask)(uint32_t)_mm_movemask_epi8(end) << shift;
    breaks |= (CdfWindowMask)(uint32_t)_mm_movemask_epi8(br) << shift;
    quotes |= (CdfWindowMask)(uint32_t)_mm_movemask_epi8(_mm_cmpeq_epi8(v, quote)) << shift;
    bad |= (CdfWindowMask)(uint32_t)_mm_movemask_epi8(no) << shift;
  }
  w->base = base;
  w->inside = CdfRunningParity(quotes);
  w->ends = ends & ~w->inside;
  w->breaks = breaks;
  w->quote = quotes;
  w->bad = bad;
}

/* Copies the quoted field whose quotes stand at bits from and to - 1 of
 * the window and, doubled, at pairs (the first quote of each pair) into
 * out, each doubled quote as one; returns the length. */
static inline int32_t CopyCdfQuotedRun(const CdfFieldWindow *w, int32_t from, int32_t to, CdfWindowMask pairs,
                                       char *out) {
  const unsigned char *bytes = g_cdfBuffer + w->base;
  int32_t n = 0, at = from + 1;
  for (; pairs; pairs &= pairs - 1) {
    int32_t quote = LowestCdfMaskBit(pairs);
    CopyCdfRun(out + n, bytes + at, quote + 1 - at);
    n += quote + 1 - at;
    at = quote + 2;
  }
  CopyCdfRun(out + n, bytes + at, to - 1 - at);
  n += to - 1 - at;
  out[n] = 0;
  return n;
}

/* ReadUsualFieldAt for the field at *pos, the start of a field: its end
 * is the lowest end left in the window, loaded anew at *pos when none is. */
static inline int32_t ReadUsualFieldInWindow(CdfFieldWindow *w, int32_t *pos, char *out, int32_t size,
                                             int32_t *atBreak) {
  if (!w->ends) {
    LoadCdfWindow(w, *pos);
    if (!w->ends) return ReadUsualFieldAt(pos, out, size, atBreak);
  }
  int32_t from = *pos - w->base;
  int32_t to = LowestCdfMaskBit(w->ends);
  CdfWindowMask field = CdfBitsBelow(to) & ~CdfBitsBelow(from);
  if (w->bad & field) return -1;
  CdfWindowMask quotes = w->quote & field;
  int32_t n = to - from;
  /* a field of a window is shorter than it, so with room for a window the
   * test folds away */
  if (size < (int32_t)CDF_WINDOW_WIDTH + (int32_t)CDF_SCAN_WIDTH && n + CDF_SCAN_WIDTH > size) return -1;
  if (!quotes) {
    CopyCdfRun(out, g_cdfBuffer + *pos, n);
    out[n] = 0;
  } else {
    /* an opening quote, a closing one just before the end, and between
     * them quotes only in pairs: every byte there outside quotes by the
     * parity must be the first quote of a pair */
    if (n < 2) return -1;
    CdfWindowMask ends = ((CdfWindowMask)1 << from) | ((CdfWindowMask)1 << (to - 1));
    CdfWindowMask between = field & ~ends;
    CdfWindowMask pairs = between & ~w->inside;
    if ((quotes & ends) != ends || (pairs & ~quotes)) return -1;
    n = pairs ? CopyCdfQuotedRun(w, from, to, pairs, out) : n - 2;
    if (!pairs) {
      CopyCdfRun(out, g_cdfBuffer + *pos + 1, n);
      out[n] = 0;
    }
  }
  *atBreak = (int32_t)((w->breaks >> to) & 1u);
  w->ends &= w->ends - 1;
  *pos = w->base + to + 1;
  return n;
}
#endif

#endif
