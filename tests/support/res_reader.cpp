/* res_reader.cpp: a small reader of 32-bit .res files and of DLGTEMPLATE /
 * DLGTEMPLATEEX data. Strings are UTF-16 in the file; the templates here
 * hold ASCII only, so each unit is narrowed to one byte. */
#include "res_reader.h"

#include <fstream>
#include <iterator>

namespace {

enum : uint32_t { DS_SETFONT = 0x40, DS_SHELLFONT = 0x48 };

struct Cursor {
  const std::vector<uint8_t> &bytes;
  size_t at = 0;
  bool ok = true;

  uint16_t Word() {
    if (at + 2 > bytes.size()) { ok = false; return 0; }
    uint16_t v = (uint16_t)(bytes[at] | bytes[at + 1] << 8);
    at += 2;
    return v;
  }
  uint32_t Dword() {
    uint32_t low = Word();
    return low | (uint32_t)Word() << 16;
  }
  int16_t Short() { return (int16_t)Word(); }
  void AlignTo4() { at = (at + 3) & ~(size_t)3; }
  std::string String() {
    std::string s;
    for (uint16_t c = Word(); ok && c != 0; c = Word()) s += (char)c;
    return s;
  }
  /* A name or a 0xFFFF-marked ordinal ("#n"); empty for none. */
  std::string NameOrOrdinal() {
    uint16_t first = Word();
    if (first == 0xFFFF) return "#" + std::to_string(Word());
    if (first == 0) return "";
    return std::string(1, (char)first) + String();
  }
};

std::string ClassName(const std::string &raw) {
  static const char *const kOrdinals[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"};
  if (raw.size() > 1 && raw[0] == '#') {
    unsigned n = (unsigned)std::stoul(raw.substr(1));
    if (n >= 0x80 && n < 0x86) return kOrdinals[n - 0x80];
  }
  std::string upper;
  for (char c : raw) upper += (char)toupper((unsigned char)c);
  return upper;
}

void SkipFont(Cursor &c, bool extended) {
  c.Word(); /* point size */
  if (extended) { c.Word(); c.Word(); } /* weight, italic and charset */
  c.String();
}

}  // namespace

std::vector<ResEntry> ReadResFile(const char *path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<ResEntry> entries;
  Cursor c{bytes};
  while (c.ok && c.at < bytes.size()) {
    size_t start = c.at;
    uint32_t dataSize = c.Dword(), headerSize = c.Dword();
    ResEntry e;
    e.type = c.NameOrOrdinal();
    e.name = c.NameOrOrdinal();
    c.AlignTo4();
    c.Dword(); /* data version */
    c.Word();  /* memory flags */
    e.language = c.Word();
    c.at = start + headerSize;
    if (!c.ok || c.at + dataSize > bytes.size()) return {};
    e.data.assign(bytes.begin() + (long)c.at, bytes.begin() + (long)(c.at + dataSize));
    c.at += dataSize;
    c.AlignTo4();
    if (dataSize != 0) entries.push_back(e);
  }
  return c.ok ? entries : std::vector<ResEntry>{};
}

static DialogItem ReadItem(Cursor &c, bool extended) {
  DialogItem item;
  c.AlignTo4();
  if (extended) {
    c.Dword(); /* help id */
    item.exStyle = c.Dword();
    item.style = c.Dword();
  } else {
    item.style = c.Dword();
    item.exStyle = c.Dword();
  }
  item.x = c.Short(); item.y = c.Short(); item.cx = c.Short(); item.cy = c.Short();
  item.id = extended ? c.Dword() : c.Word();
  item.windowClass = ClassName(c.NameOrOrdinal());
  item.text = c.NameOrOrdinal();
  c.at += c.Word(); /* creation data */
  return item;
}

bool ParseDialog(const std::vector<uint8_t> &data, DialogTemplate *d) {
  Cursor c{data};
  d->extended = data.size() >= 4 && data[2] == 0xFF && data[3] == 0xFF;
  uint16_t count;
  if (d->extended) {
    c.Word(); c.Word(); c.Dword(); /* version, signature, help id */
    d->exStyle = c.Dword();
    d->style = c.Dword();
  } else {
    d->style = c.Dword();
    d->exStyle = c.Dword();
  }
  count = c.Word();
  d->x = c.Short(); d->y = c.Short(); d->cx = c.Short(); d->cy = c.Short();
  d->menu = c.NameOrOrdinal();
  d->windowClass = c.NameOrOrdinal();
  d->caption = c.String();
  if ((d->style & DS_SETFONT) || (d->style & DS_SHELLFONT) == DS_SHELLFONT) SkipFont(c, d->extended);
  for (uint16_t i = 0; c.ok && i < count; i++) d->items.push_back(ReadItem(c, d->extended));
  return c.ok && c.at <= data.size();
}
