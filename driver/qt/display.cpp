/* display.cpp: whether Qt can open a display, found out without Qt. An
 * explicit QT_QPA_PLATFORM is trusted; an X display is tried with a real
 * connection; Wayland counts only where Qt's Wayland plugin is installed. */
#include <stdlib.h>
#include <xcb/xcb.h>

#include <QDir>
#include <QLibraryInfo>

#include "qt_ui.h"

static int32_t CanReachX(void) {
  xcb_connection_t *c = xcb_connect(0, 0);
  int32_t ok = !xcb_connection_has_error(c);
  xcb_disconnect(c);
  return ok;
}

static int32_t HasWaylandPlugin(void) {
  QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms");
  return !platforms.entryList({"libqwayland*"}, QDir::Files).isEmpty();
}

int32_t CanShowQtWindow(void) {
  const char *platform = getenv("QT_QPA_PLATFORM");
  if (platform && *platform) return 1;
  const char *display = getenv("DISPLAY");
  if (display && *display && CanReachX()) return 1;
  const char *wayland = getenv("WAYLAND_DISPLAY");
  return wayland && *wayland && HasWaylandPlugin();
}
