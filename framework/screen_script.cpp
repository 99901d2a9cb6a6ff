#include "framework/screen_script.h"

#include <algorithm>
#include <map>
#include <ostream>

#include "storage/table.h"
#include "storage/text.h"

namespace vorlam {

namespace {

// Words each command takes after its name: minimum and maximum (-1: any).
struct Arity {
  int min;
  int max;
};
const std::map<std::string, Arity, std::less<>>& commandArity() {
  static const std::map<std::string, Arity, std::less<>> kArity = {
      {"company", {1, 1}}, {"period", {1, 1}}, {"setting", {4, 4}}, {"menu", {1, -1}},
      {"open", {1, -1}},   {"tab", {1, 1}},    {"type", {2, 2}},    {"press", {1, 1}},
      {"key", {1, 1}},     {"row", {1, 1}},    {"click", {2, 2}},   {"locate", {1, 1}},  {"answer", {1, 1}},
      {"expect", {1, -1}},
  };
  return kArity;
}

const std::map<std::string, Arity, std::less<>>& expectArity() {
  static const std::map<std::string, Arity, std::less<>> kArity = {
      {"message", {2, 2}}, {"no-message", {0, 0}}, {"beep", {0, 0}},  {"value", {2, 2}}, {"state", {2, 2}},
      {"focus", {1, 1}},   {"screen", {1, 1}},     {"closed", {0, 0}}, {"title", {1, 1}},
      {"rows", {1, 1}},    {"cell", {3, 3}},       {"record", {1, -1}},
      {"write", {2, -1}},  {"no-write", {0, 0}},
  };
  return kArity;
}

Status splitLine(std::string_view line, std::vector<std::string>* words) {
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    if (c == '#') break;
    // A word is plain characters and quoted parts ("a b", FIELD="a b").
    std::string word;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
      if (line[i] != '"') {
        word += line[i++];
        continue;
      }
      ++i;
      bool closed = false;
      while (i < line.size()) {
        if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
          word += line[i + 1];
          i += 2;
        } else if (line[i] == '"') {
          ++i;
          closed = true;
          break;
        } else {
          word += line[i++];
        }
      }
      if (!closed) return Status(StatusCode::kInvalidArgument, "aspas sem fechamento");
    }
    words->push_back(std::move(word));
  }
  return Status::ok();
}

bool fits(const Arity& a, size_t n) { return int(n) >= a.min && (a.max < 0 || int(n) <= a.max); }

std::string quotedText(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c == '\n' ? '|' : c;
  }
  return out + "\"";
}

std::string trimmed(std::string_view s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(' ');
  return std::string(s.substr(b, e - b + 1));
}

std::string boxText(std::string_view s) {
  std::string out(s);
  std::replace(out.begin(), out.end(), '\n', '|');
  return out;
}

bool parseCount(const std::string& s, long* out) {
  if (s.empty() || s.size() > 9 || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  *out = std::stol(s);
  return true;
}

}  // namespace

Result<std::vector<ScriptCommand>> parseScript(std::string_view text) {
  std::vector<ScriptCommand> out;
  int number = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    ++number;
    std::vector<std::string> words;
    auto fault = [number](const std::string& why) {
      return Status(StatusCode::kInvalidArgument, "linha " + std::to_string(number) + ": " + why);
    };
    if (Status s = splitLine(text.substr(start, end - start), &words); !s) return fault(s.message());
    if (!words.empty()) {
      auto c = commandArity().find(words[0]);
      if (c == commandArity().end()) return fault("comando desconhecido: " + words[0]);
      if (!fits(c->second, words.size() - 1)) return fault("número de argumentos errado para " + words[0]);
      if (words[0] == "expect") {
        auto e = expectArity().find(words[1]);
        if (e == expectArity().end()) return fault("verificação desconhecida: expect " + words[1]);
        if (!fits(e->second, words.size() - 2)) return fault("número de argumentos errado para expect " + words[1]);
      }
      out.push_back({number, std::move(words)});
    }
    if (end == text.size()) break;
    start = end + 1;
  }
  return out;
}

