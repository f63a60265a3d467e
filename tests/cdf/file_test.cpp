/* file_test.cpp: the platform's file access: regular files only, read to
 * the end through the byte source. */
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "byte_source.h"
#include "cdf_file.h"
#include "cdf_reader.h"
#include "columns.h"

namespace {

struct TempDir {
  std::string path;
  TempDir() {
    char tmpl[] = "/tmp/cdf-file-XXXXXX";
    path = mkdtemp(tmpl);
  }
  ~TempDir() { std::system(("rm -rf " + path).c_str()); }
};

TEST(CdfFile, OpensRegularFilesOnly) {
  TempDir dir;
  std::string file = dir.path + "/people.cdf";
  std::ofstream(file) << "Name,Age@N\r\nann,41\r\n";
  EXPECT_EQ(OpenCdfFile(dir.path.c_str()), 0);
  EXPECT_EQ(g_hCdfFile, CDF_NO_FILE);
  EXPECT_EQ(OpenCdfFile((dir.path + "/missing.cdf").c_str()), 0);
  EXPECT_EQ(OpenCdfFile("/dev/null"), 0);

  ASSERT_EQ(OpenCdfFile(file.c_str()), 1);
  int32_t eof = 0, eol = 0;
  ASSERT_EQ(ReadCdfHeader(&eof), 1);
  ASSERT_EQ(ReadCdfRecord(&eof, &eol), 1);
  EXPECT_STREQ(g_columns[0].text, "ann");
  EXPECT_EQ(g_columns[1].number, 41.0);
  ASSERT_EQ(ReadCdfRecord(&eof, &eol), 1);
  EXPECT_EQ(eof, 1);
  CloseCdfFile();
  EXPECT_EQ(g_hCdfFile, CDF_NO_FILE);
}

TEST(CdfFile, ReopeningStartsAfresh) {
  TempDir dir;
  std::string file = dir.path + "/a.cdf";
  std::ofstream(file) << "a,b,";
  ASSERT_EQ(OpenCdfFile(file.c_str()), 1);
  int32_t eof = 0;
  ASSERT_EQ(ReadCdfHeader(&eof), 1);
  CloseCdfFile();
  std::ofstream(file) << "c\r\nleft,over\r\n";
  ASSERT_EQ(OpenCdfFile(file.c_str()), 1);
  ASSERT_EQ(ReadCdfHeader(&eof), 1); /* leaves "left,over" in the buffer */
  CloseCdfFile();
  std::ofstream(file) << "\r\nx,y\r\n";
  ASSERT_EQ(OpenCdfFile(file.c_str()), 1);
  ASSERT_EQ(ReadCdfHeader(&eof), 1); /* the comma bit of the last file is gone */
  EXPECT_EQ(g_columnCount, 2);
  EXPECT_STREQ(g_columns[0].name, "x");
  CloseCdfFile();
}

/* Every kind of path that is not a regular file is refused at once:
 * each open runs in a child that an alarm kills if the open blocks, as
 * it would on a FIFO without a writer. A regular file opened after the
 * refusals is still read in full. */
TEST(CdfFile, RefusesWhatIsNotARegularFileWithoutBlocking) {
  TempDir dir;
  std::string fifo = dir.path + "/pipe.cdf";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string file = dir.path + "/people.cdf";
  std::ofstream(file) << "Name\r\nann\r\n";
  const struct { const char *name; std::string path; int writer; int opens; } cases[] = {
    {"FIFO without a writer", fifo, 0, 0},
    {"FIFO with a writer", fifo, 1, 0},
    {"directory", dir.path, 0, 0},
    {"character device", "/dev/null", 0, 0},
    {"missing file", dir.path + "/missing.cdf", 0, 0},
    {"regular file", file, 0, 1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    int writer = -1;
    if (c.writer) {
      writer = open(c.path.c_str(), O_RDWR); /* holds the FIFO open for writing */
      ASSERT_GE(writer, 0);
    }
    EXPECT_EXIT(
        {
          alarm(5);
          int32_t opened = OpenCdfFile(c.path.c_str());
          int32_t eof = 0;
          int32_t ok = opened && ReadCdfHeader(&eof) && g_columnCount == 1;
          _exit(opened == c.opens && (!opened || ok) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    if (writer >= 0) close(writer);
  }
}

}  // namespace
