// Masks and keys from a fixed-seed generator: the formatter and the editor
// must keep their invariants on any input (run it under the sanitizers).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/console/keys.h"
#include "platform/ui/mask.h"
#include "platform/ui/picture_editor.h"

namespace zel {
namespace {

const char kMaskBytes[] = "@ EeZzRrSsKkDdB!9#XxANLY.,-/()$*0123456789";
const int kKeys[] = {key::kLeft, key::kRight, key::kHome, key::kEnd, key::kBackspace, key::kDel,
                     key::kIns, PictureEditor::kCtrlY, PictureEditor::kCtrlU, key::kEnter, key::kUp,
                     '0', '5', '9', '-', ',', '.', 'a', 'Z', ' ', 0x87, 255};

TEST(MaskMutation, FormatterAndEditorKeepTheirInvariants) {
  std::mt19937 rng(2009);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (int round = 0; round < 3000; ++round) {
    std::string mask;
    int len = pick(14);
    for (int i = 0; i < len; ++i) mask += kMaskBytes[pick(sizeof kMaskBytes - 1)];
    Value v;
    switch (pick(4)) {
      case 0: v = Value((pick(2) ? -1 : 1) * std::ldexp(static_cast<double>(rng()), pick(60) - 40)); break;
      case 1: v = Value(std::string(static_cast<size_t>(pick(20)), static_cast<char>('a' + pick(26)))); break;
      case 2: v = Value(pick(2) ? Date() : *Date::fromYmd(1900 + pick(200), 1 + pick(12), 1 + pick(28))); break;
      default: v = Value(pick(2) == 1); break;
    }
    SCOPED_TRACE("mask \"" + mask + "\"");
    Picture p = parsePicture(mask);
    std::string shown = transform(v, p);
    if (v.isNumber()) {
      EXPECT_EQ(shown.size(), numberTemplate(p, v.number()).size());
    }

    PictureEditor e(v, p, pick(2) == 1);
    for (int k = pick(30); k > 0; --k) {
      e.handleKey(kKeys[pick(sizeof kKeys / sizeof kKeys[0])]);
      ASSERT_GE(e.cursor(), 0);
      ASSERT_LE(e.cursor(), e.width());
      ASSERT_EQ(static_cast<int>(e.view().size()), e.viewWidth());
      ASSERT_GE(e.viewCursor(), 0);
      ASSERT_LE(e.viewCursor(), e.viewWidth() == 0 ? 0 : e.viewWidth() - 1);
    }
    if (e.acceptable()) {
      EXPECT_EQ(e.value().type(), v.type());
    }
  }
}

}  // namespace
}  // namespace zel
