#include "adjust/adjust_check.h"

#include "adjust/code_check.h"
#include "storage/text.h"

namespace vorlam::adjust {

std::string blockerLine(const Blocker& b) {
  std::string line = "   " + b.table + " [" + b.key + "]: " + b.field + " " + b.oldCode;
  if (!b.newCode.empty()) line += " -> " + b.newCode;
  return line + ": " + b.why;
}

void CodeChecker::add(Blocker b) {
  std::string id = b.table + "\x1f" + b.field + "\x1f" + b.oldCode + "\x1f" + b.why;
  if (!reported_.insert(id).second) return;
  blockers_.push_back(std::move(b));
}

void CodeChecker::checkCode(std::string_view stored, const std::string& table, const std::string& key,
                            const std::string& field, int width, const chart::ConversionPlan& plan,
                            const std::vector<std::string>& scopes) {
  std::string old(clipText(stored));
  if (old.empty() || chart::isSpecialWord(old)) return;
  ++checked_;
  std::optional<std::string> expected = recomputeCode(plan.from(), to_, old);
  Blocker b{table, key, field, latin1ToUtf8(old), "", ""};
  if (!expected) {
    b.why = "código fora da estrutura " + std::to_string(plan.from().code) + ", sem conversão segura";
    add(std::move(b));
    return;
  }
  std::string converted(clipText(plan.convert(old)));
  b.newCode = latin1ToUtf8(*expected);
  if (converted != *expected) {
    b.why = "a conversão daria " + latin1ToUtf8(converted) + ", e não " + b.newCode;
    add(std::move(b));
    return;
  }
  if (static_cast<int>(expected->size()) > width) {
    b.why = "não cabe em " + std::to_string(width) + " caracteres";
    add(std::move(b));
    return;
  }
  for (const std::string& scope : scopes) {
    auto [it, inserted] = spaces_[scope].emplace(*expected, old);
    if (!inserted && it->second != old) {
      b.why = "a conta " + latin1ToUtf8(it->second) + " também passa a ser " + b.newCode;
      add(std::move(b));
      return;
    }
  }
}

void CodeChecker::checkRecord(const Record& record, const std::string& label, const std::string& key,
                              const std::vector<AccountField>& fields, const chart::ConversionPlan& plan,
                              const std::vector<std::string>& scopes) {
  for (const AccountField& f : fields) {
    int idx = record.def().fieldIndex(f.name);
    if (idx >= 0) checkCode(record.getText(idx), label, key, f.name, f.width, plan, scopes);
  }
}

void CodeChecker::checkTable(Table& table, const std::vector<AccountField>& fields, const chart::ConversionPlan& plan,
                             const std::vector<std::string>& scopes, int company) {
  const TableDef& def = table.def();
  std::vector<std::pair<int, const AccountField*>> resolved;
  for (const AccountField& f : fields)
    if (int idx = def.fieldIndex(f.name); idx >= 0) resolved.emplace_back(idx, &f);
  int companyField = company >= 0 ? def.fieldIndex("CIC:CODIGO_EMPRESA") : -1;
  table.seekStart(kFileOrder);
  Status s;
  while ((s = table.next())) {
    if (companyField >= 0 && table.buffer().getInt(companyField) != company) continue;
    std::string key;
    for (auto [idx, f] : resolved) {
      std::string_view code = table.buffer().getText(idx);
      if (code.empty()) continue;
      if (key.empty()) key = keyText(table);
      checkCode(code, def.label, key, f->name, f->width, plan, scopes);
    }
  }
  if (!s.is(StatusCode::kNotFound))
    add(Blocker{def.label, "", "", "", "", "não foi possível ler o arquivo: " + s.toString()});
  table.endWalk();
}

}  // namespace vorlam::adjust
