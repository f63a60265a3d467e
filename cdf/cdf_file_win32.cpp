/* cdf_file_win32.cpp: the CDF file on Windows: opened for reading with
 * others allowed to read, for sequential scanning. Directories refused. */
#include <windows.h>

#include "byte_source.h"
#include "cdf_file.h"

CdfHandle g_hCdfFile = CDF_NO_FILE;

int32_t OpenCdfFile(const char *path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, NULL);
  if (h == INVALID_HANDLE_VALUE) return 0;
  g_hCdfFile = h;
  ResetCdfSource();
  return 1;
}

void CloseCdfFile(void) {
  if (g_hCdfFile == CDF_NO_FILE) return;
  CloseHandle(g_hCdfFile);
  g_hCdfFile = CDF_NO_FILE;
}

int32_t ReadCdfFileBytes(unsigned char *buf, int32_t size) {
  DWORD got = 0;
  if (!ReadFile(g_hCdfFile, buf, (DWORD)size, &got, NULL)) return -1;
  return (int32_t)got;
}
