/* qt_ui_test.cpp: the Qt front end, headless (offscreen): the chooser's
 * settings and typed names, Cancel and the close button, the message box,
 * and how rarely the count is repainted. Modal windows are driven from
 * timers; a watchdog closes any left open so a failure cannot hang. */
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <fstream>
#include <functional>
#include <string>

#include "fake_odbc.h"
#include "progress_window.h"
#include "qt_ui.h"
#include "run.h"

namespace {

/* Runs action on the modal window once it is open and has read its
 * folder (the file dialog lists it in the background). */
void WhenModal(std::function<void(QWidget *)> action) {
  auto *poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, action] {
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal) return;
    poll->stop();
    poll->deleteLater();
    QTest::qWait(200);
    action(modal);
  });
  poll->start(10);
}

/* Goes to the current folder (the chooser starts where the last one of
 * the process was left), then types name into the name field. */
void TypeName(QWidget *dialog, const char *name) {
  auto *fd = qobject_cast<QFileDialog *>(dialog);
  ASSERT_NE(fd, nullptr);
  fd->setDirectory(QDir::currentPath());
  QTest::qWait(200);
  auto *edit = dialog->findChild<QLineEdit *>("fileNameEdit");
  ASSERT_NE(edit, nullptr);
  QTest::keyClicks(edit, name);
}

/* Clicks the chooser's Open button, as a person would. */
void ClickOpen(QWidget *dialog) {
  auto *buttons = dialog->findChild<QDialogButtonBox *>("buttonBox");
  ASSERT_NE(buttons, nullptr);
  QPushButton *open = buttons->button(QDialogButtonBox::Open);
  ASSERT_NE(open, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([open] { return open->isEnabled(); }, 2000));
  QTest::mouseClick(open, Qt::LeftButton);
}

struct Folder {
  std::string path;
  Folder() {
    char tmpl[] = "/tmp/lumetra-qt-XXXXXX";
    path = mkdtemp(tmpl);
    for (const char *name : {"UPPER.CDF", "a name.cdf", "plain.cdf"}) std::ofstream(path + "/" + name) << "a,b\n1,2\n";
    if (chdir(path.c_str()) != 0) path.clear();
  }
  ~Folder() {
    if (system(("rm -rf '" + path + "'").c_str()) != 0) {
    }
  }
};

TEST(QtChooser, Settings) {
  UiWindow window = g_qtFrontEnd.createProgressWindow(nullptr);
  WhenModal([window](QWidget *modal) {
    auto *dialog = qobject_cast<QFileDialog *>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->parentWidget(), static_cast<QWidget *>(window));
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->nameFilters(), QStringList({"CDF files (*.cdf)", "All files (*)"}));
    EXPECT_EQ(dialog->selectedNameFilter(), "CDF files (*.cdf)");
    EXPECT_EQ(dialog->defaultSuffix(), "cdf");
    auto *name = dialog->findChild<QLineEdit *>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "");
    dialog->reject();
  });
  char fileName[256] = "untouched";
  EXPECT_EQ(g_qtFrontEnd.chooseImportFile(nullptr, window, fileName), 0);
  EXPECT_STREQ(fileName, "untouched");
  g_qtFrontEnd.destroyProgressWindow(window);
}

TEST(QtChooser, TypedNamesComeBackAsFullPaths) {
  Folder folder;
  ASSERT_FALSE(folder.path.empty());
  const struct { const char *typed, *file; } cases[] = {
    {"UPPER.CDF", "UPPER.CDF"}, {"a name.cdf", "a name.cdf"}, {"plain", "plain.cdf"},
  };
  for (const auto &c : cases) {
    WhenModal([&c](QWidget *modal) {
      TypeName(modal, c.typed);
      ClickOpen(modal);
    });
    char fileName[256] = "";
    EXPECT_EQ(g_qtFrontEnd.chooseImportFile(nullptr, nullptr, fileName), 1) << c.typed;
    EXPECT_EQ(std::string(fileName), folder.path + "/" + c.file);
  }
}

TEST(QtChooser, MissingFileKeepsItOpen) {
  Folder folder;
  bool openEnabled = true, stillOpen = false;
  WhenModal([&](QWidget *modal) {
    TypeName(modal, "missing.cdf");
    openEnabled = modal->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Open)->isEnabled();
    /* Qt may warn about the name in a modal box of its own, which would
     * block the key press below until it is closed */
    QTimer::singleShot(200, [modal] {
      if (QWidget *warning = QApplication::activeModalWidget(); warning && warning != modal) warning->close();
    });
    QTest::keyClick(modal->findChild<QLineEdit *>("fileNameEdit"), Qt::Key_Return);
    QTest::qWait(300);
    stillOpen = modal->isVisible();
    qobject_cast<QFileDialog *>(modal)->reject();
  });
  char fileName[256];
  EXPECT_EQ(g_qtFrontEnd.chooseImportFile(nullptr, nullptr, fileName), 0);
  EXPECT_FALSE(openEnabled);
  EXPECT_TRUE(stillOpen);
}