ScriptRunner::ScriptRunner(ScriptEnvironment& environment, std::ostream& out, std::ostream& err)
    : env_(environment), out_(out), err_(err) {}

ScriptRunner::~ScriptRunner() {
  // Screens close in the reverse order of their opening.
  while (!owned_.empty()) owned_.pop_back();
}

void ScriptRunner::attach(ScreenModel& model) {
  model.setHost(this);
  model.setObserver(this);
  model.setDialogs(this);
}

void ScriptRunner::show(std::unique_ptr<Screen> screen) {
  ScreenModel& model = screen->model();
  attach(model);
  owned_.push_back(std::move(screen));
  if (model.closed()) return;
  out_ << "open " << model.procedure() << " " << quotedText(model.title()) << "\n";
  stack_.push_back(&model);
}

ScreenModel* ScriptRunner::receiving() const {
  for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
    if (!(*it)->closed()) return *it;
  return nullptr;
}

int ScriptRunner::run(const std::vector<ScriptCommand>& script) {
  script_ = &script;
  next_ = 0;
  loop(nullptr);
  return exit_;
}

void ScriptRunner::loop(ScreenModel* until) {
  while (!stop_ && next_ < script_->size()) {
    if (until != nullptr && until->closed()) return;
    const ScriptCommand& c = (*script_)[next_++];
    line_ = c.line;
    execute(c);
  }
}

void ScriptRunner::run(ScreenModel& child, ScreenModel* /*parent*/) {
  attach(child);
  if (child.closed()) return;
  out_ << "open " << child.procedure() << " " << quotedText(child.title()) << "\n";
  stack_.push_back(&child);
  loop(&child);
  // The child is gone once its opener returns, closed or not.
  stack_.erase(std::remove(stack_.begin(), stack_.end(), &child), stack_.end());
  if (target_ == &child) target_ = nullptr;
}

void ScriptRunner::focusChanged(ScreenModel& screen, const std::string& focus) {
  // A screen still opening has no focus to speak of yet.
  if (std::find(stack_.begin(), stack_.end(), &screen) == stack_.end()) return;
  if (!focus.empty()) out_ << "focus " << focus << "\n";
}

void ScriptRunner::closed(ScreenModel& screen) {
  out_ << "close " << screen.procedure() << "\n";
  if (&screen == target_) targetClosed_ = true;
}

void ScriptRunner::beeped(ScreenModel& /*screen*/) {
  out_ << "beep\n";
  ++beeps_;
}

void ScriptRunner::written(const std::string& table, WriteKind kind, const std::string& key) {
  const std::string line = table + " " + std::string(writeKindName(kind)) + " " + key;
  out_ << "write " << line << "\n";
  writes_.push_back(line);
}

int ScriptRunner::takeAnswer(const std::vector<std::string>& captions, int defaultIndex, bool* byDefault) {
  *byDefault = answers_.empty();
  if (answers_.empty()) return defaultIndex;
  const auto [line, wanted] = answers_.front();
  answers_.pop_front();
  for (size_t i = 0; i < captions.size(); ++i)
    if (sameName(withoutMnemonic(captions[i]), withoutMnemonic(wanted))) return int(i);
  std::string list;
  for (const std::string& c : captions) list += (list.empty() ? "" : "|") + c;
  fail(line, "resposta " + quotedText(wanted) + " não é botão da mensagem [" + list + "]");
  *byDefault = true;
  return defaultIndex;
}

void ScriptRunner::printMessage(const std::string& title, const std::string& text,
                                const std::vector<std::string>& captions, int answer, bool byDefault) {
  std::string list;
  for (const std::string& c : captions) list += (list.empty() ? "" : "|") + c;
  out_ << "message " << quotedText(title) << " " << quotedText(text) << " [" << list << "] -> "
       << quotedText(captions[size_t(answer)]) << (byDefault ? " (default)" : "") << "\n";
  shown_.push_back({title, boxText(text)});
}

