/* byte_source.cpp: the buffer behind NextCdfByte. */
#include "byte_source.h"

#include <string.h>

#include "charset.h"
#include "failure.h"
#include "lines.h"

alignas(64) unsigned char g_cdfBuffer[CDF_BUFFER_SIZE + CDF_BUFFER_SLACK];
int32_t g_cdfBufferPos;
int32_t g_cdfBufferEnd;
int32_t g_cdfEndedAtComma;

static int32_t s_readSize = CDF_BUFFER_SIZE;

void ResetCdfSource(void) {
  g_cdfBufferPos = 0;
  g_cdfBufferEnd = 0;
  g_cdfBuffer[0] = 0;
  g_cdfEndedAtComma = 0;
  ResetCdfLines();
  ClearCdfFailure();
  ResetCdfCharset();
}

/* While the code page is not settled, each buffer is looked at for a
 * byte that the lines read from it must then be looked at for. */
static void NoteBufferText(void) {
  if (g_cdfCharset == CDF_CHARSET_UNDECIDED && !g_cdfHighBytesRead &&
      HasCdfHighByte((const char *)g_cdfBuffer, g_cdfBufferEnd))
    g_cdfHighBytesRead = 1;
}

void SetCdfReadSize(int32_t size) {
  if (size < 1) size = 1;
  if (size > CDF_BUFFER_SIZE) size = CDF_BUFFER_SIZE;
  s_readSize = size;
}

int32_t RefillCdfSource(void) {
  CountCdfBufferLines();
  int32_t got = ReadCdfFileBytes(g_cdfBuffer, s_readSize);
  g_cdfBufferPos = 0;
  g_cdfBufferEnd = got < 0 ? 0 : got;
  g_cdfBuffer[g_cdfBufferEnd] = 0;
  if (got < 0) FailCdfAt(CDF_READ_FAILED, 0);
  NoteBufferText();
  return got >= 0;
}

static const unsigned char kByteOrderMark[] = {0xEF, 0xBB, 0xBF};
enum { BYTE_ORDER_MARK_SIZE = sizeof kByteOrderMark };

int32_t SkipCdfByteOrderMark(void) {
  if (g_cdfBufferPos != 0 || g_cdfBufferEnd != 0) return 1;
  if (!RefillCdfSource()) return 0;
  /* a small read size may deliver the mark in pieces: read on to its end */
  while (g_cdfBufferEnd > 0 && g_cdfBufferEnd < BYTE_ORDER_MARK_SIZE) {
    int32_t got = ReadCdfFileBytes(g_cdfBuffer + g_cdfBufferEnd, BYTE_ORDER_MARK_SIZE - g_cdfBufferEnd);
    if (got < 0) {
      FailCdfAt(CDF_READ_FAILED, g_cdfBufferEnd);
      return 0;
    }
    if (got == 0) break;
    g_cdfBufferEnd += got;
  }
  g_cdfBuffer[g_cdfBufferEnd] = 0;
  if (g_cdfBufferEnd >= BYTE_ORDER_MARK_SIZE && memcmp(g_cdfBuffer, kByteOrderMark, BYTE_ORDER_MARK_SIZE) == 0) {
    g_cdfBufferPos = BYTE_ORDER_MARK_SIZE;
    if (g_cdfCharset == CDF_CHARSET_UNDECIDED) {
      g_cdfCharset = CDF_UTF8; /* the mark says so */
      g_cdfCharsetSource = CHARSET_GUESSED;
    }
  }
  NoteBufferText();
  return 1;
}

int32_t SkipCdfPadding(void) {
  int64_t zeroLine = CdfLineAt(g_cdfBufferPos - 1);
  for (;;) {
    for (; g_cdfBufferPos < g_cdfBufferEnd; g_cdfBufferPos++) {
      unsigned char b = g_cdfBuffer[g_cdfBufferPos];
      if (b != 0 && b != DOS_END_OF_FILE) {
        FailCdf(CDF_ZERO_BYTE, zeroLine);
        return 0;
      }
    }
    if (!RefillCdfSource()) return 0;
    if (g_cdfBufferEnd == 0) return 1;
  }
}
