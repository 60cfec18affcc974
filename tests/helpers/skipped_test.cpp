#include "helpers/skipped.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

// Records 1..n; position n + 1 is the append position.
class FakeCursor : public SkipCursor {
 public:
  FakeCursor(int records, int pos) : n_(records), pos_(records == 0 ? 1 : pos) {}
  bool isEmpty() override { return n_ == 0; }
  void skip(int k) override {
    bof_ = false;
    for (; k > 0 && pos_ <= n_; --k) ++pos_;
    for (; k < 0; ++k) {
      if (pos_ > 1) {
        --pos_;
      } else {
        bof_ = true;
        break;
      }
    }
  }
  bool eof() override { return pos_ > n_; }
  bool bof() override { return bof_ || n_ == 0; }
  void reread() override { ++rereads; }
  int pos() const { return pos_; }
  int rereads = 0;

 private:
  int n_;
  int pos_;
  bool bof_ = false;
};

TEST(Skipped, MovesAsFarAsTheTableAllows) {
  struct Case {
    int records, start, n;
    bool withAppend;
    int moved, end;
  };
  const Case cases[] = {
      {4, 3, 5, false, 1, 4},   // stops on the last record
      {4, 3, 5, true, 2, 5},    // the append position counts as a row
      {4, 2, -5, false, -1, 1},
      {4, 2, -5, true, -1, 1},
      {4, 1, 2, false, 2, 3},
      {4, 4, 1, false, 0, 4},
      {4, 5, 3, true, 0, 5},    // on the append position, forward moves nothing
      {4, 5, -2, true, -2, 3},
      {4, 4, -3, false, -3, 1},
      {0, 1, 3, true, 0, 1},
      {0, 1, -3, true, 0, 1},
  };
  for (const auto& c : cases) {
    FakeCursor cur(c.records, c.start);
    EXPECT_EQ(SKIPPED(cur, c.n, c.withAppend), c.moved)
        << c.records << " records, from " << c.start << ", n " << c.n;
    EXPECT_EQ(cur.pos(), c.end) << c.records << " records, from " << c.start << ", n " << c.n;
  }
}

TEST(Skipped, ZeroRereadsTheCurrentRecord) {
  FakeCursor cur(4, 2);
  EXPECT_EQ(SKIPPED(cur, 0), 0);
  EXPECT_EQ(cur.rereads, 1);
  EXPECT_EQ(cur.pos(), 2);
}

}  // namespace
}  // namespace zel