TEST(QtProgress, CancelAndCloseButtonOnlySetTheFlag) {
  for (bool useClose : {false, true}) {
    g_cancelled = 0;
    auto *window = static_cast<ProgressWindow *>(g_qtFrontEnd.createProgressWindow(nullptr));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->focusWidget(), window->cancelButton());
    EXPECT_EQ(window->windowTitle(), IMPORT_CAPTION);
    if (useClose) {
      window->close();
    } else {
      QTest::mouseClick(window->cancelButton(), Qt::LeftButton);
    }
    EXPECT_EQ(g_cancelled, 1) << useClose;
    EXPECT_TRUE(window->isVisible()) << "the window must not close itself";
    g_qtFrontEnd.destroyProgressWindow(window);
  }
  g_cancelled = 0;
}

TEST(QtProgress, MessageBoxShowsTheNewestCount) {
  auto *window = static_cast<ProgressWindow *>(g_qtFrontEnd.createProgressWindow(nullptr));
  g_qtFrontEnd.setProgressText(window, "1");
  g_qtFrontEnd.setProgressText(window, "2"); /* too soon to repaint on its own */
  QString countWhenShown;
  WhenModal([&](QWidget *modal) {
    auto *box = qobject_cast<QMessageBox *>(modal);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), IMPORT_CAPTION);
    EXPECT_EQ(box->text(), "Error reading file");
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(box->parentWidget(), window);
    countWhenShown = window->countLabel()->text();
    box->accept();
  });
  g_qtFrontEnd.showMessage(window, "Error reading file");
  EXPECT_EQ(countWhenShown, "2");
  g_qtFrontEnd.destroyProgressWindow(window);
}

/* Counts paint events of a widget. */
struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject *, QEvent *e) override {
    if (e->type() == QEvent::Paint) paints++;
    return false;
  }
};

TEST(QtProgress, CountRepaintsFarLessOftenThanRecords) {
  auto *window = static_cast<ProgressWindow *>(g_qtFrontEnd.createProgressWindow(nullptr));
  PaintCounter counter;
  window->countLabel()->installEventFilter(&counter);
  const int records = 20000;
  QElapsedTimer clock;
  clock.start();
  for (int i = 1; i <= records; i++) {
    g_qtFrontEnd.setProgressText(window, std::to_string(i).c_str());
    g_qtFrontEnd.pumpMessages();
    if (i % 100 == 0) QThread::usleep(200); /* let time pass as inserts would */
  }
  WhenModal([](QWidget *modal) { static_cast<QDialog *>(modal)->accept(); });
  g_qtFrontEnd.showMessage(window, "done");
  EXPECT_GT(counter.paints, 0);
  EXPECT_LT(counter.paints, records / 50) << "paints over " << clock.elapsed() << " ms";
  EXPECT_EQ(window->countLabel()->text(), QString::number(records));
  g_qtFrontEnd.destroyProgressWindow(window);
}

TEST(QtRun, CancelClickedStopsTheRunAtItsNextTest) {
  Folder folder;
  ResetFakeOdbc();
  g_frontEnd = &g_qtFrontEnd;
  WhenModal([](QWidget *modal) {
    TypeName(modal, "plain.cdf");
    QWidget *progress = modal->parentWidget();
    /* once the chooser has closed, the first pump delivers this click */
    QTimer::singleShot(0, progress, [progress] {
      QTest::mouseClick(static_cast<ProgressWindow *>(progress)->cancelButton(), Qt::LeftButton);
    });
    ClickOpen(modal);
  });
  QThread::msleep(10); /* so the first pump is not skipped as too soon */
  RunImport(nullptr);
  EXPECT_EQ(g_cancelled, 1);
  EXPECT_EQ(LoggedCalls("SQLAllocStmt").size(), 1u);
  EXPECT_TRUE(LoggedCalls("SQLExecDirect").empty()); /* stopped before the table */
  EXPECT_EQ(LoggedCalls("SQLFreeEnv").size(), 1u);
}

}  // namespace

/* fontconfig keeps some allocations for the life of the process; the
 * leak checker of sanitizer builds is told so. */
extern "C" const char *__lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

int main(int argc, char **argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  StartQt(&argc, argv);
  /* closes a modal window left open for long, so a failing test cannot
   * hang; any it closes fails the run */
  static QPointer<QWidget> watched;
  static int ticksOpen, closed;
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    QWidget *modal = QApplication::activeModalWidget();
    ticksOpen = modal && modal == watched.data() ? ticksOpen + 1 : 0;
    watched = modal;
    if (ticksOpen < 10) return;
    ADD_FAILURE() << "closed a " << modal->metaObject()->className() << " left open";
    closed++;
    modal->close();
  });
  watchdog.start(1000);
  int failed = RUN_ALL_TESTS();
  return failed || closed;
}
