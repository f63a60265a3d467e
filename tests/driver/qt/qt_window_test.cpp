/* qt_window_test.cpp: the Qt progress window's layout, Cancel seen within
 * a run's record loop, the count shown when records stop, plain message
 * text, and the chooser's Cancel and path limit. */
#include <gtest/gtest.h>
#include <stdio.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

#include "progress_window.h"
#include "qt_ui.h"

namespace {

/* Runs action once on the first open modal widget that inherits className. */
void OnModal(const char *className, std::function<void(QWidget *)> action) {
  auto *poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, className, action] {
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || !modal->inherits(className)) return;
    poll->stop();
    poll->deleteLater();
    action(modal);
  });
  poll->start(5);
}

struct Window {
  ProgressWindow *w = static_cast<ProgressWindow *>(g_qtFrontEnd.createProgressWindow(nullptr));
  ~Window() { g_qtFrontEnd.destroyProgressWindow(w); }
};

void Spin(qint64 microseconds) {
  QElapsedTimer t;
  t.start();
  while (t.nsecsElapsed() < microseconds * 1000) {
  }
}

/* What the run does after each insert: new count text, then a pump. */
void CountAndPump(ProgressWindow *w, int count) {
  char text[12];
  snprintf(text, sizeof text, "%d", count);
  g_qtFrontEnd.setProgressText(w, text);
  g_qtFrontEnd.pumpMessages();
}

TEST(QtWindow, FixedSizeLabelsInOrderNineDigitsCancelFocused) {
  Window window;
  ProgressWindow *w = window.w;
  EXPECT_EQ(w->parentWidget(), nullptr);
  EXPECT_EQ(w->minimumSize(), w->maximumSize());
  QLabel *importing = nullptr;
  for (QLabel *label : w->findChildren<QLabel *>())
    if (label->text() == "Importing") importing = label;
  ASSERT_NE(importing, nullptr);
  QLabel *count = w->countLabel();
  EXPECT_TRUE(importing->alignment() & Qt::AlignRight);
  EXPECT_TRUE(count->alignment() & Qt::AlignLeft);
  EXPECT_TRUE(count->text().isEmpty());
  EXPECT_GE(count->width(), count->fontMetrics().horizontalAdvance("999999999"));
  EXPECT_LT(importing->x(), count->x());
  EXPECT_LT(count->x(), w->cancelButton()->x());
  EXPECT_EQ(w->cancelButton()->text(), "Cancel");
  EXPECT_EQ(w->focusWidget(), w->cancelButton());
}

/* The pump looks at the queue only every few milliseconds; a click during
 * the record loop must still stop it at the very next test, within 50 ms. */
TEST(QtWindow, CancelInRecordLoopSeenAtNextTestWithin50ms) {
  g_cancelled = 0;
  Window window;
  int count = 0, clickedAt = -1;
  QElapsedTimer sinceClick;
  QTimer::singleShot(100, window.w, [&] {
    QTest::mouseClick(window.w->cancelButton(), Qt::LeftButton);
    clickedAt = count;
    sinceClick.start();
  });
  const int limit = 200000;
  while (count < limit) {
    Spin(20); /* an insert */
    CountAndPump(window.w, ++count);
    if (g_cancelled) break;
  }
  ASSERT_LT(count, limit) << "Cancel was never seen";
  EXPECT_EQ(count, clickedAt);
  EXPECT_LT(sinceClick.elapsed(), 50);
  g_cancelled = 0;
}

/* After a burst of records the newest count shows at the next pumps, even
 * when no further record comes (a slow insert, say). */
TEST(QtWindow, NewestCountShowsWhenRecordsStop) {
  Window window;
  for (int i = 1; i <= 1000; i++) CountAndPump(window.w, i);
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 120) {
    Spin(1000);
    g_qtFrontEnd.pumpMessages();
  }
  EXPECT_EQ(window.w->countLabel()->text(), "1000");
}

TEST(QtWindow, MessageTextIsShownAsPlainText) {
  Window window;
  Qt::TextFormat format = Qt::AutoText;
  OnModal("QMessageBox", [&](QWidget *modal) {
    auto *box = qobject_cast<QMessageBox *>(modal);
    format = box->textFormat();
    EXPECT_EQ(box->text(), "no such table <b>people</b>");
    box->accept();
  });
  g_qtFrontEnd.showMessage(window.w, "no such table <b>people</b>");
  EXPECT_EQ(format, Qt::PlainText);
}

QPushButton *ChooserButton(QWidget *chooser, QDialogButtonBox::StandardButton which) {
  return chooser->findChild<QDialogButtonBox *>("buttonBox")->button(which);
}

TEST(QtWindow, ChooserCancelLeavesTheBufferUnused) {
  Window window;
  char fileName[256] = "unchanged";
  OnModal("QFileDialog", [](QWidget *chooser) {
    QTest::mouseClick(ChooserButton(chooser, QDialogButtonBox::Cancel), Qt::LeftButton);
  });
  EXPECT_EQ(g_qtFrontEnd.chooseImportFile(nullptr, window.w, fileName), 0);
  EXPECT_STREQ(fileName, "unchanged");
}

/* The chooser takes the file, but its full path needs more than 255 bytes. */
TEST(QtWindow, ChooserFailsOnPathLongerThan255Bytes) {
  QTemporaryDir folder;
  QString deep = folder.path();
  while (deep.size() < 300) deep += "/" + QString(60, 'd');
  ASSERT_TRUE(QDir().mkpath(deep));
  QFile file(deep + "/long.cdf");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();

  Window window;
  char fileName[256] = "unchanged";
  bool accepted = false;
  OnModal("QFileDialog", [&](QWidget *modal) {
    auto *chooser = qobject_cast<QFileDialog *>(modal);
    QObject::connect(chooser, &QDialog::accepted, [&] { accepted = true; });
    chooser->setDirectory(deep);
    QTest::qWait(200);
    QTest::keyClicks(chooser->findChild<QLineEdit *>("fileNameEdit"), "long.cdf");
    QPushButton *open = ChooserButton(chooser, QDialogButtonBox::Open);
    ASSERT_TRUE(QTest::qWaitFor([open] { return open->isEnabled(); }, 2000));
    QTest::mouseClick(open, Qt::LeftButton);
  });
  EXPECT_EQ(g_qtFrontEnd.chooseImportFile(nullptr, window.w, fileName), 0);
  EXPECT_TRUE(accepted);
  EXPECT_STREQ(fileName, "unchanged");
}

}  // namespace
