// Evaluation of compiled filter expressions.  Evaluation never fails: every
// operand converts to what its operator needs (see filter.h), so a compiled
// expression gives a result for any record.
#include <algorithm>
#include <cctype>

#include "framework/filter_program.h"
#include "storage/date.h"
#include "storage/text.h"

namespace vorlam::filter_internal {

void Val::narrow(size_t pos, size_t len) {
  if (owned_) {
    own_ = own_.substr(std::min(pos, own_.size()), len);
  } else {
    view_ = view_.substr(std::min(pos, view_.size()), len);
  }
}

bool truth(const Val& v) { return v.isText() ? !clipText(v.str()).empty() : !v.num().isZero(); }

std::string numberText(const Decimal& d) { return d.toString(); }

bool textAsNumber(std::string_view text, Decimal* out) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\0')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\0')) --e;
  std::string_view t = text.substr(b, e - b);
  if (t.empty()) {
    *out = Decimal();
    return true;
  }
  size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
  size_t digits = 0, places = 0;
  bool point = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      ++digits;
      if (point) ++places;
    } else if ((c == '.' || c == ',') && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (digits == 0 || places > 18) return false;
  auto d = Decimal::parse(t, static_cast<int>(places));
  if (!d) return false;
  *out = *d;
  return true;
}

Val toTextVal(Val v) { return v.isText() ? v : Val::owned(numberText(v.num())); }

FilterValue toFilterValue(const Val& v) {
  return v.isText() ? FilterValue::text(std::string(v.str())) : FilterValue::decimal(v.num());
}

namespace {

int sign(int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); }

int compareNumbers(const Decimal& a, const Decimal& b) {
  auto c = a <=> b;
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// Whole-number value of an operand used as a count or position.
int64_t integerOf(const Val& v) {
  Decimal d;
  if (v.isText()) {
    if (!textAsNumber(v.str(), &d)) return 0;
  } else {
    d = v.num();
  }
  return d.units() / pow10i(d.places());
}

}  // namespace

int compareVals(const Val& a, const Val& b) {
  if (!a.isText() && !b.isText()) return compareNumbers(a.num(), b.num());
  if (a.isText() && b.isText()) return sign(clipText(a.str()).compare(clipText(b.str())));
  const Val& text = a.isText() ? a : b;
  const Val& number = a.isText() ? b : a;
  Decimal d;
  int c;
  if (textAsNumber(text.str(), &d)) {
    c = compareNumbers(d, number.num());
  } else {
    std::string plain = numberText(number.num());
    c = sign(clipText(text.str()).compare(plain));
  }
  return a.isText() ? c : -c;
}

bool beginsWith(const Val& a, const Val& b) {
  Val ta = toTextVal(a), tb = toTextVal(b);
  std::string_view prefix = clipText(tb.str());
  std::string_view whole = clipText(ta.str());
  if (prefix.size() > whole.size()) return false;
  return upperLatin1(whole.substr(0, prefix.size())) == upperLatin1(prefix);
}

int64_t instring(std::string_view sub, std::string_view text, int64_t step, int64_t start) {
  if (step <= 0) return 0;
  if (start < 1) start = 1;
  int64_t len = static_cast<int64_t>(text.size()), n = static_cast<int64_t>(sub.size());
  for (int64_t p = start; p + n - 1 <= len; p += step) {
    if (text.compare(static_cast<size_t>(p - 1), static_cast<size_t>(n), sub) == 0) return (p - 1) / step + 1;
  }
  return 0;
}

