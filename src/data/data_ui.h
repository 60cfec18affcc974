// What the data layer shows while it opens, creates and locks tables.
//
// The program's message routines sit above this layer, so it reaches them
// through this interface; RecordingDataUi keeps what was shown, for tests.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace zel::data {

class DataUi {
 public:
  virtual ~DataUi() = default;
  // Progress box (left open; the next one of the same size reuses it).
  virtual void progress(std::string_view text) = 0;
  // Closes the progress box.
  virtual void closeProgress() = 0;
  // The next progress box is drawn afresh instead of reusing the last one.
  virtual void freshProgress() = 0;
  // Message line: the text, centred or from column 1.
  virtual void message(std::string_view text, bool centred) = 0;
  virtual void clearMessage() = 0;
  // Alert box with the single button "Ok"; returns when answered.
  virtual void alert(std::string_view text) = 0;
  // Boxed notice that waits for any key.
  virtual void notice(std::string_view text) = 0;
  // The next key waiting in the keyboard buffer, left there; 0 when none.
  virtual int peekKey() = 0;
  // Removes the next waiting key, if any.
  virtual void dropKey() = 0;
};

// Shows nothing and sees no keys: the layer's default until the program's
// message routines are wired in.
class SilentDataUi : public DataUi {
 public:
  void progress(std::string_view) override {}
  void closeProgress() override {}
  void freshProgress() override {}
  void message(std::string_view, bool) override {}
  void clearMessage() override {}
  void alert(std::string_view) override {}
  void notice(std::string_view) override {}
  int peekKey() override { return 0; }
  void dropKey() override {}
};

// Records every call as one line ("progress: ...", "message: ...",
// "message-centred: ...", "clear-message", "alert: ...", "notice: ...",
// "close-progress", "fresh-progress"), and serves keys from a queue
// (27 is Esc).
class RecordingDataUi : public DataUi {
 public:
  std::vector<std::string> log;
  std::deque<int> keys;
  std::string messageLine;  // what the message line holds now

  void progress(std::string_view t) override { log.push_back("progress: " + std::string(t)); }
  void closeProgress() override { log.push_back("close-progress"); }
  void freshProgress() override { log.push_back("fresh-progress"); }
  void message(std::string_view t, bool centred) override {
    messageLine = std::string(t);
    log.push_back((centred ? "message-centred: " : "message: ") + messageLine);
  }
  void clearMessage() override {
    messageLine.clear();
    log.push_back("clear-message");
  }
  void alert(std::string_view t) override { log.push_back("alert: " + std::string(t)); }
  void notice(std::string_view t) override { log.push_back("notice: " + std::string(t)); }
  int peekKey() override { return keys.empty() ? 0 : keys.front(); }
  void dropKey() override {
    if (!keys.empty()) keys.pop_front();
  }
  // Lines of the log that start with `prefix`.
  std::vector<std::string> lines(std::string_view prefix) const {
    std::vector<std::string> out;
    for (const auto& l : log)
      if (std::string_view(l).substr(0, prefix.size()) == prefix) out.push_back(l);
    return out;
  }
};

}  // namespace zel::data
