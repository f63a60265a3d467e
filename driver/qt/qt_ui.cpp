/* qt_ui.cpp: the seam's operations on Qt. The pump dispatches what is
 * waiting and returns at once; it looks at the queue only every few
 * milliseconds, which keeps its cost per record small while Cancel is
 * still seen well within 50 ms. */
#include "qt_ui.h"

#include <string.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "progress_window.h"

enum { FILE_NAME_LIMIT = FILE_NAME_SIZE - 1 };
static const qint64 kPumpIntervalNanoseconds = 5 * 1000 * 1000;

static QApplication *s_app;
static ProgressWindow *s_window; /* the run's one progress window, or null */
static QElapsedTimer s_sincePump;

void StartQt(int *argc, char **argv) {
  s_app = new QApplication(*argc, argv);
  s_sincePump.start();
}

static ProgressWindow *WindowOf(UiWindow w) { return static_cast<ProgressWindow *>(w); }

static UiWindow CreateQtProgress(UiInstance) {
  auto *w = new ProgressWindow;
  w->show();
  s_window = w;
  QCoreApplication::processEvents();
  return w;
}

static void SetQtProgress(UiWindow w, const char *text) { WindowOf(w)->SetCount(text, false); }

static void DestroyQtProgress(UiWindow w) {
  if (w == s_window) s_window = nullptr;
  delete WindowOf(w);
}

static int32_t ChooseQtFile(UiInstance, UiWindow owner, char *fileName) {
  QFileDialog dialog(WindowOf(owner));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setNameFilters({"CDF files (*.cdf)", "All files (*)"});
  dialog.selectNameFilter("CDF files (*.cdf)");
  dialog.setDefaultSuffix("cdf");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return 0;
  QByteArray path = QFile::encodeName(dialog.selectedFiles().first());
  if (path.size() > FILE_NAME_LIMIT) return 0;
  memcpy(fileName, path.constData(), (size_t)path.size() + 1);
  return 1;
}

static void PumpQt(void) {
  if (s_sincePump.nsecsElapsed() < kPumpIntervalNanoseconds) return;
  s_sincePump.restart();
  if (s_window) s_window->FlushCountWhenDue();
  QCoreApplication::processEvents();
}

static void ShowQtMessage(UiWindow owner, const char *text) {
  if (owner) WindowOf(owner)->FlushCount();
  QMessageBox box(WindowOf(owner));
  box.setWindowTitle(IMPORT_CAPTION);
  box.setTextFormat(Qt::PlainText); /* a driver's text may hold '<' */
  box.setText(QString::fromLocal8Bit(text));
  box.setIcon(QMessageBox::NoIcon);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

const UiFrontEnd g_qtFrontEnd = {
  CreateQtProgress, SetQtProgress, DestroyQtProgress, ChooseQtFile, PumpQt, ShowQtMessage, nullptr,
};
