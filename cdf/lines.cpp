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

/* The line breaks of the n bytes at p: every CR, and every LF that does
 * not follow a CR. */
static int64_t CountBreaks(const unsigned char *p, int32_t n) {
  int64_t count = 0;
  int32_t i = 0;
#if CDF_HAVE_VECTOR_SCAN
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; i + CDF_SCAN_WIDTH <= n; i += CDF_SCAN_WIDTH) {
    __m128i v = _mm_loadu_si128((const __m128i *)(p + i));
    uint32_t crs = (uint32_t)_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr));
    uint32_t lfs = (uint32_t)_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf));
    if (!(crs | lfs)) {
      s_afterCr = 0;
      continue;
    }
    uint32_t afterCr = (crs << 1) | s_afterCr;
    count += __builtin_popcount(crs) + __builtin_popcount(lfs & ~afterCr);
    s_afterCr = (crs >> (CDF_SCAN_WIDTH - 1)) & 1u;
  }
#endif
  for (; i < n; i++) {
    uint32_t isCr = p[i] == '\r';
    count += isCr | (p[i] == '\n' && !s_afterCr);
    s_afterCr = isCr;
  }
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
