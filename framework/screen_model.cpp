#include "framework/screen_model.h"

#include <algorithm>
#include <array>

#include "framework/picture.h"
#include "storage/table_def.h"

namespace vorlam {

namespace {


// Keys a screen may be sent; the others are script errors.
constexpr std::array<std::string_view, 25> kKnownKeys = {
    "Insert", "Delete", "Enter", "Esc",  "Tab",  "Up",   "Down", "PageUp", "PageDown", "Home", "End", "Menu",
    "F1",     "F2",     "F3",    "F4",   "F5",   "F6",   "F7",   "F8",     "F9",       "F10",  "F11", "F12",
    "Space"};

}  // namespace

std::string withoutMnemonic(std::string_view caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') out += caption[++i];
      continue;
    }
    out += caption[i];
  }
  return out;
}

bool sameCaption(std::string_view a, std::string_view b) {
  return a == b || withoutMnemonic(a) == withoutMnemonic(b);
}

ScreenModel::ScreenModel(std::string procedure, std::string title)
    : procedure_(std::move(procedure)), title_(std::move(title)) {}

std::string ScreenModel::title() const { return dynamicTitle_ ? dynamicTitle_() : title_; }

int ScreenModel::currentTab() const {
  int n = 0;
  for (const ScreenTab& t : tabs_) {
    if (!t.list.empty()) continue;
    if (t.current && t.current()) return n;
    ++n;
  }
  return -1;
}

bool ScreenModel::onCurrentTab(int tab) const { return tab < 0 || tab == currentTab(); }

const ScreenControl* ScreenModel::control(std::string_view nameOrPrompt) const {
  for (const ScreenControl& c : controls_)
    if (!c.name.empty() && sameName(c.name, nameOrPrompt)) return &c;
  for (const ScreenControl& c : controls_)
    if (!c.prompt.empty() && c.prompt == nameOrPrompt) return &c;
  return nullptr;
}

const ScreenButton* ScreenModel::button(std::string_view caption) const {
  // A hidden button of the same caption may stand beside a shown one.
  // "&Todas" and "To&das" are different buttons: a caption written with
  // its '&' matches that caption first.
  if (caption.find('&') != std::string_view::npos) {
    for (const ScreenButton& b : buttons_)
      if (b.caption == caption && visible(b) && onCurrentTab(b.tab)) return &b;
  }
  const ScreenButton* hidden = nullptr;
  for (const ScreenButton& b : buttons_) {
    // An icon-only button goes by its name, or by its tip.
    const bool match = (!b.caption.empty() && sameCaption(b.caption, caption)) ||
                       (!b.name.empty() && sameName(b.name, caption)) ||
                       (b.caption.empty() && !b.tip.empty() && b.tip == caption);
    if (!match) continue;
    if (visible(b) && onCurrentTab(b.tab)) return &b;
    if (hidden == nullptr) hidden = &b;
  }
  return hidden;
}

const ScreenList* ScreenModel::list(std::string_view name) const {
  for (const ScreenList& l : lists_)
    if (sameName(l.name, name)) return &l;
  return nullptr;
}

const ScreenList* ScreenModel::activeList() const {
  if (const ScreenList* l = list(focus_); l != nullptr && !focus_.empty()) return l;
  for (const ScreenList& l : lists_)
    if (onCurrentTab(l.tab)) return &l;
  return nullptr;
}

ControlState ScreenModel::state(const ScreenControl& control) const {
  ControlState s = control.state ? control.state() : ControlState{};
  if (!onCurrentTab(control.tab)) s.visible = false;
  return s;
}

bool ScreenModel::enabled(const ScreenButton& b) const { return !b.enabled || b.enabled(); }
bool ScreenModel::isDefault(const ScreenButton& b) const { return b.isDefault && b.isDefault(); }
bool ScreenModel::visible(const ScreenButton& b) const { return !b.visible || b.visible(); }

std::string ScreenModel::pictureOf(const ScreenControl& c) { return c.pictureNow ? c.pictureNow() : c.picture; }

std::string ScreenModel::captionOf(const ScreenTab& t) { return t.captionNow ? t.captionNow() : t.caption; }

std::string ScreenModel::displayValue(const ScreenControl& c) const {
  const std::string v = c.value ? c.value() : std::string();
  if (!c.choices.empty()) {
    for (const ControlChoice& choice : c.choices)
      if (choice.value == v) return choice.caption;
    return v;
  }
  if (c.format) return c.format(v);
  const std::string picture = pictureOf(c);
  if (picture.empty()) return v;
  Result<Picture> p = Picture::compile(picture);
  if (!p.isOk()) return v;
  PictureValue value = v;
  if (p.value().kind() == Picture::Kind::kDate || p.value().kind() == Picture::Kind::kTime) {
    const int32_t n = v.empty() ? 0 : int32_t(std::stol(v));
    value = p.value().kind() == Picture::Kind::kDate ? PictureValue(DayNumber{n}) : PictureValue(TimeOfDay{n});
  }
  Result<std::string> shown = p.value().format(value);
  return shown.isOk() ? shown.value() : v;
}