uint32_t ScriptRunner::messageBox(const MessageBoxRequest& request) {
  std::vector<uint32_t> bits = buttonsOf(request.buttons);
  if (bits.empty()) bits.push_back(kButtonOk);
  std::vector<std::string> captions;
  int defaultIndex = 0;
  const uint32_t preferred = effectiveDefaultButton(request.buttons, request.defaultButton);
  for (size_t i = 0; i < bits.size(); ++i) {
    captions.emplace_back(buttonCaption(bits[i]));
    if (bits[i] == preferred) defaultIndex = int(i);
  }
  bool byDefault = false;
  const int answer = takeAnswer(captions, defaultIndex, &byDefault);
  printMessage(request.title, request.text, captions, answer, byDefault);
  return bits[size_t(answer)];
}

int ScriptRunner::question(const QuestionRequest& request) {
  std::vector<std::string> captions = splitButtonList(request.buttonList);
  int defaultIndex = std::clamp(request.defaultButton - 1, 0, int(captions.size()) - 1);
  bool byDefault = false;
  const int answer = takeAnswer(captions, defaultIndex, &byDefault);
  printMessage(request.title, request.text, captions, answer, byDefault);
  return answer + 1;
}

void ScriptRunner::fail(int line, const std::string& text) {
  if (stop_) return;
  out_ << "fail " << line << ": " << text << "\n";
  exit_ = 1;
  stop_ = true;
}

void ScriptRunner::cannotRun(int line, const std::string& text) {
  if (stop_) return;
  err_ << "linha " << line << ": " << text << "\n";
  exit_ = 2;
  stop_ = true;
}

bool ScriptRunner::actionFailed(int line, const Status& s, const std::string& what) {
  if (s.isOk()) return false;
  std::string text = s.message();
  if (!s.detail().empty()) text += ": " + s.detail();
  if (s.is(StatusCode::kNotFound))
    cannotRun(line, text + " (" + what + ")");
  else
    fail(line, what + ": " + text);
  return true;
}

void ScriptRunner::execute(const ScriptCommand& c) {
  const std::string& cmd = c.words[0];
  if (cmd == "expect") {
    check(c);
    shown_.clear();
    return;
  }
  if (cmd == "answer") {
    answers_.emplace_back(c.line, c.words[1]);
    return;
  }
  // The writes checked are those of the command that follows.
  writes_.clear();
  if (cmd == "company" || cmd == "period" || cmd == "setting") {
    Status s;
    if (cmd == "company") {
      long code = 0;
      if (!parseCount(c.words[1], &code) || code == 0 || code > 65535)
        return cannotRun(c.line, "código de empresa inválido: " + c.words[1]);
      s = env_.setCompany(uint16_t(code));
    } else if (cmd == "period") {
      const std::string& p = c.words[1];
      long month = 0, year = 0;
      const size_t slash = p.find('/');
      if (slash == std::string::npos || !parseCount(p.substr(0, slash), &month) ||
          !parseCount(p.substr(slash + 1), &year))
        return cannotRun(c.line, "período inválido (MM/AAAA): " + p);
      s = env_.setPeriod(int(month), int(year));
    } else {
      s = env_.setting(c.words[1], c.words[2], c.words[3], c.words[4]);
    }
    if (!s) cannotRun(c.line, s.message() + (s.detail().empty() ? "" : ": " + s.detail()));
    return;
  }
  beeps_ = 0;  // "expect beep" asks about the action that follows
  if (cmd == "open") {
    std::string request;
    std::vector<std::string> keys(c.words.begin() + 2, c.words.end());
    static const char* kRequests[] = {"insert", "change", "delete", "view", "select"};
    if (!keys.empty() && std::find(std::begin(kRequests), std::end(kRequests), keys[0]) != std::end(kRequests)) {
      request = keys[0];
      keys.erase(keys.begin());
    }
    Result<std::unique_ptr<Screen>> screen = env_.open(c.words[1], request, keys);
    if (!screen.isOk()) {
      cannotRun(c.line, screen.status().message() + ": " + c.words[1]);
      return;
    }
    show(std::move(screen).value());
    return;
  }
  act(c);
}

