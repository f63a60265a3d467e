/* window_loader.cpp: finds the window module beside the program (the
 * build tree) or in the program's library folder (installed, the path
 * relative to the program's folder given by the build), and starts it. */
#include "window_loader.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "window_module.h"

/* The folder of the running program with its final '/'; 0 when unknown. */
static int32_t ProgramFolder(char *folder, size_t size) {
  ssize_t n = readlink("/proc/self/exe", folder, size - 1);
  if (n <= 0) return 0;
  folder[n] = 0;
  char *slash = strrchr(folder, '/');
  if (!slash) return 0;
  slash[1] = 0;
  return 1;
}

static void *OpenWindowModule(char *reason, size_t size) {
  static const char *const kPlaces[] = {"", LUMETRA_WINDOW_DIR "/"};
  char folder[PATH_MAX];
  if (!ProgramFolder(folder, sizeof folder)) {
    snprintf(reason, size, "cannot find the program's folder");
    return 0;
  }
  for (const char *place : kPlaces) {
    char path[2 * PATH_MAX];
    snprintf(path, sizeof path, "%s%s%s", folder, place, LUMETRA_WINDOW_MODULE);
    if (access(path, F_OK) != 0) continue;
    void *module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!module) snprintf(reason, size, "%s", dlerror());
    return module;
  }
  snprintf(reason, size, "%s not found in %s%s", LUMETRA_WINDOW_MODULE, folder, LUMETRA_WINDOW_DIR);
  return 0;
}

int32_t StartWindowFrontEnd(int *argc, char **argv, const UiFrontEnd **frontEnd, char *reason, size_t size) {
  void *module = OpenWindowModule(reason, size);
  if (!module) return WINDOW_MISSING;
  auto usable = (WindowUsableFn)dlsym(module, LUMETRA_WINDOW_USABLE);
  auto start = (WindowStartFn)dlsym(module, LUMETRA_WINDOW_START);
  if (!usable || !start) {
    snprintf(reason, size, "%s lacks its entry points", LUMETRA_WINDOW_MODULE);
    dlclose(module);
    return WINDOW_MISSING;
  }
  if (!usable()) {
    dlclose(module);
    return WINDOW_NO_DISPLAY;
  }
  *frontEnd = start(argc, argv);
  return WINDOW_STARTED;
}
