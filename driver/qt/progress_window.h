/* progress_window.h: the Qt progress window: "Importing", the count, and
 * a Cancel button. Cancel and the close button set g_cancelled and
 * nothing else; the window never closes itself. */
#ifndef LUMETRA_PROGRESS_WINDOW_H
#define LUMETRA_PROGRESS_WINDOW_H

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

class ProgressWindow : public QWidget {
 public:
  ProgressWindow();

  /* Keeps text as the newest count; shows it when the last repaint is
   * old enough, or at once when now is set. */
  void SetCount(const char *text, bool now);

  /* Shows the newest count if it is not shown yet. */
  void FlushCount();

  /* The same, but only once the last repaint is old enough: the pump
   * calls it so that the newest count shows even when no record follows. */
  void FlushCountWhenDue();

  QLabel *countLabel() const { return m_count; }
  QPushButton *cancelButton() const { return m_cancel; }

 protected:
  void closeEvent(QCloseEvent *event) override;

 private:
  QLabel *m_count;
  QPushButton *m_cancel;
  QString m_pending;
  bool m_stale = false;
  QElapsedTimer m_sinceRepaint;
};

#endif