namespace {

bool applyCompare(CompareOp op, const Val& a, const Val& b) {
  if (op == CompareOp::kBegins) return beginsWith(a, b);
  int c = compareVals(a, b);
  switch (op) {
    case CompareOp::kEq: return c == 0;
    case CompareOp::kNe: return c != 0;
    case CompareOp::kLt: return c < 0;
    case CompareOp::kLe: return c <= 0;
    case CompareOp::kGt: return c > 0;
    case CompareOp::kGe: return c >= 0;
    case CompareOp::kBegins: break;
  }
  return false;
}

Val fieldValue(const FilterProgram& p, const Node& n, const Record* record) {
  if (!record) return Val::number(Decimal());
  const Cell& cell = record->cells()[n.column];
  const FieldDef& f = p.table->fields[n.field];
  if (f.isText()) return Val::view(cell.s);
  return Val::number(Decimal::fromUnits(cell.i, f.isDecimal() ? f.typeSpec.places : 0));
}

Val subText(Val text, int64_t start, int64_t length) {
  text = toTextVal(std::move(text));
  int64_t size = static_cast<int64_t>(text.str().size());
  int64_t b = std::max<int64_t>(start, 1), e = std::min(start + length - 1, size);  // 1-based, inclusive
  if (start < 1 || e < b) {
    text.narrow(0, 0);
  } else {
    text.narrow(static_cast<size_t>(b - 1), static_cast<size_t>(e - b + 1));
  }
  return text;
}

// LEFT justifies: leading blanks move to the end, the length stays (or
// becomes `length`).
Val leftText(Val text, int64_t length) {
  text = toTextVal(std::move(text));
  std::string_view s = text.str();
  size_t first = s.find_first_not_of(' ');
  std::string out(first == std::string_view::npos ? std::string_view() : s.substr(first));
  if (length < 0) length = static_cast<int64_t>(s.size());
  out.resize(static_cast<size_t>(std::min<int64_t>(length, 65535)), ' ');
  return Val::owned(std::move(out));
}

Val formatValue(const FilterProgram& p, Val value, const Val& picture) {
  if (!p.formatter) return toTextVal(std::move(value));
  Val pic = toTextVal(picture);
  return Val::owned(p.formatter(toFilterValue(value), pic.str()));
}

Val dateOf(int64_t month, int64_t day, int64_t year) {
  auto d = month >= 1 && month <= 12 && day >= 1 && day <= 31 && year > 0 && year < 100000
               ? toDayNumber(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day))
               : std::nullopt;
  return Val::number(Decimal::fromInteger(d ? *d : 0));
}

Val evaluateFunction(const FilterProgram& p, const Node& n, const Record* r) {
  auto arg = [&](int i) { return evaluate(p, n.kids[i], r); };
  switch (n.kind) {
    case NodeKind::kInstring: {
      Val sub = toTextVal(arg(0)), text = toTextVal(arg(1));
      int64_t found = instring(sub.str(), text.str(), integerOf(arg(2)), integerOf(arg(3)));
      return Val::number(Decimal::fromInteger(found));
    }
    case NodeKind::kSub: {
      int64_t start = integerOf(arg(1));
      int64_t length = n.argc > 2 ? integerOf(arg(2)) : INT32_MAX;
      return subText(arg(0), start, length);
    }
    case NodeKind::kLeft: return leftText(arg(0), n.argc > 1 ? std::max<int64_t>(integerOf(arg(1)), 0) : -1);
    case NodeKind::kUpper: {
      Val v = toTextVal(arg(0));
      std::string up = upperLatin1(v.str());
      return Val::owned(std::move(up));
    }
    case NodeKind::kClip: {
      Val v = toTextVal(arg(0));
      v.narrow(0, clipText(v.str()).size());
      return v;
    }
    case NodeKind::kFormat: return formatValue(p, arg(0), arg(1));
    case NodeKind::kDate: return dateOf(integerOf(arg(0)), integerOf(arg(1)), integerOf(arg(2)));
    default: break;
  }
  return Val::number(Decimal());
}

}  // namespace

Val evaluate(const FilterProgram& p, int index, const Record* record) {
  const Node& n = p.nodes[index];
  switch (n.kind) {
    case NodeKind::kConst: return Val::of(n.value);
    case NodeKind::kField: return fieldValue(p, n, record);
    case NodeKind::kVariable: return Val::number(Decimal());  // never evaluated unbound
    case NodeKind::kAnd:
      return Val::boolean(truth(evaluate(p, n.kids[0], record)) && truth(evaluate(p, n.kids[1], record)));
    case NodeKind::kOr:
      return Val::boolean(truth(evaluate(p, n.kids[0], record)) || truth(evaluate(p, n.kids[1], record)));
    case NodeKind::kNot: return Val::boolean(!truth(evaluate(p, n.kids[0], record)));
    case NodeKind::kCompare:
      return Val::boolean(applyCompare(n.compare, evaluate(p, n.kids[0], record), evaluate(p, n.kids[1], record)));
    default: return evaluateFunction(p, n, record);
  }
}

}  // namespace vorlam::filter_internal
