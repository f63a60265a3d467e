/* cdf_file_win32.cpp: the CDF file on Windows: opened for reading with
 * others allowed to read, for sequential scanning. Directories refused. */
#include <windows.h>

#include "byte_source.h"
#include "cdf_file.h"

CdfHandle g_hCdfFile = CDF_NO_FILE;

enum { OPEN_ERROR_SIZE = 256 };
static char s_openError[OPEN_ERROR_SIZE];

const char *CdfOpenError(void) {
  return s_openError;
}

/* Keeps the system's words for the last error, without the line break. */
static int32_t Refuse(DWORD error) {
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error, 0, s_openError,
                           OPEN_ERROR_SIZE, NULL);
  while (n > 0 && (s_openError[n - 1] == '\r' || s_openError[n - 1] == '\n' || s_openError[n - 1] == '.')) n--;
  s_openError[n] = 0;
  return 0;
}

int32_t OpenCdfFile(const char *path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return Refuse(GetLastError());
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    lstrcpyA(s_openError, "Is a folder");
    return 0;
  }
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, NULL);
  if (h == INVALID_HANDLE_VALUE) return Refuse(GetLastError());
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
