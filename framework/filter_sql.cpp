// SQL translation of bound filter expressions.
//
// Only shapes whose SQL form selects exactly the records the evaluator
// accepts are translated; anything else makes the whole translation fail, and
// the caller filters record by record.  The shapes, with F a field and C a
// constant (literals and variables are constants once bound):
//   F op C          numbers: exact comparison of the stored units (C must be
//                   representable at F's places); texts: COLLATE BINARY on the
//                   stored text, which has no trailing blanks, like the
//                   evaluator's comparison.  CLIP(F) is the same as F there.
//   UPPER(F) = C    (and <>) as F = C COLLATE VNOCASE, only when C is already
//                   upper case and holds no letter (such as Æ) whose accent
//                   folding in the collation disagrees with upperLatin1.
//   INSTRING(C, F, 1, 1) found / not found: instr() over the bytes.
//   INSTRING(C, UPPER(F), 1, 1) found / not found: LIKE, only when C is
//                   plain ASCII, so that LIKE's ASCII-only case folding is
//                   exactly upperLatin1's on the letters that can match.
//   F as a condition, AND, OR, NOT and constant conditions.
// Columns are never NULL in the storage, so NOT needs no NULL handling.
//
// A server's table (SqlDialect::kPostgres) keeps texts as UTF-8 of their
// Windows-1252 characters, compared in "C" order, and folds them with
// vorlam_upper(), which maps every character to the code point of its byte
// under upperLatin1.  There the shapes read:
//   F = C, F <> C   on the stored text (one character per byte: equal
//                   texts, equal bytes).
//   F < C etc.      on both sides mapped back to one code point per byte
//                   (translate), since the characters of 0x80-0x9F have
//                   code points far above the rest.
//   UPPER(F) = C    vorlam_upper(F) = vorlam_upper(C), only when every byte
//                   of C is its own upper case.
//   INSTRING(C, F, 1, 1)         strpos() over the stored text.
//   INSTRING(C, UPPER(F), 1, 1)  strpos() over both sides folded, with the
//                   same condition on C as for UPPER(F) = C.
// The server's text holds no NUL: a constant with one is not translated.
#include "framework/filter_program.h"
#include "storage/text.h"

namespace vorlam::filter_internal {
namespace {

// Which letters of a constant make the collation and LIKE agree with
// upperLatin1, derived from the text tables themselves so that they follow
// any change there.  For a byte l of the constant:
//   vnocaseExact  upper(l) == l and every f with upper(f) == l has the
//                 accent-free letter of l (VNOCASE equality then means
//                 exactly upper(f) == l);
//   neverUpper    no byte upper-cases to l;
//   likeExact     l is ASCII, and the bytes that upper-case to l are the ones
//                 LIKE takes as l: l itself and, for A-Z, its lower case;
//   upperFixed    upper(l) == l (the server's folding of a constant made of
//                 such bytes is the constant itself).
struct Foldings {
  bool vnocaseExact[256];
  bool neverUpper[256];
  bool likeExact[256];
  bool upperFixed[256];
  Foldings() {
    for (int l = 0; l < 256; ++l) {
      bool exact = true, any = false, like = l < 0x80;
      for (int f = 0; f < 256; ++f) {
        if (upperOf(f) != l) continue;
        any = true;
        if (baseLetter(static_cast<unsigned char>(f)) != baseLetter(static_cast<unsigned char>(l))) exact = false;
        bool asciiPair = l >= 'A' && l <= 'Z' && f == l + 32;
        if (f != l && !asciiPair) like = false;
      }
      vnocaseExact[l] = exact && upperOf(l) == l;
      neverUpper[l] = !any;
      likeExact[l] = like && any;
      upperFixed[l] = upperOf(l) == l;
    }
  }
  static int upperOf(int c) {
    char ch = static_cast<char>(c);
    return static_cast<unsigned char>(upperLatin1(std::string_view(&ch, 1))[0]);
  }
};

const Foldings& foldings() {
  static const Foldings f;
  return f;
}

// The characters the server keeps far from the code point of their byte:
// those of 0x80-0x9F (€, Š, Œ, ...), as stored and as that code point.
struct ServerHighCharacters {
  std::string stored, points;
  ServerHighCharacters() {
    for (int b = 0x80; b < 0xA0; ++b) {
      const char byte = static_cast<char>(b);
      std::string text = latin1ToUtf8(std::string_view(&byte, 1));
      std::string point{static_cast<char>(0xC2), byte};  // U+0080-U+009F
      if (text == point) continue;
      stored += text;
      points += point;
    }
  }
  // `text` mapped to one code point per byte, read through translate()
  // only when it holds such a character (the test costs a fraction of
  // the translation).  Neither list holds an ASCII quote.
  std::string byteOrder(const std::string& text) const {
    return "(CASE WHEN " + text + " ~ '[" + stored + "]' THEN " + translated(text) + " ELSE " + text + " END)";
  }
  std::string translated(const std::string& text) const {
    return "translate(" + text + ", '" + stored + "', '" + points + "')";
  }
};

const ServerHighCharacters& serverHigh() {
  static const ServerHighCharacters h;
  return h;
}

// Whether Windows-1252 text `t` holds a byte of 0x80-0x9F or any non-ASCII.
bool hasByteIn(const std::string& t, unsigned char low, unsigned char high) {
  for (unsigned char c : t)
    if (c >= low && c <= high) return true;
  return false;
}

class SqlWriter {
 public:
  SqlWriter(const FilterProgram& p, SqlDialect dialect, std::vector<SqlParam>* params)
      : p_(p), pg_(dialect == SqlDialect::kPostgres), params_(params) {}

