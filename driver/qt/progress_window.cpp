/* progress_window.cpp: the layout of the progress window and its count,
 * repainted at most about 20 times a second: a label repaint costs far
 * more than an insert. */
#include "progress_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>

#include "ui.h"

static const int kRepaintMilliseconds = 50;
static const char kWidestCount[] = "999999999";

ProgressWindow::ProgressWindow() {
  setWindowTitle(IMPORT_CAPTION);
  auto *importing = new QLabel("Importing", this);
  importing->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  m_count = new QLabel(this);
  m_count->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  m_count->setMinimumWidth(m_count->fontMetrics().horizontalAdvance(kWidestCount));
  m_cancel = new QPushButton("Cancel", this);
  QObject::connect(m_cancel, &QPushButton::clicked, [] { g_cancelled = 1; });
  auto *row = new QHBoxLayout(this);
  row->addWidget(importing);
  row->addWidget(m_count);
  row->addWidget(m_cancel);
  row->setSizeConstraint(QLayout::SetFixedSize);
  m_cancel->setFocus();
  m_sinceRepaint.start();
}

void ProgressWindow::SetCount(const char *text, bool now) {
  m_pending = QString::fromLocal8Bit(text);
  m_stale = true;
  if (now) FlushCount(); else FlushCountWhenDue();
}

void ProgressWindow::FlushCountWhenDue() {
  if (m_sinceRepaint.elapsed() >= kRepaintMilliseconds) FlushCount();
}

void ProgressWindow::FlushCount() {
  if (!m_stale) return;
  m_count->setText(m_pending);
  m_stale = false;
  m_sinceRepaint.restart();
}

void ProgressWindow::closeEvent(QCloseEvent *event) {
  g_cancelled = 1;
  event->ignore();
}
