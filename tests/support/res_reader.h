/* res_reader.h: reads a compiled .res file and the dialog templates in it
 * (both the classic and the extended layout), for checking them. */
#ifndef LUMETRA_RES_READER_H
#define LUMETRA_RES_READER_H

#include <stdint.h>

#include <string>
#include <vector>

struct ResEntry {
  std::string type, name; /* a name, or "#n" for an ordinal */
  uint16_t language = 0;
  std::vector<uint8_t> data;
};

struct DialogItem {
  std::string windowClass, text; /* classes given by ordinal become their names */
  uint32_t id = 0, style = 0, exStyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
  bool extended = false;
  uint32_t style = 0, exStyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::string menu, windowClass, caption;
  std::vector<DialogItem> items;
};

/* Empty on a file that cannot be read or is malformed. */
std::vector<ResEntry> ReadResFile(const char *path);

/* false when the data is not a well-formed dialog template. */
bool ParseDialog(const std::vector<uint8_t> &data, DialogTemplate *dialog);

#endif