namespace {

// A list's column by its number (from 1) or header; 0 when it has none.
long listColumn(const ScreenList& list, const std::string& word) {
  long column = -1;
  if (!parseCount(word, &column)) {
    for (size_t i = 0; i < list.headers.size(); ++i)
      if (sameName(withoutMnemonic(list.headers[i]), withoutMnemonic(word))) column = long(i) + 1;
  }
  return column > 0 && size_t(column) <= list.headers.size() ? column : 0;
}

}  // namespace

void ScriptRunner::act(const ScriptCommand& c) {
  ScreenModel* screen = receiving();
  if (screen == nullptr) return cannotRun(c.line, "nenhuma tela aberta para " + c.words[0]);
  target_ = screen;
  targetClosed_ = false;
  const std::string& cmd = c.words[0];
  Status s;
  if (cmd == "menu") {
    s = screen->chooseMenu(std::vector<std::string>(c.words.begin() + 1, c.words.end()));
  } else if (cmd == "tab") {
    s = screen->selectTab(c.words[1]);
  } else if (cmd == "type") {
    s = screen->type(c.words[1], c.words[2]);
  } else if (cmd == "press") {
    s = screen->press(c.words[1]);
  } else if (cmd == "key") {
    s = screen->key(c.words[1]);
  } else if (cmd == "row") {
    long n = 0;
    if (!parseCount(c.words[1], &n) || n == 0) return cannotRun(c.line, "linha inválida: " + c.words[1]);
    s = screen->highlightRow(size_t(n - 1));
  } else if (cmd == "click") {
    long n = 0;
    if (!parseCount(c.words[1], &n) || n == 0) return cannotRun(c.line, "linha inválida: " + c.words[1]);
    const ScreenList* list = screen->activeList();
    if (list == nullptr) return cannotRun(c.line, "a tela não tem lista");
    const long column = listColumn(*list, c.words[2]);
    if (column <= 0) return cannotRun(c.line, "coluna desconhecida: " + c.words[2]);
    s = screen->clickCell(size_t(n - 1), int(column - 1));
  } else if (cmd == "locate") {
    s = screen->locate(c.words[1]);
  }
  actionFailed(c.line, s, cmd + " " + c.words.back());
}

void ScriptRunner::expected(const ScriptCommand& c, const std::string& want, const std::string& seen) {
  fail(c.line, "expect " + c.words[1] + ": esperado " + quotedText(want) + ", visto " + quotedText(seen));
}

void ScriptRunner::check(const ScriptCommand& c) {
  const std::string& what = c.words[1];
  if (what == "message") {
    if (shown_.empty()) return expected(c, c.words[2] + " " + c.words[3], "nenhuma mensagem");
    const Shown& last = shown_.back();
    if (last.title != c.words[2] || last.text != c.words[3])
      expected(c, c.words[2] + "\" \"" + c.words[3], last.title + "\" \"" + last.text);
    return;
  }
  if (what == "no-message") {
    if (!shown_.empty()) expected(c, "nenhuma mensagem", shown_.back().title + "\" \"" + shown_.back().text);
    return;
  }
  if (what == "beep") {
    if (beeps_ == 0) expected(c, "beep", "nenhum");
    return;
  }
  if (what == "record") return checkRecord(c);
  if (what == "write" || what == "no-write") return checkWrite(c);
  if (what == "closed") {
    if (!targetClosed_) fail(c.line, "expect closed: a tela " + std::string(target_ ? target_->procedure() : "") + " continua aberta");
    return;
  }
  ScreenModel* screen = receiving();
  if (what == "screen") {
    const std::string seen = screen ? screen->procedure() : "nenhuma";
    if (screen == nullptr || !sameName(screen->procedure(), c.words[2])) expected(c, c.words[2], seen);
    return;
  }
  if (screen == nullptr) return cannotRun(c.line, "nenhuma tela aberta para expect " + what);
  if (what == "title") {
    if (screen->title() != c.words[2]) expected(c, c.words[2], screen->title());
    return;
  }
  if (what == "focus") {
    const ScreenControl* control = screen->control(c.words[2]);
    const std::string name = control == nullptr ? c.words[2] : (control->name.empty() ? control->prompt : control->name);
    if (!sameName(screen->focus(), name) && !sameCaption(screen->focus(), c.words[2])) expected(c, name, screen->focus());
    return;
  }
  if (what == "value" || what == "state") return checkControl(c, *screen);
  checkList(c, *screen);
}

