#include "platform/console/console.h"

#include <algorithm>

#include "platform/sys/clock.h"

namespace zel {

Console::Console(std::unique_ptr<Backend> backend) : backend_(std::move(backend)) {
  if (!backend_) backend_ = std::make_unique<HeadlessBackend>();
}

void Console::setColour(std::string_view colourList) {
  colours_ = parseColourList(colourList, colours_);
}

void Console::say(int row, int col, std::string_view text) {
  say(row, col, text, colours_.standard());
}

void Console::say(int row, int col, std::string_view text, Attr attr) {
  row_ = row;
  col_ = screen_.write(row, col, text, attr);
}

void Console::sayKeepAttr(int row, int col, std::string_view text) {
  row_ = row;
  col_ = screen_.writeKeepAttr(row, col, text);
}

void Console::gotoRC(int row, int col) {
  row_ = row;
  col_ = col;
}

void Console::flush() {
  backend_->present(screen_, row_, col_, cursorVisible_);
  screen_.markClean();
}

int Console::inkey(int timeoutMs) {
  flush();
  InputEvent ev;
  bool got = false;
  if (!queue_.empty()) {
    ev = queue_.front();
    queue_.pop_front();
    got = true;
  } else if (peeked_) {
    ev = *peeked_;
    peeked_.reset();
    got = true;
  } else {
    got = backend_->poll(timeoutMs, ev);
  }
  if (!got) return key::kNone;
  lastKey_ = ev.key;
  if (ev.row >= 0) {
    mouseRow_ = ev.row;
    mouseCol_ = ev.col;
  }
  return ev.key;
}

int Console::waitKey(int timeoutMs) {
  const long long deadline = timeoutMs >= 0 ? clock().monotonicMs() + timeoutMs : -1;
  while (true) {
    int left = -1;
    if (deadline >= 0) left = static_cast<int>(std::max(0LL, deadline - clock().monotonicMs()));
    int k = inkey(left);
    if (k == key::kNone) return k;
    auto it = bindings_.find(k);
    if (it == bindings_.end() || std::find(running_.begin(), running_.end(), k) != running_.end())
      return k;
    KeyHandler handler = it->second;  // the callback may rebind or unbind its key
    ReadContext ctx = context_;
    running_.push_back(k);
    ++handlerDepth_;
    handler(ctx);
    --handlerDepth_;
    running_.pop_back();
    if (deadline >= 0 && clock().monotonicMs() >= deadline) return key::kNone;
  }
}

void Console::clearKeys() {
  queue_.clear();
  peeked_.reset();
  backend_->discardTypeahead();
}

bool Console::keyWaiting() {
  if (!queue_.empty() || peeked_) return true;
  InputEvent ev;
  if (!backend_->poll(0, ev)) return false;
  peeked_ = ev;
  return true;
}

void Console::bindKey(int key, KeyHandler handler) {
  if (handler)
    bindings_[key] = std::move(handler);
  else
    bindings_.erase(key);
}

void Console::unbindKey(int key) { bindings_.erase(key); }

Console::KeyHandler Console::binding(int key) const {
  auto it = bindings_.find(key);
  return it == bindings_.end() ? KeyHandler{} : it->second;
}

void Console::tone(int hz, int ticks) {
  if (!silent_) backend_->tone(hz, ticks);
}

namespace {
std::unique_ptr<Console>& slot() {
  static std::unique_ptr<Console> c;
  return c;
}
}  // namespace

Console& console() {
  auto& c = slot();
  if (!c) c = std::make_unique<Console>(std::make_unique<HeadlessBackend>());
  return *c;
}

std::unique_ptr<Console> setConsole(std::unique_ptr<Console> c) {
  auto old = std::move(slot());
  slot() = std::move(c);
  return old;
}

}  // namespace zel
