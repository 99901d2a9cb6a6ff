#include "framework/filter.h"

#include <cctype>
#include <string>

#include "framework/filter_program.h"
#include "storage/text.h"

namespace vorlam {

using filter_internal::CompareOp;
using filter_internal::FilterProgram;
using filter_internal::Node;
using filter_internal::NodeKind;

// --- Values and variables ------------------------------------------------

FilterValue FilterValue::number(int64_t value) { return decimal(Decimal::fromInteger(value)); }

FilterValue FilterValue::decimal(const Decimal& value) {
  FilterValue v;
  v.number_ = value;
  return v;
}

FilterValue FilterValue::text(std::string latin1) {
  FilterValue v;
  v.isText_ = true;
  v.text_ = std::move(latin1);
  return v;
}

FilterValue FilterValue::textUtf8(std::string_view utf8) { return text(utf8ToLatin1(utf8)); }

std::string FilterValue::toText() const { return isText_ ? text_ : filter_internal::numberText(number_); }

void FilterVariableMap::set(std::string_view name, FilterValue value) {
  for (auto& [n, v] : values_) {
    if (sameName(n, name)) {
      v = std::move(value);
      return;
    }
  }
  values_.emplace_back(std::string(name), std::move(value));
}

bool FilterVariableMap::lookup(std::string_view name, FilterValue* value) const {
  for (const auto& [n, v] : values_) {
    if (sameName(n, name)) {
      *value = v;
      return true;
    }
  }
  return false;
}

namespace {

// --- Lexer -----------------------------------------------------------------

enum class Tok { kEnd, kNumber, kText, kName, kLParen, kRParen, kComma, kLBracket, kRBracket, kMinus, kCompare, kTilde };

struct Token {
  Tok kind = Tok::kEnd;
  size_t pos = 0;      // byte offset in the source
  std::string text;    // name, number digits, text bytes (Windows-1252)
  CompareOp op = CompareOp::kEq;
};

bool isNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':'; }

class Lexer {
 public:
  explicit Lexer(std::string_view src) : src_(src) {}

  // Reads every token; on a lexical error returns false with *error/*pos set.
  bool run(std::vector<Token>* out, std::string* error, size_t* pos) {
    for (;;) {
      while (i_ < src_.size() && std::isspace(static_cast<unsigned char>(src_[i_]))) ++i_;
      Token t;
      t.pos = i_;
      if (i_ >= src_.size()) {
        out->push_back(t);
        return true;
      }
      if (!next(&t, error)) {
        *pos = t.pos;
        return false;
      }
      out->push_back(std::move(t));
    }
  }

 private:
  bool next(Token* t, std::string* error) {
    char c = src_[i_];
    if (std::isdigit(static_cast<unsigned char>(c))) return number(t, error);
    if (isNameStart(c)) {
      size_t b = i_;
      while (i_ < src_.size() && isNameChar(src_[i_])) ++i_;
      t->kind = Tok::kName;
      t->text = std::string(src_.substr(b, i_ - b));
      return true;
    }
    if (c == '\'') return quoted(t, error);
    if (c == '@') return picture(t);
    return symbol(t, error);
  }