  bool condition(int n, std::string* out) {
    const Node& node = p_.nodes[n];
    switch (node.kind) {
      case NodeKind::kConst: *out = constant(truth(Val::of(node.value))); return true;
      case NodeKind::kAnd:
      case NodeKind::kOr: {
        std::string a, b;
        if (!condition(node.kids[0], &a) || !condition(node.kids[1], &b)) return false;
        *out = "(" + a + (node.kind == NodeKind::kAnd ? " AND " : " OR ") + b + ")";
        return true;
      }
      case NodeKind::kNot: {
        std::string a;
        if (!condition(node.kids[0], &a)) return false;
        *out = "(NOT " + a + ")";
        return true;
      }
      case NodeKind::kField: {
        const FieldDef& f = p_.table->fields[node.field];
        const char* text = pg_ ? " <> '')" : " <> '' COLLATE BINARY)";
        *out = "(" + column(node) + (f.isText() ? text : " <> 0)");
        return true;
      }
      case NodeKind::kCompare: return compare(node, out);
      case NodeKind::kInstring: return contains(node, true, out);
      default: return false;
    }
  }

 private:
  const Node& kid(const Node& n, int i) const { return p_.nodes[n.kids[i]]; }

  std::string constant(bool value) const {
    if (pg_) return value ? "TRUE" : "FALSE";
    return value ? "1" : "0";
  }

  // A text constant the server can take: it holds no NUL.
  bool serverText(const std::string& text) const { return !pg_ || text.find('\0') == std::string::npos; }

  // Constant `text` as a '?' in the code point form `mapped` (a function of
  // '?') computes: the plain parameter when that is the same, which it is
  // for text without bytes of 0x80-0x9F.  (The server plans a statement
  // once for all values, so a function of a parameter costs a call for
  // every row it looks at.)
  static std::string serverParam(const std::string& text, const std::string& mapped) {
    return hasByteIn(text, 0x80, 0x9F) ? mapped : "?";
  }

  // Every byte of `text` is its own upper case.
  static bool upperFixed(const std::string& text) {
    for (unsigned char ch : text)
      if (!foldings().upperFixed[ch]) return false;
    return true;
  }

  // The server's upper-case form of text field `field`: its folded key
  // column when a key keeps one (computed once, on writing), else the
  // function over the stored text.
  std::string serverUpper(const Node& field) const {
    const TableDef& def = *p_.table;
    if (field.element == 0)
      for (const KeyDef& key : def.keys)
        for (const KeyComponent& c : key.components)
          if (!key.dynamic && c.field == field.field) {
            std::string col = column(field);
            return col.substr(0, col.size() - 1) + "~upper\"";
          }
    return "vorlam_upper(" + column(field) + ")";
  }

  std::string column(const Node& field) const {
    const FieldDef& f = p_.table->fields[field.field];
    // The storage names its columns in ASCII upper case.
    std::string name = p_.table->baseName(field.field);
    for (char& c : name)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (f.dim > 1) name += "[" + std::to_string(field.element + 1) + "]";
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
  }

  // The text field under CLIP wrappers, or null.
  const Node* textField(const Node* n) const {
    while (n->kind == NodeKind::kClip) n = &kid(*n, 0);
    if (n->kind == NodeKind::kField && p_.table->fields[n->field].isText()) return n;
    return nullptr;
  }

