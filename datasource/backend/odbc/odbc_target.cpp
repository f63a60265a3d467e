/* odbc_target.cpp: the driver manager's library, opened once: libodbc
 * with dlopen (in a process that loaded us through unixODBC, the same
 * library), or odbc32.dll with LoadLibrary. */
#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <mutex>

#include "backend/odbc/odbc_target.h"

#ifdef _WIN32
static const char *const kLibraries[] = {"odbc32.dll"};
static void *OpenLibrary(const char *name) { return (void *)LoadLibraryA(name); }
static void *FindSymbol(void *lib, const char *name) { return (void *)GetProcAddress((HMODULE)lib, name); }
static std::string LoadError() { return "error " + std::to_string(GetLastError()); }
#else
static const char *const kLibraries[] = {"libodbc.so.2", "libodbc.so"};
static void *OpenLibrary(const char *name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }
static void *FindSymbol(void *lib, const char *name) { return dlsym(lib, name); }
static std::string LoadError() { return dlerror(); }
#endif

#define ENTRY(f) {"SQL" #f, reinterpret_cast<void **>(&api->f)}

static bool Load(TargetApi *api, std::string *error) {
  void *lib = nullptr;
  for (const char *name : kLibraries)
    if (!lib) lib = OpenLibrary(name);
  if (!lib) {
    *error = "Cannot load the ODBC driver manager: " + LoadError();
    return false;
  }
  const struct { const char *name; void **slot; } entries[] = {
    ENTRY(AllocHandle),   ENTRY(FreeHandle),    ENTRY(SetEnvAttr),  ENTRY(DriverConnect), ENTRY(Disconnect),
    ENTRY(SetConnectAttr), ENTRY(EndTran),      ENTRY(GetInfo),     ENTRY(Prepare),       ENTRY(Execute),
    ENTRY(NumParams),     ENTRY(BindParameter), ENTRY(NumResultCols), ENTRY(DescribeCol), ENTRY(Fetch),
    ENTRY(GetData),       ENTRY(RowCount),      ENTRY(FreeStmt),    ENTRY(GetDiagRec),    ENTRY(GetTypeInfo),
    ENTRY(Tables),        ENTRY(Columns),       ENTRY(PrimaryKeys), ENTRY(Statistics),
  };
  for (const auto &e : entries) {
    *e.slot = FindSymbol(lib, e.name);
    if (*e.slot) continue;
    *error = std::string("The ODBC driver manager lacks ") + e.name;
    return false;
  }
  return true;
}

const TargetApi *LoadTargetApi(std::string *error) {
  static TargetApi api;
  static std::string failure;
  static bool loaded = false;
  static std::once_flag once;
  std::call_once(once, [] { loaded = Load(&api, &failure); });
  if (!loaded) *error = failure;
  return loaded ? &api : nullptr;
}
