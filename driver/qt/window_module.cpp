/* window_module.cpp: the entry points of the window module over the Qt
 * front end. The run's Cancel flag, g_cancelled, is the program's own:
 * the program exports that one symbol for the module. */
#include "window_module.h"

#include "qt_ui.h"

extern "C" __attribute__((visibility("default"))) int32_t LumetraWindowUsable(void) {
  return CanShowQtWindow();
}

extern "C" __attribute__((visibility("default"))) const UiFrontEnd *LumetraStartWindow(int *argc, char **argv) {
  StartQt(argc, argv);
  return &g_qtFrontEnd;
}