Status ScreenModel::refuse(const std::string& text) {
  if (dialogs_ != nullptr) {
    MessageBoxRequest box;
    box.title = "Atenção!!!";
    box.text = text;
    box.icon = MessageIcon::kExclamation;
    dialogs_->messageBox(box);
  }
  return Status::ok();
}

Status ScreenModel::type(std::string_view name, std::string_view typed) {
  const ScreenControl* c = control(name);
  if (c == nullptr) return Status(StatusCode::kNotFound, "controle desconhecido", std::string(name));
  const ControlState s = state(*c);
  if (c->kind == ControlKind::kDisplay || !c->complete || !s.visible || !s.enabled || s.readOnly)
    return Status(StatusCode::kInvalidArgument, "o controle não aceita digitação", std::string(name));
  const size_t index = size_t(c - controls_.data());
  const std::string focusName = c->name.empty() ? c->prompt : c->name;
  setFocus(focusName);
  std::string stored(typed);
  if (!c->choices.empty()) {
    auto it = std::find_if(c->choices.begin(), c->choices.end(), [&](const ControlChoice& choice) {
      return choice.value == typed || sameCaption(choice.caption, typed);
    });
    if (it == c->choices.end())
      return Status(StatusCode::kInvalidArgument, "opção inexistente", std::string(typed));
    stored = it->value;
  } else if (c->parse) {
    Result<std::string> v = c->parse(typed);
    if (!v.isOk()) return refuse(v.status().message());
    stored = v.value();
  } else if (const std::string picture = pictureOf(*c); !picture.empty()) {
    Result<Picture> p = Picture::compile(picture);
    if (p.isOk()) {
      Result<PictureValue> v = p.value().parse(typed, c->text ? ValueType::kText : p.value().naturalType());
      if (!v.isOk()) return refuse(v.status().message());
      stored = plainValueText(v.value());
    }
  }
  // The control may be gone once it completes (a form closing itself).
  const uint64_t moves = focusMoves_;
  const Status done = controls_[index].complete(stored);
  sync();
  // Accepted without the screen asking for another focus: on to the next
  // control, as Tab or Enter would.
  if (done.isOk() && !closed_ && focusMoves_ == moves) setFocus(nextFocus(focusName));
  return Status::ok();
}

void ScreenModel::addControl(ScreenControl control) {
  focusOrder_.push_back(control.name.empty() ? control.prompt : control.name);
  parts_.push_back({PartKind::kControl, controls_.size()});
  controls_.push_back(std::move(control));
}

void ScreenModel::addList(ScreenList list) {
  focusOrder_.push_back(list.name);
  parts_.push_back({PartKind::kList, lists_.size()});
  lists_.push_back(std::move(list));
}

bool ScreenModel::focusable(const std::string& name) const {
  if (const ScreenList* l = list(name)) return onCurrentTab(l->tab);
  const ScreenControl* c = control(name);
  if (c == nullptr || c->kind == ControlKind::kDisplay || !c->complete) return false;
  const ControlState s = state(*c);
  return s.visible && s.enabled;
}

std::string ScreenModel::nextFocus(const std::string& name) const {
  auto at = std::find_if(focusOrder_.begin(), focusOrder_.end(), [&](const std::string& n) { return sameName(n, name); });
  if (at == focusOrder_.end()) return name;
  for (auto it = at + 1; it != focusOrder_.end(); ++it)
    if (focusable(*it)) return *it;
  return name;
}

Status ScreenModel::press(std::string_view caption) {
  const ScreenButton* b = button(caption);
  if (b == nullptr) return Status(StatusCode::kNotFound, "botão desconhecido", std::string(caption));
  if (!visible(*b) || !onCurrentTab(b->tab)) return Status(StatusCode::kInvalidArgument, "botão oculto", std::string(caption));
  if (!enabled(*b)) return Status(StatusCode::kInvalidArgument, "botão desabilitado", std::string(caption));
  std::function<void()> action = b->press;
  if (action) action();
  sync();
  return Status::ok();
}

Status ScreenModel::key(std::string_view name) {
  if (std::find(kKnownKeys.begin(), kKnownKeys.end(), name) == kKnownKeys.end())
    return Status(StatusCode::kNotFound, "tecla desconhecida", std::string(name));
  const ScreenKey* unscoped = nullptr;
  const ScreenKey* scoped = nullptr;
  for (const ScreenKey& k : keys_) {
    if (k.name != name) continue;
    if (k.scope.empty()) {
      if (unscoped == nullptr) unscoped = &k;
    } else if (!focus_.empty() && sameName(k.scope, focus_) && scoped == nullptr) {
      scoped = &k;
    }
  }
  const ScreenKey* k = scoped != nullptr ? scoped : unscoped;
  if (k != nullptr) {
    std::function<void()> action = k->action;
    action();
  } else if (name == "Enter") {
    for (const ScreenButton& b : buttons_)
      if (isDefault(b) && enabled(b) && visible(b) && onCurrentTab(b.tab)) return press(b.caption.empty() ? b.name : b.caption);
  } else if (name == "Esc") {
    requestClose();
  } else if (name == "Tab") {
    setFocus(nextFocus(focus_));
  } else if (const ScreenList* l = activeList(); l != nullptr && (name == "Up" || name == "Down")) {
    const size_t count = l->rows().size();
    std::optional<size_t> at = l->highlighted();
    if (count > 0 && at) {
      if (name == "Down" && *at + 1 < count) return highlightRow(*at + 1);
      if (name == "Up" && *at > 0) return highlightRow(*at - 1);
    }
  }
  sync();
  return Status::ok();
}

