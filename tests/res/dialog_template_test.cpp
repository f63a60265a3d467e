/* dialog_template_test.cpp: the progress dialog "DLG" as windres compiled
 * it: language, styles, geometry, caption and its three controls in tab
 * order, with their exact styles. */
#include <gtest/gtest.h>

#include "res_reader.h"

namespace {

enum : uint32_t {
  WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000, WS_CAPTION = 0x00C00000, WS_SYSMENU = 0x00080000,
  WS_MINIMIZEBOX = 0x00020000, WS_GROUP = 0x00020000, WS_TABSTOP = 0x00010000,
  DS_MODALFRAME = 0x80, DS_SETFONT = 0x40, SS_LEFT = 0, SS_RIGHT = 2, BS_PUSHBUTTON = 0,
  RT_DIALOG = 5, LANG_EN_US = 0x0409, IDCANCEL = 2,
};

const ResEntry *FindDialog(const std::vector<ResEntry> &entries, const std::string &name) {
  for (const ResEntry &e : entries)
    if (e.type == "#" + std::to_string(RT_DIALOG) && e.name == name) return &e;
  return nullptr;
}

class DialogTemplateTest : public testing::Test {
protected:
  std::vector<ResEntry> entries = ReadResFile(IMPORT_RES);
  DialogTemplate dialog;
  void SetUp() override {
    ASSERT_FALSE(entries.empty()) << IMPORT_RES;
    const ResEntry *dlg = FindDialog(entries, "DLG");
    ASSERT_NE(dlg, nullptr) << "no dialog named DLG";
    EXPECT_EQ(dlg->language, LANG_EN_US);
    ASSERT_TRUE(ParseDialog(dlg->data, &dialog));
  }
};

TEST_F(DialogTemplateTest, DialogFields) {
  EXPECT_EQ(dialog.style, WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME);
  EXPECT_EQ(dialog.style & DS_SETFONT, 0u) << "the system font is used";
  EXPECT_EQ(dialog.exStyle, 0u);
  EXPECT_EQ(dialog.x, 13);
  EXPECT_EQ(dialog.y, 24);
  EXPECT_EQ(dialog.cx, 197);
  EXPECT_EQ(dialog.cy, 18);
  EXPECT_EQ(dialog.menu, "");
  EXPECT_EQ(dialog.windowClass, "") << "the standard dialog class";
  EXPECT_EQ(dialog.caption, "Lumetra - HP Database Import Utility");
}

TEST_F(DialogTemplateTest, ControlsInTabOrder) {
  struct Expected {
    const char *windowClass;
    uint32_t id;
    const char *text;
    int16_t x, y, cx, cy;
    uint32_t style;
  } expected[] = {
    {"STATIC", 0xFFFF, "Importing", 5, 5, 50, 8, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_RIGHT},
    {"STATIC", 100, "", 75, 5, 70, 8, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {"BUTTON", IDCANCEL, "Cancel", 160, 2, 32, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
  };
  ASSERT_EQ(dialog.items.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); i++) {
    const Expected &want = expected[i];
    const DialogItem &got = dialog.items[i];
    SCOPED_TRACE("control " + std::to_string(i + 1));
    EXPECT_EQ(got.windowClass, want.windowClass);
    EXPECT_EQ(got.id & 0xFFFF, want.id); /* -1 is stored in 16 or 32 bits */
    EXPECT_EQ(got.text, want.text);
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.cx, want.cx);
    EXPECT_EQ(got.cy, want.cy);
    EXPECT_EQ(got.style, want.style);
    EXPECT_EQ(got.exStyle, 0u);
  }
}

}  // namespace