  bool number(Token* t, std::string* error) {
    size_t b = i_;
    while (i_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[i_]))) ++i_;
    if (i_ < src_.size() && src_[i_] == '.') {
      ++i_;
      size_t f = i_;
      while (i_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[i_]))) ++i_;
      if (i_ == f) {
        *error = "número inválido";
        return false;
      }
    }
    if (i_ < src_.size() && isNameStart(src_[i_])) {
      *error = "número inválido";
      return false;
    }
    t->kind = Tok::kNumber;
    t->text = std::string(src_.substr(b, i_ - b));
    return true;
  }

  bool quoted(Token* t, std::string* error) {
    std::string utf8;
    for (++i_; i_ < src_.size(); ++i_) {
      if (src_[i_] == '\'') {
        if (i_ + 1 < src_.size() && src_[i_ + 1] == '\'') {
          utf8 += '\'';
          ++i_;
          continue;
        }
        ++i_;
        t->kind = Tok::kText;
        t->text = utf8ToLatin1(utf8);
        return true;
      }
      utf8 += src_[i_];
    }
    *error = "texto sem o apóstrofo de fechamento";
    return false;
  }

  // A bare picture ("@n04", "@p(##)p") runs to a blank, a comma or an
  // unbalanced closing parenthesis.
  bool picture(Token* t) {
    size_t b = i_++;
    int depth = 0;
    while (i_ < src_.size()) {
      char c = src_[i_];
      if (std::isspace(static_cast<unsigned char>(c)) || c == ',') break;
      if (c == '(') ++depth;
      if (c == ')' && depth-- == 0) break;
      ++i_;
    }
    t->kind = Tok::kText;
    t->text = utf8ToLatin1(src_.substr(b, i_ - b));
    return true;
  }

  bool symbol(Token* t, std::string* error) {
    char c = src_[i_++];
    char d = i_ < src_.size() ? src_[i_] : '\0';
    switch (c) {
      case '(': t->kind = Tok::kLParen; return true;
      case ')': t->kind = Tok::kRParen; return true;
      case ',': t->kind = Tok::kComma; return true;
      case '[': t->kind = Tok::kLBracket; return true;
      case ']': t->kind = Tok::kRBracket; return true;
      case '-': t->kind = Tok::kMinus; return true;
      case '=': return compare(t, d == '<' ? CompareOp::kLe : d == '>' ? CompareOp::kGe : CompareOp::kEq,
                               d == '<' || d == '>');
      case '<': return compare(t, d == '=' ? CompareOp::kLe : d == '>' ? CompareOp::kNe : CompareOp::kLt,
                               d == '=' || d == '>');
      case '>': return compare(t, d == '=' ? CompareOp::kGe : CompareOp::kGt, d == '=');
      case '~':
        if (d == '=') return compare(t, CompareOp::kNe, true);
        if (d == '<') return compare(t, CompareOp::kGe, true);
        if (d == '>') return compare(t, CompareOp::kLe, true);
        t->kind = Tok::kTilde;
        return true;
      default: break;
    }
    --i_;
    *error = "caractere inesperado '" + std::string(1, c) + "'";
    if (static_cast<unsigned char>(c) >= 0x80) *error = "caractere inesperado";
    return false;
  }

  bool compare(Token* t, CompareOp op, bool twoChars) {
    if (twoChars) ++i_;
    t->kind = Tok::kCompare;
    t->op = op;
    return true;
  }

  std::string_view src_;
  size_t i_ = 0;
};

// --- Parser ----------------------------------------------------------------

struct FunctionInfo {
  const char* name;
  NodeKind kind;
  int minArgs;
  int maxArgs;
};
constexpr FunctionInfo kFunctions[] = {
    {"INSTRING", NodeKind::kInstring, 4, 4}, {"SUB", NodeKind::kSub, 2, 3},   {"LEFT", NodeKind::kLeft, 1, 2},
    {"UPPER", NodeKind::kUpper, 1, 1},       {"CLIP", NodeKind::kClip, 1, 1}, {"FORMAT", NodeKind::kFormat, 2, 2},
    {"DATE", NodeKind::kDate, 3, 3},
};
// Limits that keep the recursive parser, evaluator and SQL writer well inside
// a screen thread's stack.
constexpr int kMaxDepth = 100;
constexpr size_t kMaxNodes = 1000;

class Parser {
 public:
  Parser(std::vector<Token> tokens, FilterProgram* p) : toks_(std::move(tokens)), p_(p) {}

  bool run(std::string* error, size_t* pos) {
    if (peek().kind == Tok::kEnd) return true;  // blank: no root
    int root = orExpr();
    if (root >= 0 && peek().kind != Tok::kEnd) fail(peek(), peek().kind == Tok::kRParen
                                                                ? "parêntese de fechamento sem abertura"
                                                                : "texto após o fim da expressão");
    if (!error_.empty()) {
      *error = error_;
      *pos = errorPos_;
      return false;
    }
    p_->root = root;
    return true;
  }

