#include "framework/list_format.h"

#include <cctype>

namespace vorlam {

namespace {

class Reader {
 public:
  explicit Reader(std::string_view s) : s_(s) {}
  bool done() const { return at_ >= s_.size(); }
  char peek() const { return done() ? '\0' : s_[at_]; }
  char take() { return s_[at_++]; }
  size_t at() const { return at_; }

  bool number(int* out) {
    size_t start = at_;
    int v = 0;
    while (!done() && std::isdigit(static_cast<unsigned char>(peek())) && v < 100000) v = v * 10 + (take() - '0');
    *out = v;
    return at_ > start;
  }
  // An optional "(n)" after an alignment letter.
  bool indent(int* out) {
    *out = 0;
    if (peek() != '(') return true;
    take();
    bool negative = peek() == '-';
    if (negative) take();
    if (!number(out) || peek() != ')') return false;
    take();
    if (negative) *out = -*out;
    return true;
  }
  bool until(char end, std::string* out) {
    size_t close = s_.find(end, at_);
    if (close == std::string_view::npos) return false;
    *out = std::string(s_.substr(at_, close - at_));
    at_ = close + 1;
    return true;
  }

 private:
  std::string_view s_;
  size_t at_ = 0;
};

bool alignOf(char c, ColumnAlign* out) {
  switch (std::toupper(static_cast<unsigned char>(c))) {
    case 'L': *out = ColumnAlign::kLeft; return true;
    case 'R': *out = ColumnAlign::kRight; return true;
    case 'C': *out = ColumnAlign::kCenter; return true;
    case 'D': *out = ColumnAlign::kDecimal; return true;
  }
  return false;
}

Status fault(const Reader& r, std::string_view what) {
  return Status(StatusCode::kInvalidArgument, "Formato de lista inválido na posição " + std::to_string(r.at() + 1) + ": " +
                                 std::string(what));
}

Status column(Reader& r, ListColumn* c) {
  if (!r.number(&c->width)) return fault(r, "falta a largura");
  if (!alignOf(r.peek(), &c->align)) return fault(r, "falta o alinhamento");
  r.take();
  if (!r.indent(&c->indent)) return fault(r, "recuo");
  c->headerAlign = c->align;
  c->headerIndent = c->indent;
  while (!r.done() && r.peek() != '~' && r.peek() != '@') {
    char m = r.take();
    c->modifiers += m;
    if (m == '|') c->rightBorder = true;
    if (m == 'M' || m == 'm') c->resizable = true;
    if (m == 'I' || m == 'J' || m == 'i' || m == 'j') c->icon = true;
    if (m == '*') c->colours = true;
    // Letters with an argument ("Z(2)", "S(100)") carry it along.
    if (r.peek() == '(') {
      std::string arg;
      if (!r.until(')', &arg)) return fault(r, "falta o ')'");
      c->modifiers += arg + ")";
    }
  }
  if (r.peek() == '~') {
    r.take();
    if (!r.until('~', &c->header)) return fault(r, "falta o '~' do título");
    if (alignOf(r.peek(), &c->headerAlign)) {
      r.take();
      if (!r.indent(&c->headerIndent)) return fault(r, "recuo do título");
    }
  }
  if (r.peek() != '@') return fault(r, "falta a máscara");
  r.take();
  std::string picture;
  if (!r.until('@', &picture)) return fault(r, "falta o '@' da máscara");
  c->picture = "@" + picture;
  return Status();
}

}  // namespace

Result<std::vector<ListColumn>> parseListFormat(std::string_view format) {
  std::vector<ListColumn> out;
  Reader r(format);
  while (!r.done()) {
    ListColumn c;
    Status s = column(r, &c);
    if (!s.isOk()) return s;
    out.push_back(std::move(c));
  }
  return out;
}

}  // namespace vorlam
