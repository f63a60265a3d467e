/* bench_frontend.cpp: what a front end costs the record loop per record
 * (the count text replaced, then a pump), terminal against Qt. Run it
 * with QT_QPA_PLATFORM=offscreen, or on a display for X11 costs.
 *   bench_frontend [records=1000000] */
#include <stdio.h>
#include <stdlib.h>

#include <chrono>

#include "qt_ui.h"
#include "terminal_ui.h"

static double NanosecondsPerRecord(const UiFrontEnd *ui, long records) {
  UiWindow window = ui->createProgressWindow(nullptr);
  char text[24];
  auto start = std::chrono::steady_clock::now();
  for (long i = 1; i <= records; i++) {
    snprintf(text, sizeof text, "%ld", i);
    ui->setProgressText(window, text);
    ui->pumpMessages();
  }
  double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
  ui->destroyProgressWindow(window);
  return ns / (double)records;
}

int main(int argc, char **argv) {
  long records = argc > 1 ? atol(argv[1]) : 1000000;
  double terminal = NanosecondsPerRecord(&g_terminalFrontEnd, records);
  StartQt(&argc, argv);
  double qt = NanosecondsPerRecord(&g_qtFrontEnd, records);
  printf("%ld records: terminal %.0f ns/record, Qt %.0f ns/record, difference %.0f ns/record\n", records, terminal,
         qt, qt - terminal);
  return 0;
}