 private:
  const Token& peek() const { return toks_[k_]; }
  const Token& take() { return toks_[k_ < toks_.size() - 1 ? k_++ : k_]; }
  bool isWord(const char* w) const { return peek().kind == Tok::kName && sameName(peek().text, w); }

  int fail(const Token& t, std::string message) {
    if (error_.empty()) {
      error_ = std::move(message);
      errorPos_ = t.pos;
    }
    return -1;
  }

  int add(Node n) {
    if (p_->nodes.size() >= kMaxNodes) return fail(toks_[k_ > 0 ? k_ - 1 : 0], "expressão longa demais");
    p_->nodes.push_back(std::move(n));
    return static_cast<int>(p_->nodes.size()) - 1;
  }
  int binary(NodeKind kind, int a, int b) {
    Node n;
    n.kind = kind;
    n.argc = 2;
    n.kids = {a, b, -1, -1};
    return add(std::move(n));
  }

  int orExpr() {
    int left = andExpr();
    while (left >= 0 && isWord("OR")) {
      take();
      int right = andExpr();
      if (right < 0) return -1;
      left = binary(NodeKind::kOr, left, right);
    }
    return left;
  }

  int andExpr() {
    int left = notExpr();
    while (left >= 0 && isWord("AND")) {
      take();
      int right = notExpr();
      if (right < 0) return -1;
      left = binary(NodeKind::kAnd, left, right);
    }
    return left;
  }

  int notExpr() {
    if (isWord("NOT") || peek().kind == Tok::kTilde) {
      const Token& t = take();
      if (++depth_ > kMaxDepth) return fail(t, "expressão aninhada demais");
      int operand = notExpr();
      --depth_;
      if (operand < 0) return -1;
      Node n;
      n.kind = NodeKind::kNot;
      n.argc = 1;
      n.kids[0] = operand;
      return add(std::move(n));
    }
    return comparison();
  }

  int comparison() {
    int left = primary();
    if (left < 0) return -1;
    if (peek().kind != Tok::kCompare && peek().kind != Tok::kTilde) return left;
    const Token& opTok = take();
    int right = primary();
    if (right < 0) return -1;
    if (peek().kind == Tok::kCompare || peek().kind == Tok::kTilde)
      return fail(peek(), "comparações encadeadas precisam de parênteses");
    int n = binary(NodeKind::kCompare, left, right);
    if (n < 0) return -1;
    p_->nodes[n].compare = opTok.kind == Tok::kTilde ? CompareOp::kBegins : opTok.op;
    return n;
  }

  int constant(FilterValue v) {
    Node n;
    n.kind = NodeKind::kConst;
    n.value = std::move(v);
    return add(std::move(n));
  }

  int numberLiteral(const Token& t, bool negative) {
    size_t dot = t.text.find('.');
    int places = dot == std::string::npos ? 0 : static_cast<int>(t.text.size() - dot - 1);
    auto d = places <= 18 ? Decimal::parse(t.text, places) : std::nullopt;
    if (!d) return fail(t, "número inválido");
    return constant(FilterValue::decimal(negative ? d->negated() : *d));
  }

  int primary() {
    const Token& t = take();
    switch (t.kind) {
      case Tok::kNumber: return numberLiteral(t, false);
      case Tok::kMinus:
        if (peek().kind != Tok::kNumber) return fail(t, "esperado um número após '-'");
        return numberLiteral(take(), true);
      case Tok::kText: return constant(FilterValue::text(t.text));
      case Tok::kLParen: return parenthesized(t);
      case Tok::kName:
        if (isKeyword(t.text)) return fail(t, "esperado um valor antes de '" + t.text + "'");
        return peek().kind == Tok::kLParen ? call(t) : name(t);
      case Tok::kEnd: return fail(t, "expressão incompleta");
      default: return fail(t, "esperado um valor");
    }
  }

  static bool isKeyword(const std::string& s) { return sameName(s, "AND") || sameName(s, "OR") || sameName(s, "NOT"); }

