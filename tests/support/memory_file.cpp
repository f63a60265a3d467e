/* memory_file.cpp: the platform file layer over a string, for tests. */
#include "memory_file.h"

#include "byte_source.h"
#include "cdf_file.h"

CdfHandle g_hCdfFile = CDF_NO_FILE;

static std::string s_bytes;
static size_t s_pos;
static size_t s_failAt = std::string::npos;

void SetMemoryFile(const std::string &bytes, size_t failAt) {
  s_bytes = bytes;
  s_failAt = failAt;
}

void OpenMemoryFile(const std::string &bytes, int readSize, size_t failAt) {
  SetMemoryFile(bytes, failAt);
  OpenCdfFile("memory");
  SetCdfReadSize(readSize);
}

int32_t OpenCdfFile(const char *) {
  s_pos = 0;
  g_hCdfFile = 3;
  ResetCdfSource();
  return 1;
}

const char *CdfOpenError(void) {
  return "";
}

void CloseCdfFile(void) {
  g_hCdfFile = CDF_NO_FILE;
}

int32_t ReadCdfFileBytes(unsigned char *buf, int32_t size) {
  if (s_pos == s_failAt) return -1;
  size_t n = s_bytes.size() - s_pos;
  if (n > (size_t)size) n = (size_t)size;
  if (s_failAt != std::string::npos && s_pos < s_failAt && s_pos + n > s_failAt) n = s_failAt - s_pos;
  s_bytes.copy((char *)buf, n, s_pos);
  s_pos += n;
  return (int32_t)n;
}
