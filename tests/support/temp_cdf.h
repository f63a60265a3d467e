/* temp_cdf.h: CDF files written into a fresh temporary folder. */
#ifndef LUMETRA_TEMP_CDF_H
#define LUMETRA_TEMP_CDF_H

#include <stdlib.h>

#include <fstream>
#include <string>

struct TempFolder {
  std::string path;
  TempFolder() {
    char tmpl[] = "/tmp/lumetra-run-XXXXXX";
    path = mkdtemp(tmpl);
  }
  ~TempFolder() {
    if (system(("rm -rf '" + path + "'").c_str()) != 0) { /* a leftover in /tmp is harmless */
    }
  }
  /* Writes name with content and returns its full path. */
  std::string Write(const std::string &name, const std::string &content) const {
    std::string file = path + "/" + name;
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }
};

#endif