  int parenthesized(const Token& open) {
    if (++depth_ > kMaxDepth) return fail(open, "expressão aninhada demais");
    int inner = orExpr();
    --depth_;
    if (inner < 0) return -1;
    if (peek().kind != Tok::kRParen) return fail(peek(), "esperado ')'");
    take();
    return inner;
  }

  int call(const Token& nameTok) {
    const FunctionInfo* fn = nullptr;
    for (const auto& f : kFunctions)
      if (sameName(nameTok.text, f.name)) fn = &f;
    if (!fn) return fail(nameTok, "função desconhecida '" + nameTok.text + "'");
    take();  // '('
    if (++depth_ > kMaxDepth) return fail(nameTok, "expressão aninhada demais");
    Node n;
    n.kind = fn->kind;
    if (peek().kind != Tok::kRParen) {
      for (;;) {
        int arg = orExpr();
        if (arg < 0) return -1;
        if (n.argc == fn->maxArgs) return fail(nameTok, argCountMessage(*fn));
        n.kids[n.argc++] = arg;
        if (peek().kind != Tok::kComma) break;
        take();
      }
    }
    --depth_;
    if (peek().kind != Tok::kRParen) return fail(peek(), "esperado ')' ou ','");
    take();
    if (n.argc < fn->minArgs) return fail(nameTok, argCountMessage(*fn));
    return add(std::move(n));
  }

  static std::string argCountMessage(const FunctionInfo& fn) {
    std::string count = fn.minArgs == fn.maxArgs
                            ? std::to_string(fn.minArgs)
                            : std::to_string(fn.minArgs) + " ou " + std::to_string(fn.maxArgs);
    return "a função " + std::string(fn.name) + " espera " + count + " argumento" + (fn.maxArgs > 1 ? "s" : "");
  }

  // A name whose prefix is the table's (or that has no prefix and names a
  // field) is a field; any other name is a variable.
  int name(const Token& t) {
    const TableDef& table = *p_->table;
    size_t colon = t.text.find(':');
    bool ownPrefix = colon != std::string::npos && sameName(std::string_view(t.text).substr(0, colon), table.prefix);
    int field = colon == std::string::npos || ownPrefix ? table.fieldIndex(t.text) : -1;
    if (field < 0 && ownPrefix) return fail(t, "campo desconhecido '" + t.text + "' na tabela " + table.label);
    if (field < 0) return variable(t);
    const FieldDef& f = table.fields[field];
    int element = 0;
    if (peek().kind == Tok::kLBracket) {
      take();
      const Token& idx = take();
      long n = idx.kind == Tok::kNumber && idx.text.find('.') == std::string::npos && idx.text.size() < 6
                   ? std::stol(idx.text)
                   : 0;
      if (n < 1 || n > f.dim) return fail(idx, "índice inválido para o campo '" + t.text + "'");
      if (peek().kind != Tok::kRBracket) return fail(peek(), "esperado ']'");
      take();
      element = static_cast<int>(n) - 1;
    } else if (f.dim > 1) {
      return fail(t, "o campo '" + t.text + "' é um vetor e precisa de índice");
    }
    Node n;
    n.kind = NodeKind::kField;
    n.field = field;
    n.element = element;
    n.column = f.column + element;
    return add(std::move(n));
  }

  int variable(const Token& t) {
    int index = -1;
    for (size_t i = 0; i < p_->variables.size(); ++i)
      if (sameName(p_->variables[i], t.text)) index = static_cast<int>(i);
    if (index < 0) {
      p_->variables.push_back(t.text);
      index = static_cast<int>(p_->variables.size()) - 1;
    }
    Node n;
    n.kind = NodeKind::kVariable;
    n.variable = index;
    return add(std::move(n));
  }

  std::vector<Token> toks_;
  size_t k_ = 0;
  FilterProgram* p_;
  int depth_ = 0;
  std::string error_;
  size_t errorPos_ = 0;
};

// 1-based character position of byte offset `pos` in UTF-8 `src`.
size_t characterPosition(std::string_view src, size_t pos) {
  size_t chars = 1;
  for (size_t i = 0; i < pos && i < src.size(); ++i)
    if ((static_cast<unsigned char>(src[i]) & 0xC0) != 0x80) ++chars;
  return chars;
}

