/* byte_source.cpp: the buffer behind NextCdfByte. */
#include "byte_source.h"

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
}

void SetCdfReadSize(int32_t size) {
  if (size < 1) size = 1;
  if (size > CDF_BUFFER_SIZE) size = CDF_BUFFER_SIZE;
  s_readSize = size;
}

int32_t RefillCdfSource(void) {
  int32_t got = ReadCdfFileBytes(g_cdfBuffer, s_readSize);
  g_cdfBufferPos = 0;
  g_cdfBufferEnd = got < 0 ? 0 : got;
  g_cdfBuffer[g_cdfBufferEnd] = 0;
  return got >= 0;
}

int32_t SkipCdfPadding(void) {
  for (;;) {
    for (; g_cdfBufferPos < g_cdfBufferEnd; g_cdfBufferPos++) {
      unsigned char b = g_cdfBuffer[g_cdfBufferPos];
      if (b != 0 && b != DOS_END_OF_FILE) return 0;
    }
    if (!RefillCdfSource()) return 0;
    if (g_cdfBufferEnd == 0) return 1;
  }
}
