/* main_posix.cpp: the Linux entry. The Qt window is used when a display
 * can be reached, the terminal otherwise. Arguments are not read by the
 * run; one import runs and the exit code is always 0. */
#include "run.h"
#include "terminal_ui.h"
#ifdef LUMETRA_HAVE_QT
#include "qt_ui.h"
#endif

int main(int argc, char **argv) {
  g_frontEnd = &g_terminalFrontEnd;
#ifdef LUMETRA_HAVE_QT
  if (CanShowQtWindow()) {
    StartQt(&argc, argv);
    g_frontEnd = &g_qtFrontEnd;
  }
#else
  (void)argc;
  (void)argv;
#endif
  RunImport(0);
  return 0;
}
