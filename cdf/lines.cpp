/* lines.cpp: counting the line breaks of the byte source's buffer. */
#include "lines.h"

#include "byte_scan.h"
#include "byte_source.h"

static int64_t s_breaks;    /* line breaks before s_countedPos */
static int32_t s_countedPos; /* buffer position the count has reached */
static uint32_t s_afterCr;  /* the last byte counted was a CR */
static int64_t s_startLine;  /* the line of the noted start, once counted */
int32_t g_cdfLineStartPos;
int32_t g_cdfLineStartPending;

void ResetCdfLines(void) {
  s_breaks = 0;
  s_countedPos = 0;
  s_afterCr = 0;
  s_startLine = 1;
  g_cdfLineStartPending = 0;
}

/* Whether byte i of p ends a line: a CR, or an LF that does not follow a
 * CR; the byte before p is a CR when s_afterCr is set. */
static int32_t IsBreakAt(const unsigned char *p, int32_t i) {
  uint32_t crBefore = i > 0 ? p[i - 1] == '\r' : s_afterCr;
  return p[i] == '\r' || (p[i] == '\n' && !crBefore);
}

enum { BLOCKS_PER_SUM = 255 }; /* a byte counter of the vector holds 255 */

/* The line breaks of the n bytes at p. The vector loop compares each
 * block and the block one byte before it, so it needs no carry between
 * blocks; its byte counters are summed before they can overflow. */
static int64_t CountBreaks(const unsigned char *p, int32_t n) {
  int64_t count = 0;
  int32_t i = 0;
  if (n == 0) return 0;
  count += IsBreakAt(p, 0);
  i = 1;
#if CDF_HAVE_VECTOR_SCAN
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i zero = _mm_setzero_si128();
  while (i + CDF_SCAN_WIDTH <= n) {
    __m128i counters = zero;
    for (int32_t b = 0; b < BLOCKS_PER_SUM && i + CDF_SCAN_WIDTH <= n; b++, i += CDF_SCAN_WIDTH) {
      __m128i v = _mm_loadu_si128((const __m128i *)(p + i));
      __m128i before = _mm_loadu_si128((const __m128i *)(p + i - 1));
      __m128i lfAlone = _mm_andnot_si128(_mm_cmpeq_epi8(before, cr), _mm_cmpeq_epi8(v, lf));
      __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(v, cr), lfAlone);
      counters = _mm_sub_epi8(counters, breaks); /* a marked byte is -1 */
    }
    __m128i sums = _mm_sad_epu8(counters, zero);
    count += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums));
  }
#endif
  for (; i < n; i++) count += IsBreakAt(p, i);
  s_afterCr = p[n - 1] == '\r';
  return count;
}

static void CountTo(int32_t pos) {
  if (pos <= s_countedPos) return;
  s_breaks += CountBreaks(g_cdfBuffer + s_countedPos, pos - s_countedPos);
  s_countedPos = pos;
}

/* Counts up to the noted start, once. */
static void CountToStart(void) {
  if (!g_cdfLineStartPending) return;
  g_cdfLineStartPending = 0;
  CountTo(g_cdfLineStartPos);
  s_startLine = s_breaks + 1;
}

int64_t CdfLineAt(int32_t pos) {
  if (g_cdfLineStartPending && g_cdfLineStartPos <= pos) CountToStart(); /* the count passes it: take it */
  CountTo(pos);
  return s_breaks + 1;
}

int64_t CdfLineStartLine(void) {
  CountToStart();
  return s_startLine;
}

void CountCdfBufferLines(void) {
  CountToStart(); /* a noted start in this buffer is counted before it goes */
  CountTo(g_cdfBufferEnd);
  s_countedPos = 0;
}