// expect value NAME TEXT / expect state NAME STATE, of a control or button.
void ScriptRunner::checkControl(const ScriptCommand& c, ScreenModel& screen) {
  const std::string& what = c.words[1];
  const ScreenControl* control = screen.control(c.words[2]);
  const ScreenButton* button = control == nullptr ? screen.button(c.words[2]) : nullptr;
  if (control == nullptr && (button == nullptr || what == "value"))
    return cannotRun(c.line, "controle desconhecido: " + c.words[2]);
  const std::string& want = c.words[3];
  if (what == "value") {
    const std::string shown = screen.displayValue(*control);
    const std::string stored = control->value ? control->value() : std::string();
    if (trimmed(shown) != trimmed(want) && !(control->kind != ControlKind::kEntry && stored == want))
      expected(c, want, shown);
    return;
  }
  static const char* kStates[] = {"enabled", "disabled", "hidden", "visible", "read-only"};
  if (std::find(std::begin(kStates), std::end(kStates), want) == std::end(kStates))
    return cannotRun(c.line, "estado desconhecido: " + want);
  ControlState st;
  if (control != nullptr) {
    st = screen.state(*control);
  } else {
    st.enabled = screen.enabled(*button);
    st.visible = screen.visible(*button);
  }
  const bool ok = want == "enabled"    ? st.enabled
                  : want == "disabled" ? !st.enabled
                  : want == "hidden"   ? !st.visible
                  : want == "visible"  ? st.visible
                                       : st.readOnly;
  if (!ok) {
    std::string seen = std::string(st.enabled ? "enabled" : "disabled") + (st.visible ? " visible" : " hidden") +
                       (st.readOnly ? " read-only" : "");
    expected(c, want, seen);
  }
}

// expect rows N / expect cell ROW COLUMN TEXT, of the active list.
void ScriptRunner::checkList(const ScriptCommand& c, ScreenModel& screen) {
  const ScreenList* list = screen.activeList();
  if (list == nullptr) return cannotRun(c.line, "a tela não tem lista");
  const auto rows = list->rows();
  if (c.words[1] == "rows") {
    long n = 0;
    if (!parseCount(c.words[2], &n)) return cannotRun(c.line, "número inválido: " + c.words[2]);
    if (size_t(n) != rows.size()) expected(c, c.words[2], std::to_string(rows.size()));
    return;
  }
  long row = 0;
  if (!parseCount(c.words[2], &row) || row == 0) return cannotRun(c.line, "linha inválida: " + c.words[2]);
  const long column = listColumn(*list, c.words[3]);
  if (column <= 0)
    return cannotRun(c.line, "coluna desconhecida: " + c.words[3]);
  if (size_t(row) > rows.size()) return expected(c, c.words[4], "a lista tem " + std::to_string(rows.size()) + " linha(s)");
  const std::string& seen = rows[size_t(row - 1)][size_t(column - 1)];
  if (trimmed(seen) != trimmed(c.words[4])) expected(c, c.words[4], seen);
}

