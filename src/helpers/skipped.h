// The skip callback of the table browsers, over any table cursor.
#pragma once

namespace zel {

// What SKIPPED needs of a cursor, with the usual xBase positions: skipping
// past the last record stands on the empty append position (eof true);
// skipping before the first stays on the first record with bof true.
class SkipCursor {
 public:
  virtual ~SkipCursor() = default;
  // No record to show (an empty table, or none passing a filter).
  virtual bool isEmpty() = 0;
  virtual void skip(int n) = 0;
  virtual bool eof() = 0;
  virtual bool bof() = 0;
  // Reads the current record again (another workstation may have changed it).
  virtual void reread() = 0;
};

// Moves up to n rows and returns how many were moved. With withAppend the
// append position after the last record counts as a row the browser may
// stand on; without it the cursor never stays there.
int SKIPPED(SkipCursor& cursor, int n, bool withAppend = false);

}  // namespace zel
