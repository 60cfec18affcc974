#include "helpers/skipped.h"

namespace zel {

int SKIPPED(SkipCursor& cursor, int n, bool withAppend) {
  int count = 0;
  if (cursor.isEmpty()) return 0;
  if (n == 0) {
    cursor.reread();
    return 0;
  }
  if (n > 0) {
    if (cursor.eof()) return 0;
    while (count < n) {
      cursor.skip(1);
      if (cursor.eof()) {
        if (withAppend) ++count;
        else cursor.skip(-1);
        break;
      }
      ++count;
    }
    return count;
  }
  while (count > n) {
    cursor.skip(-1);
    if (cursor.bof()) break;
    --count;
  }
  return count;
}

}  // namespace zel
