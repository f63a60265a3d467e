/* import_path_test.cpp: what the terminal chooser makes of a typed name. */
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "import_path.h"
#include "temp_cdf.h"

namespace {

TEST(ImportPath, TypedNames) {
  TempFolder dir;
  dir.Write("people.cdf", "a\n");
  dir.Write("data", "a\n"); /* a regular file named as typed wins over data.cdf */
  dir.Write("data.cdf", "a\n");
  mkdir((dir.path + "/report").c_str(), 0700); /* a folder does not: report.cdf is taken */
  dir.Write("report.cdf", "a\n");
  dir.Write("notes.txt", "a\n");
  dir.Write(".hidden", "a\n");
  mkdir((dir.path + "/sub.cdf").c_str(), 0700);
  /* links are named as typed; their folders are resolved */
  ASSERT_EQ(symlink("people.cdf", (dir.path + "/link.cdf").c_str()), 0);
  ASSERT_EQ(symlink("sub.cdf", (dir.path + "/folder").c_str()), 0);
  ASSERT_EQ(symlink("../people.cdf", (dir.path + "/sub.cdf/inner").c_str()), 0);
  ASSERT_EQ(chdir(dir.path.c_str()), 0);
  setenv("HOME", dir.path.c_str(), 1);
  const struct { std::string typed; int verdict; std::string path; const char *reason; } cases[] = {
    {"people.cdf", PATH_OK, dir.path + "/people.cdf", nullptr},
    {"people", PATH_OK, dir.path + "/people.cdf", nullptr},
    {"data", PATH_OK, dir.path + "/data", nullptr},
    {"data.cdf", PATH_OK, dir.path + "/data.cdf", nullptr},
    {"report", PATH_OK, dir.path + "/report.cdf", nullptr},
    {"./sub.cdf/../notes.txt", PATH_OK, dir.path + "/notes.txt", nullptr},
    {"notes.txt/x", PATH_REFUSED, "", "notes.txt/x: Not a directory"},
    {"notes.txt", PATH_OK, dir.path + "/notes.txt", nullptr},
    {"~/people.cdf", PATH_OK, dir.path + "/people.cdf", nullptr},
    {dir.path + "/.hidden", PATH_OK, dir.path + "/.hidden", nullptr},
    {"missing", PATH_REFUSED, "", "missing: No such file or directory"},
    {"sub.cdf", PATH_REFUSED, "", "sub.cdf: not a regular file"},
    {"sub", PATH_REFUSED, "", "sub: not a regular file"},
    {"link.cdf", PATH_OK, dir.path + "/link.cdf", nullptr},
    {"link", PATH_OK, dir.path + "/link.cdf", nullptr},
    {"folder/inner", PATH_OK, dir.path + "/sub.cdf/inner", nullptr},
    {dir.path + "/folder/../link.cdf", PATH_OK, dir.path + "/link.cdf", nullptr},
    {"/", PATH_REFUSED, "", "/: not a regular file"},
  };
  for (const auto &c : cases) {
    char fileName[256] = "";
    char reason[512] = "";
    EXPECT_EQ(ResolveImportPath(c.typed.c_str(), fileName, reason, sizeof reason), c.verdict) << c.typed;
    if (c.verdict == PATH_OK) {
      EXPECT_EQ(std::string(fileName), c.path) << c.typed;
    }
    if (c.reason) {
      EXPECT_NE(std::string(reason).find(c.reason), std::string::npos) << reason;
    }
  }
}

TEST(ImportPath, FullPathOver255BytesFails) {
  TempFolder dir;
  std::string deep = dir.path;
  while (deep.size() < 250) {
    deep += "/folder";
    mkdir(deep.c_str(), 0700);
  }
  std::string name = deep + "/f.cdf";
  FILE *f = fopen(name.c_str(), "w");
  ASSERT_NE(f, nullptr);
  fclose(f);
  char fileName[256], reason[512];
  EXPECT_EQ(ResolveImportPath(name.c_str(), fileName, reason, sizeof reason), PATH_TOO_LONG);
  EXPECT_NE(std::string(reason).find("f.cdf: the full path is longer than 255 bytes"), std::string::npos) << reason;
}

}  // namespace