  // The text field under any mix of CLIP and exactly one UPPER, or null.
  const Node* upperField(const Node* n) const {
    bool upper = false;
    while (n->kind == NodeKind::kClip || n->kind == NodeKind::kUpper) {
      if (n->kind == NodeKind::kUpper) {
        if (upper) return nullptr;
        upper = true;
      }
      n = &kid(*n, 0);
    }
    return upper ? textField(n) : nullptr;
  }

  static const char* opText(CompareOp op) {
    switch (op) {
      case CompareOp::kEq: return " = ";
      case CompareOp::kNe: return " <> ";
      case CompareOp::kLt: return " < ";
      case CompareOp::kLe: return " <= ";
      case CompareOp::kGt: return " > ";
      case CompareOp::kGe: return " >= ";
      case CompareOp::kBegins: break;
    }
    return nullptr;
  }

  static CompareOp flipped(CompareOp op) {
    switch (op) {
      case CompareOp::kLt: return CompareOp::kGt;
      case CompareOp::kLe: return CompareOp::kGe;
      case CompareOp::kGt: return CompareOp::kLt;
      case CompareOp::kGe: return CompareOp::kLe;
      default: return op;
    }
  }

  bool compare(const Node& n, std::string* out) {
    const Node* left = &kid(n, 0);
    const Node* right = &kid(n, 1);
    CompareOp op = n.compare;
    if (op == CompareOp::kBegins) return false;
    if (left->kind == NodeKind::kConst && right->kind != NodeKind::kConst) {
      std::swap(left, right);
      op = flipped(op);
    }
    if (right->kind != NodeKind::kConst) return false;
    const FilterValue& c = right->value;
    if (left->kind == NodeKind::kField && !p_.table->fields[left->field].isText())
      return numeric(*left, op, c, out);
    if (const Node* f = textField(left)) {
      if (!c.isText()) return false;
      std::string text(clipText(c.asText()));
      if (!serverText(text)) return false;
      if (!pg_) {
        *out = "(" + column(*f) + opText(op) + "? COLLATE BINARY)";
      } else if (op == CompareOp::kEq || op == CompareOp::kNe) {
        *out = "(" + column(*f) + opText(op) + "?)";
      } else if (!hasByteIn(text, 0x80, 0xFF)) {
        // Against ASCII the first difference orders alike in both: any
        // other character is above ASCII as a byte and as a code point.
        *out = "(" + column(*f) + opText(op) + "?)";
      } else {
        *out = "(" + serverHigh().byteOrder(column(*f)) + opText(op) + serverParam(text, serverHigh().translated("?")) + " COLLATE \"C\")";
      }
      params_->push_back(SqlParam::ofText(std::move(text)));
      return true;
    }
    if (const Node* f = upperField(left)) return upperEquals(*f, op, c, out);
    if (left->kind == NodeKind::kInstring) return instringAgainst(*left, op, c, out);
    return false;
  }

  bool numeric(const Node& field, CompareOp op, const FilterValue& c, std::string* out) {
    Decimal d = c.asDecimal();
    if (c.isText() && !textAsNumber(c.asText(), &d)) return false;
    const FieldDef& f = p_.table->fields[field.field];
    int places = f.isDecimal() ? f.typeSpec.places : 0;
    auto units = d.rescaled(places);
    if (!units || *units != d) return false;  // not exact at the field's places
    *out = "(" + column(field) + opText(op) + "?)";
    params_->push_back(SqlParam::ofInteger(units->units()));
    return true;
  }

  bool upperEquals(const Node& field, CompareOp op, const FilterValue& c, std::string* out) {
    if (!c.isText() || (op != CompareOp::kEq && op != CompareOp::kNe)) return false;
    std::string text(clipText(c.asText()));
    if (pg_) {
      if (!serverText(text) || !upperFixed(text)) return false;
      *out = "(" + serverUpper(field) + opText(op) + serverParam(text, "vorlam_upper(?)") + ")";
      params_->push_back(SqlParam::ofText(std::move(text)));
      return true;
    }
    for (unsigned char ch : text)
      if (!foldings().vnocaseExact[ch]) return false;
    *out = "(" + column(field) + opText(op) + "? COLLATE VNOCASE)";
    params_->push_back(SqlParam::ofText(std::move(text)));
    return true;
  }

  // INSTRING(...) compared with 0: "found" for <> 0 and > 0, "not found" for
  // = 0 and <= 0 (the result is never negative).
  bool instringAgainst(const Node& n, CompareOp op, const FilterValue& c, std::string* out) {
    Decimal zero;
    if (c.isText() || c.asDecimal() != zero) return false;
    switch (op) {
      case CompareOp::kNe:
      case CompareOp::kGt: return contains(n, true, out);
      case CompareOp::kEq:
      case CompareOp::kLe: return contains(n, false, out);
      case CompareOp::kGe: *out = constant(true); return true;
      case CompareOp::kLt: *out = constant(false); return true;
      default: return false;
    }
  }