Status ScreenModel::selectTab(std::string_view caption) {
  for (const ScreenTab& t : tabs_) {
    if (!sameCaption(t.caption, caption) && !sameCaption(captionOf(t), caption)) continue;
    std::function<void()> select = t.select;
    if (select) select();
    sync();
    return Status::ok();
  }
  return Status(StatusCode::kNotFound, "aba desconhecida", std::string(caption));
}

Status ScreenModel::highlightRow(size_t row) {
  const ScreenList* l = activeList();
  if (l == nullptr) return Status(StatusCode::kNotFound, "a tela não tem lista");
  const size_t count = l->rows ? l->rows().size() : 0;
  if (row >= count)
    return Status(StatusCode::kInvalidArgument, "a lista tem " + std::to_string(count) + " linha(s)");
  const std::string name = l->name;
  Status s = l->highlight ? l->highlight(row) : Status::ok();
  setFocus(name);
  sync();
  return s;
}

Status ScreenModel::clickCell(size_t row, int column) {
  const ScreenList* l = activeList();
  if (l == nullptr) return Status(StatusCode::kNotFound, "a tela não tem lista");
  if (column < 0 || size_t(column) >= l->headers.size())
    return Status(StatusCode::kNotFound, "a lista tem " + std::to_string(l->headers.size()) + " coluna(s)");
  auto click = l->clickCell;
  if (Status s = highlightRow(row); !s) return s;
  Status s = click ? click(row, column) : Status::ok();
  sync();
  return s;
}

Status ScreenModel::locate(std::string_view text) {
  const ScreenList* l = activeList();
  if (l == nullptr || !l->locate) return Status(StatusCode::kNotFound, "a lista não tem localizador");
  Status s = l->locate(std::string(text));
  sync();
  return s;
}

Status ScreenModel::chooseMenu(const std::vector<std::string>& path) {
  for (const MenuItem& item : menu_) {
    if (item.path.size() != path.size()) continue;
    bool match = true;
    for (size_t i = 0; i < path.size() && match; ++i) match = sameCaption(item.path[i], path[i]);
    if (!match) continue;
    if (item.enabled && !item.enabled())
      return Status(StatusCode::kInvalidArgument, "item do menu desabilitado", item.status);
    std::function<void()> choose = item.choose;
    if (choose) choose();
    sync();
    return Status::ok();
  }
  return Status(StatusCode::kNotFound, "item de menu desconhecido");
}

bool ScreenModel::requestClose() {
  if (closed_) return true;
  if (mayClose_ && !mayClose_()) {
    sync();
    return false;
  }
  close();
  return true;
}

void ScreenModel::close() {
  if (closed_) return;
  closed_ = true;
  if (observer_ != nullptr) observer_->closed(*this);
}

void ScreenModel::beep() {
  if (observer_ != nullptr && !closed_) observer_->beeped(*this);
}

void ScreenModel::setFocus(const std::string& name) {
  ++focusMoves_;
  if (name == focus_) return;
  focus_ = name;
  if (observer_ != nullptr && !closed_) observer_->focusChanged(*this, focus_);
}

void ScreenModel::sync() {
  for (const auto& hook : afterAction_) hook();
}

void ScreenModel::runChild(ScreenModel& child) {
  if (child.host_ == nullptr) child.host_ = host_;
  if (child.observer_ == nullptr) child.observer_ = observer_;
  if (child.dialogs_ == nullptr) child.dialogs_ = dialogs_;
  if (host_ == nullptr) {
    child.close();
    return;
  }
  host_->run(child, this);
  sync();
}

void ScreenModel::setWaker(std::function<void()> wake) {
  std::lock_guard lock(postMu_);
  wake_ = std::move(wake);
  // Tasks posted before the host was there are run on its first wake.
  if (wake_ && !posted_.empty()) wake_();
}

bool ScreenModel::runsInBackground() const {
  std::lock_guard lock(postMu_);
  return bool(wake_);
}

void ScreenModel::post(std::function<void()> task) {
  std::lock_guard lock(postMu_);
  posted_.push_back(std::move(task));
  // One wake per batch: the host runs every task waiting when it gets to
  // it.  Under the lock, so that a host that clears its waker is never
  // called afterwards.
  if (posted_.size() == 1 && wake_) wake_();
}

void ScreenModel::runPosted() {
  std::vector<std::function<void()>> tasks;
  {
    std::lock_guard lock(postMu_);
    tasks.swap(posted_);
  }
  for (const std::function<void()>& task : tasks) task();
  sync();
}

}  // namespace vorlam