Status syntaxError(std::string_view src, size_t pos, const std::string& message) {
  std::string at = std::to_string(characterPosition(src, pos));
  return Status(StatusCode::kInvalidArgument, "Erro no filtro, posição " + at + ": " + message, at);
}

// True when node `n` does not depend on the record once variables are bound.
bool recordIndependent(const FilterProgram& p, int n) {
  const Node& node = p.nodes[n];
  if (node.kind == NodeKind::kField) return false;
  for (int i = 0; i < node.argc; ++i)
    if (!recordIndependent(p, node.kids[i])) return false;
  return true;
}

// Replaces every record-independent subtree by its value, so evaluation and
// SQL translation see constants where the screen's variables were.
void fold(FilterProgram& p, int n) {
  Node& node = p.nodes[n];
  if (node.kind == NodeKind::kConst || node.kind == NodeKind::kField) return;
  if (recordIndependent(p, n)) {
    FilterValue v = filter_internal::toFilterValue(filter_internal::evaluate(p, n, nullptr));
    Node c;
    c.kind = NodeKind::kConst;
    c.value = std::move(v);
    p.nodes[n] = std::move(c);
    return;
  }
  for (int i = 0; i < p.nodes[n].argc; ++i) fold(p, p.nodes[n].kids[i]);
}

}  // namespace

Result<Filter> Filter::compile(std::string_view source, const TableDef& table, PictureFormatter formatter) {
  auto program = std::make_shared<FilterProgram>();
  program->table = &table;
  program->formatter = std::move(formatter);
  std::vector<Token> tokens;
  std::string error;
  size_t pos = 0;
  if (!Lexer(source).run(&tokens, &error, &pos)) return syntaxError(source, pos, error);
  if (!Parser(std::move(tokens), program.get()).run(&error, &pos)) return syntaxError(source, pos, error);
  return Filter(std::move(program));
}

const std::vector<std::string>& Filter::variableNames() const {
  static const std::vector<std::string> kNone;
  return program_ ? program_->variables : kNone;
}

Result<BoundFilter> Filter::bind(const FilterVariables& variables) const {
  if (!program_ || program_->root < 0) return BoundFilter(program_);
  auto bound = std::make_shared<FilterProgram>(*program_);
  for (Node& n : bound->nodes) {
    if (n.kind != NodeKind::kVariable) continue;
    FilterValue v;
    const std::string& name = program_->variables[n.variable];
    if (!variables.lookup(name, &v))
      return Status(StatusCode::kInvalidArgument, "Erro no filtro: variável desconhecida '" + name + "'", name);
    n.kind = NodeKind::kConst;
    n.value = std::move(v);
  }
  fold(*bound, bound->root);
  return BoundFilter(std::move(bound));
}

bool BoundFilter::matches(const Record& record) const {
  if (!program_ || program_->root < 0) return true;
  if (&record.def() != program_->table &&
      static_cast<int>(record.cells().size()) != program_->table->columnCount())
    return false;
  return filter_internal::truth(filter_internal::evaluate(*program_, program_->root, &record));
}

bool BoundFilter::toSqlPrefilter(std::string* where, std::vector<SqlParam>* params, SqlDialect dialect) const {
  if (!program_ || program_->root < 0) return false;
  std::string w;
  std::vector<SqlParam> ps;
  if (!filter_internal::translatePrefilter(*program_, dialect, &w, &ps)) return false;
  *where = std::move(w);
  params->insert(params->end(), ps.begin(), ps.end());
  return true;
}

bool BoundFilter::toSql(std::string* where, std::vector<SqlParam>* params, SqlDialect dialect) const {
  if (!program_ || program_->root < 0) {
    *where = dialect == SqlDialect::kSqlite ? "1" : "TRUE";
    return true;
  }
  std::string w;
  std::vector<SqlParam> ps;
  if (!filter_internal::translateToSql(*program_, dialect, &w, &ps)) return false;
  *where = std::move(w);
  params->insert(params->end(), ps.begin(), ps.end());
  return true;
}

}  // namespace vorlam