void ScriptRunner::checkWrite(const ScriptCommand& c) {
  if (c.words[1] == "no-write") {
    if (!writes_.empty()) fail(c.line, "expect no-write: esperado nenhuma gravação, vista " + quotedText(writes_.front()));
    return;
  }
  const TableDef* def = env_.dictionary().find(c.words[2]);
  if (def == nullptr) return cannotRun(c.line, "tabela desconhecida: " + c.words[2]);
  const std::string& kind = c.words[3];
  if (kind != "insert" && kind != "change" && kind != "delete")
    return cannotRun(c.line, "gravação desconhecida: " + kind);
  // "count N" at the end: N writes in a row of that kind.
  size_t end = c.words.size();
  long count = 1;
  if (end >= 6 && c.words[end - 2] == "count") {
    if (!parseCount(c.words[end - 1], &count) || count == 0)
      return cannotRun(c.line, "contagem inválida: " + c.words[end - 1]);
    end -= 2;
  }
  // Without KEY any record of the table and kind will do.
  std::string want = def->label + " " + kind;
  for (size_t i = 4; i < end; ++i) want += " " + c.words[i];
  for (long n = 0; n < count; ++n) {
    if (writes_.empty())
      return fail(c.line, "expect write: esperado " + quotedText(want) + ", visto nenhuma gravação (" +
                              std::to_string(n) + " de " + std::to_string(count) + ")");
    const std::string& seen = writes_.front();
    const bool matches = end > 4 ? seen == want : seen.rfind(want + " ", 0) == 0;
    if (!matches) return fail(c.line, "expect write: esperado " + quotedText(want) + ", visto " + quotedText(seen));
    writes_.pop_front();
  }
}

void ScriptRunner::checkRecord(const ScriptCommand& c) {
  const TableDef* def = env_.dictionary().find(c.words[2]);
  if (def == nullptr) return cannotRun(c.line, "tabela desconhecida: " + c.words[2]);
  std::vector<std::pair<int, std::string>> wanted;
  long count = -1;
  for (size_t i = 3; i < c.words.size(); ++i) {
    const std::string& w = c.words[i];
    if (w == "count" && i + 1 < c.words.size()) {
      if (!parseCount(c.words[i + 1], &count)) return cannotRun(c.line, "contagem inválida: " + c.words[i + 1]);
      ++i;
      continue;
    }
    const size_t eq = w.find('=');
    const int field = eq == std::string::npos ? -1 : def->fieldIndex(w.substr(0, eq));
    if (field < 0) return cannotRun(c.line, "campo desconhecido: " + w);
    wanted.emplace_back(field, w.substr(eq + 1));
  }
  const std::string path = env_.pathFor(*def);
  if (path.empty()) return cannotRun(c.line, "a tabela não tem arquivo associado: " + def->label);
  Table table(def);
  Status s = table.open(path, OpenMode::kReadOnly);
  long matches = 0;
  if (s) s = table.seekStart(kFileOrder);
  while (s) {
    s = table.next();
    if (!s) break;
    const Record& r = table.buffer();
    bool all = true;
    for (const auto& [field, value] : wanted) {
      std::string stored = latin1ToUtf8(r.getAsText(field));
      if (def->fields[size_t(field)].isText()) stored = stored.substr(0, stored.find_last_not_of(' ') + 1);
      if (stored != value) all = false;
    }
    if (all) ++matches;
  }
  if (!s.is(StatusCode::kNotFound) && !s.isOk())
    return fail(c.line, "expect record: " + def->label + " ilegível: " + s.message());
  const bool ok = count < 0 ? matches > 0 : matches == count;
  if (!ok)
    fail(c.line, "expect record " + def->label + ": esperado " +
                     (count < 0 ? std::string("ao menos 1") : std::to_string(count)) + " registro(s), visto(s) " +
                     std::to_string(matches));
}

}  // namespace vorlam
