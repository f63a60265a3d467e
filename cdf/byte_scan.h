/* byte_scan.h: the search for the end of a run of plain bytes, the bytes
 * that a field stores as they are. Outside quotes a run ends at a 0, CR,
 * LF, comma or backslash; inside quotes at a 0, double quote or
 * backslash. The search needs a 0 after the last byte to look at (the
 * byte source keeps one just after its bytes) and 15 readable bytes after
 * that 0, since the SSE2 search loads 16 bytes at a time and may load
 * past the 0 that stops it. Targets without SSE2 use the scalar search,
 * which looks at one byte at a time. */
#ifndef LUMETRA_BYTE_SCAN_H
#define LUMETRA_BYTE_SCAN_H

#include <stdint.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#define CDF_HAVE_VECTOR_SCAN 1
#else
#define CDF_HAVE_VECTOR_SCAN 0
#endif

enum { CDF_SCAN_WIDTH = 16 };

/* The bytes that end a run: kCdfStopBytes.stop[0] outside quotes,
 * stop[1] inside them. */
struct CdfStopBytes {
  unsigned char stop[2][256];
  constexpr CdfStopBytes() : stop() {
    const unsigned char outside[] = {0, '\r', '\n', ',', '\\'};
    const unsigned char inside[] = {0, '"', '\\'};
    for (unsigned char b : outside) stop[0][b] = 1;
    for (unsigned char b : inside) stop[1][b] = 1;
  }
};
inline constexpr CdfStopBytes kCdfStopBytes;

/* The count of plain bytes from p on; quoted is 0 or 1. */
static inline int32_t ScanCdfRunScalar(const unsigned char *p, int32_t quoted) {
  const unsigned char *stop = kCdfStopBytes.stop[quoted];
  int32_t n = 0;
  while (!stop[p[n]]) n++;
  return n;
}

#if CDF_HAVE_VECTOR_SCAN
/* The same count, 16 bytes at a time: each byte is compared with every
 * stop byte of the state, and the lowest marked byte ends the run. */
static inline int32_t ScanCdfRunVector(const unsigned char *p, int32_t quoted) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i backslash = _mm_set1_epi8('\\');
  int32_t n = 0;
  if (quoted) {
    const __m128i quote = _mm_set1_epi8('"');
    for (;; n += CDF_SCAN_WIDTH) {
      __m128i v = _mm_loadu_si128((const __m128i *)(p + n));
      __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, zero), _mm_cmpeq_epi8(v, quote)),
                                 _mm_cmpeq_epi8(v, backslash));
      unsigned mask = (unsigned)_mm_movemask_epi8(hit);
      if (mask) return n + __builtin_ctz(mask);
    }
  }
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i comma = _mm_set1_epi8(',');
  for (;; n += CDF_SCAN_WIDTH) {
    __m128i v = _mm_loadu_si128((const __m128i *)(p + n));
    __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf));
    __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(v, zero), _mm_cmpeq_epi8(v, comma));
    __m128i hit = _mm_or_si128(_mm_or_si128(breaks, ends), _mm_cmpeq_epi8(v, backslash));
    unsigned mask = (unsigned)_mm_movemask_epi8(hit);
    if (mask) return n + __builtin_ctz(mask);
  }
}
#else
static inline int32_t ScanCdfRunVector(const unsigned char *p, int32_t quoted) {
  return ScanCdfRunScalar(p, quoted);
}
#endif

#endif