  bool contains(const Node& n, bool found, std::string* out) {
    const Node& sub = kid(n, 0);
    const Node& step = kid(n, 2);
    const Node& start = kid(n, 3);
    Decimal one = Decimal::fromInteger(1);
    if (sub.kind != NodeKind::kConst || step.kind != NodeKind::kConst || start.kind != NodeKind::kConst) return false;
    if (step.value.isText() || start.value.isText() || step.value.asDecimal() != one ||
        start.value.asDecimal() != one)
      return false;
    std::string needle = sub.value.toText();
    if (needle.empty()) {  // found at position 1 of any text
      *out = constant(found);
      return true;
    }
    // A needle ending in a blank could match the field's padding, which the
    // stored text does not have.
    if (needle.back() == ' ' || needle.back() == '\0' || !serverText(needle)) return false;
    std::string test;
    if (const Node* f = textField(&kid(n, 1))) {
      test = pg_ ? "strpos(" + column(*f) + ", ?) > 0" : "instr(CAST(" + column(*f) + " AS BLOB), CAST(? AS BLOB)) > 0";
      params_->push_back(SqlParam::ofText(needle));
    } else if (const Node* uf = upperField(&kid(n, 1))) {
      for (unsigned char ch : needle) {
        if (foldings().neverUpper[ch]) {  // no upper-cased text holds it
          *out = constant(!found);
          return true;
        }
      }
      if (pg_) {
        if (!upperFixed(needle)) return false;
        test = "strpos(" + serverUpper(*uf) + ", " + serverParam(needle, "vorlam_upper(?)") + ") > 0";
        params_->push_back(SqlParam::ofText(needle));
      } else {
        for (unsigned char ch : needle)
          if (!foldings().likeExact[ch]) return false;
        test = column(*uf) + " LIKE ? ESCAPE '\\'";
        params_->push_back(SqlParam::ofText("%" + likeEscaped(needle) + "%"));
      }
    } else {
      return false;
    }
    *out = found ? "(" + test + ")" : "(NOT (" + test + "))";
    return true;
  }

  static std::string likeEscaped(const std::string& s) {
    std::string out;
    for (char c : s) {
      if (c == '%' || c == '_' || c == '\\') out += '\\';
      out += c;
    }
    return out;
  }

  const FilterProgram& p_;
  const bool pg_;
  std::vector<SqlParam>* params_;
};

}  // namespace

bool translateToSql(const FilterProgram& p, SqlDialect dialect, std::string* where, std::vector<SqlParam>* params) {
  return SqlWriter(p, dialect, params).condition(p.root, where);
}

namespace {

// A condition implied by node `n`: its exact form when it has one; for AND
// the operands that have one (each operand is implied); for OR only when
// both operands yield one.  NOT needs the exact form of its operand.
bool necessary(const FilterProgram& p, SqlDialect dialect, int n, std::string* out, std::vector<SqlParam>* params) {
  const Node& node = p.nodes[n];
  std::vector<SqlParam> own;
  if (node.kind == NodeKind::kAnd || node.kind == NodeKind::kOr) {
    std::string a, b;
    std::vector<SqlParam> pa, pb;
    bool hasA = necessary(p, dialect, node.kids[0], &a, &pa);
    bool hasB = necessary(p, dialect, node.kids[1], &b, &pb);
    if (node.kind == NodeKind::kOr && !(hasA && hasB)) return false;
    if (!hasA && !hasB) return false;
    if (hasA && hasB) {
      *out = "(" + a + (node.kind == NodeKind::kAnd ? " AND " : " OR ") + b + ")";
    } else {
      *out = hasA ? a : b;
    }
    if (hasA) params->insert(params->end(), pa.begin(), pa.end());
    if (hasB) params->insert(params->end(), pb.begin(), pb.end());
    return true;
  }
  std::string exact;
  if (!SqlWriter(p, dialect, &own).condition(n, &exact)) return false;
  *out = std::move(exact);
  params->insert(params->end(), own.begin(), own.end());
  return true;
}

}  // namespace

bool translatePrefilter(const FilterProgram& p, SqlDialect dialect, std::string* where,
                        std::vector<SqlParam>* params) {
  return necessary(p, dialect, p.root, where, params);
}

}  // namespace vorlam::filter_internal
