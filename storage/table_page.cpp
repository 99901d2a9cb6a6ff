// Pages of a list (page_select.h): one statement over the file's records
// table that seeks the key's index at the page's position.

#include <algorithm>

#include "storage/table_impl.h"
#include "storage/text.h"

namespace vorlam {

namespace {

// The storage column of a field (its first element), quoted: the field's
// name without prefix in ASCII upper case.
std::string columnOf(const TableDef& def, int field) {
  std::string name = def.baseName(field);
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (def.fields[field].dim > 1) name += "[1]";
  std::string quoted = "\"";
  for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

SqlParam paramOf(const Record& r, int field) {
  const FieldDef& f = r.def().fields[field];
  const Cell& c = r.cells()[f.column];
  if (f.isText()) return SqlParam::ofText(std::string(clipText(c.s)));
  return SqlParam::ofInteger(c.i);
}

// One term of a position condition: a column, its comparison in the walk's
// direction, and the anchor's value.
struct Term {
  std::string column;
  char op;  // '>' or '<'
  SqlParam value;
};

// "(c0 op ? OR (c0 = ? AND (c1 op ? OR ...)))": strict lexicographic order
// over terms whose directions differ.  The last term may be inclusive.
std::string expandTerms(const std::vector<Term>& t, size_t i, bool inclusive, std::vector<SqlParam>* params) {
  std::string op(1, t[i].op);
  if (i + 1 == t.size()) {
    params->push_back(t[i].value);
    return t[i].column + " " + op + (inclusive ? "= ?" : " ?");
  }
  params->push_back(t[i].value);
  params->push_back(t[i].value);
  std::string rest = expandTerms(t, i + 1, inclusive, params);
  return "(" + t[i].column + " " + op + " ? OR (" + t[i].column + " = ? AND " + rest + "))";
}

std::string positionCondition(const std::vector<Term>& terms, bool inclusive, std::vector<SqlParam>* params) {
  bool same = std::all_of(terms.begin(), terms.end(), [&](const Term& t) { return t.op == terms[0].op; });
  if (same) {
    // A row-value comparison lets the planner seek the index directly.
    std::string lhs, rhs;
    for (const Term& t : terms) {
      lhs += (lhs.empty() ? "" : ", ") + t.column;
      rhs += rhs.empty() ? "?" : ", ?";
      params->push_back(t.value);
    }
    return "(" + lhs + ") " + terms[0].op + (inclusive ? "= (" : " (") + rhs + ")";
  }
  // Lead with a range term on the first column so the index is still used.
  params->push_back(terms[0].value);
  std::string lead = terms[0].column + " " + terms[0].op + "= ?";
  return lead + " AND " + expandTerms(terms, 0, inclusive, params);
}

// The statement of `r` over the records table, its parameters in *params.
std::string pageSql(const TableDef& def, const PageRequest& r, std::vector<SqlParam>* params) {
  const KeyDef& key = def.keys[r.key];
  std::vector<std::string> where;
  if (key.excludeEmpty) {
    // Records whose key is all blank or zero have no entry in this key.
    std::string any;
    for (const auto& c : key.components)
      any += (any.empty() ? "" : " OR ") + columnOf(def, c.field) + (def.fields[c.field].isText() ? " <> ''" : " <> 0");
    where.push_back("(" + any + ")");
  }
  for (int i = 0; i < r.rangeComponents; ++i) {
    where.push_back(columnOf(def, key.components[i].field) + " = ?");
    params->push_back(paramOf(*r.range, key.components[i].field));
  }
  if (r.from == PageFrom::kLocate && r.rangeComponents < static_cast<int>(key.components.size())) {
    const KeyComponent& c = key.components[r.rangeComponents];
    where.push_back(columnOf(def, c.field) + (c.descending ? " <= ?" : " >= ?"));
    params->push_back(paramOf(*r.anchor, c.field));
  } else if (r.from == PageFrom::kBeyond || r.from == PageFrom::kAtOrBeyond) {
    std::vector<Term> terms;
    for (const auto& c : key.components)
      terms.push_back({columnOf(def, c.field), (r.forward != c.descending) ? '>' : '<', paramOf(*r.anchor, c.field)});
    terms.push_back({"_id", r.forward ? '>' : '<', SqlParam::ofInteger(r.anchor->recordId())});
    where.push_back(positionCondition(terms, r.from == PageFrom::kAtOrBeyond, params));
  }
  if (r.recordSet) {
    // Record numbers are integers of our own: written into the statement,
    // they need no parameter per number (a set may hold the whole file).
    std::string list;
    for (int64_t id : *r.recordSet) list += (list.empty() ? "" : ",") + std::to_string(id);
    where.push_back(std::string("_id ") + (r.insideSet ? "IN (" : "NOT IN (") + list + ")");
  }
  if (!r.condition.empty()) {
    where.push_back("(" + r.condition + ")");
    params->insert(params->end(), r.conditionParams.begin(), r.conditionParams.end());
  }
  std::string order;
  for (const auto& c : key.components)
    order += columnOf(def, c.field) + ((c.descending == r.forward) ? " DESC, " : ", ");
  order += r.forward ? "_id" : "_id DESC";
  std::string sql = "SELECT _id FROM records";
  for (size_t i = 0; i < where.size(); ++i) sql += (i ? " AND " : " WHERE ") + where[i];
  return sql + " ORDER BY " + order + " LIMIT " + std::to_string(r.limit);
}

bool validRequest(const TableDef& def, const PageRequest& r) {
  if (r.key < 0 || r.key >= static_cast<int>(def.keys.size())) return false;
  const KeyDef& key = def.keys[r.key];
  if (key.dynamic || key.components.empty()) return false;
  if (r.rangeComponents < 0 || r.rangeComponents > static_cast<int>(key.components.size())) return false;
  if (r.rangeComponents > 0 && (r.range == nullptr || &r.range->def() != &def)) return false;
  if (r.from != PageFrom::kEdge && (r.anchor == nullptr || &r.anchor->def() != &def)) return false;
  return true;
}

}  // namespace

Status Table::selectPage(const PageRequest& request, PageSelection* out) {
  out->ids.clear();
  out->records.clear();
  if (!validRequest(*def_, request)) return Status(StatusCode::kInvalidArgument, "Página de lista inválida", def_->label);
  if (impl_->server) return impl_->server->selectPage(request, out);
  sqlite3* db = impl_->db;
  if (db == nullptr) return makeStatus(StatusCode::kNotOpen, def_->label);
  if (!request.condition.empty() && request.conditionDialect != SqlDialect::kSqlite)
    return Status(StatusCode::kUnsupported, "Condição em SQL do servidor não se aplica ao arquivo local", path_);
  std::vector<SqlParam> params;
  const std::string sql = pageSql(*def_, request, &params);
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st, nullptr);
  if (rc != SQLITE_OK) {
    Status s(StatusCode::kIoError, sqlite3_errmsg(db), path_);
    sqlite3_finalize(st);
    return s;
  }
  sqlite::bindParams(st, params);
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) out->ids.push_back(sqlite3_column_int64(st, 0));
  // Finalizing ends the statement's read transaction: no snapshot is kept.
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE)
    return Status(rc == SQLITE_BUSY ? StatusCode::kBusy : StatusCode::kIoError, sqlite3_errstr(rc), path_);
  return Status::ok();
}

}  // namespace vorlam
