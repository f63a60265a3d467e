/* sqlite_files_win32.cpp: the database file's place and access on
 * Windows. Each user has a database of their own under the local
 * application data folder, which roaming profiles do not copy. */
#include <windows.h>
#include <shlobj.h>

#include "backend/sqlite/sqlite_files.h"
#include "text/charset.h"

static std::string Quoted(const std::string &s) { return "\"" + s + "\""; }

static std::wstring WidePath(const std::string &utf8) {
  std::u16string units;
  Utf8ToUtf16(utf8.data(), utf8.size(), &units);
  return std::wstring(units.begin(), units.end());
}

static std::string Utf8Path(const wchar_t *wide) {
  std::string out;
  Utf16ToUtf8((const unsigned short *)wide, wcslen(wide), &out);
  return out;
}

std::string DefaultDatabase() {
  wchar_t *base = nullptr;
  std::string dir;
  if (SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &base) == S_OK) dir = Utf8Path(base);
  CoTaskMemFree(base);
  if (dir.empty()) {
    wchar_t env[MAX_PATH] = L"";
    DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", env, MAX_PATH);
    if (n > 0 && n < MAX_PATH) dir = Utf8Path(env);
  }
  if (dir.empty()) dir = ".";
  dir += "\\Lumetra";
  CreateDirectoryW(WidePath(dir).c_str(), nullptr);
  return dir + "\\lumetra.db";
}

/* The registry and the narrow entry points give the path in the ANSI
 * code page, the wide ones in UTF-8: text that is not UTF-8 is ANSI. */
std::string DatabasePath(const std::string &given) {
  if (IsValidUtf8(given.data(), given.size())) return given;
  int units = MultiByteToWideChar(CP_ACP, 0, given.data(), (int)given.size(), nullptr, 0);
  std::wstring wide((size_t)(units > 0 ? units : 0), L'\0');
  MultiByteToWideChar(CP_ACP, 0, given.data(), (int)given.size(), wide.data(), units);
  return Utf8Path(wide.c_str());
}

std::string UnusableReason(const std::string &path) {
  size_t slash = path.find_last_of("\\/");
  std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
  if (dir.empty() || dir.back() == ':') dir += "\\";
  DWORD folder = GetFileAttributesW(WidePath(dir).c_str());
  if (folder == INVALID_FILE_ATTRIBUTES || !(folder & FILE_ATTRIBUTE_DIRECTORY))
    return "Database folder does not exist: " + Quoted(dir);
  DWORD file = GetFileAttributesW(WidePath(path).c_str());
  if (file != INVALID_FILE_ATTRIBUTES && (file & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return "Database file is not writable: " + Quoted(path);
  return "";
}
