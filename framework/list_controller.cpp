#include "framework/list_controller.h"

#include <algorithm>

#include "framework/filter_pictures.h"
#include "framework/picture.h"
#include "storage/text.h"

namespace vorlam {

namespace {

bool blank(std::string_view s) { return s.find_first_not_of(" \t") == std::string_view::npos; }

Status badDefinition(const std::string& what, const std::string& name) {
  return Status(StatusCode::kInvalidArgument, "Lista mal definida: " + what, name);
}

}  // namespace

ListController::ListController(ScreenContext& context, const ListDefinition& definition, Table& table,
                               bool selecting)
    : ctx_(context),
      def_(definition),
      table_(table),
      selecting_(selecting),
      procedure_(context.errors, definition.procedure),
      cache_(table, definition.pageSize) {}

Status ListController::checkDefinition() {
  const TableDef& td = table_.def();
  if (def_.tabs.empty()) return badDefinition("nenhuma ordem", def_.procedure);
  rangeFields_.clear();
  for (const std::string& name : def_.rangeFields) {
    int f = td.fieldIndex(name);
    if (f < 0) return badDefinition("campo da faixa desconhecido", name);
    rangeFields_.push_back(f);
  }
  tabs_.clear();
  for (const ListTabDefinition& tab : def_.tabs) {
    Tab t;
    t.key = td.keyIndex(tab.key);
    if (t.key < 0 || td.keys[t.key].dynamic) return badDefinition("chave desconhecida", tab.key);
    const KeyDef& key = td.keys[t.key];
    // The range fixes the leading components of every order.
    if (rangeFields_.size() > key.components.size()) return badDefinition("faixa maior que a chave", tab.key);
    for (size_t i = 0; i < rangeFields_.size(); ++i)
      if (key.components[i].field != rangeFields_[i]) return badDefinition("faixa fora do início da chave", tab.key);
    if (!tab.locatorField.empty()) {
      t.locatorField = td.fieldIndex(tab.locatorField);
      if (t.locatorField < 0) return badDefinition("campo do localizador desconhecido", tab.locatorField);
    }
    tabs_.push_back(t);
  }
  return Status::ok();
}

Status ListController::open(int tab) {
  if (Status s = checkDefinition(); !s) return s;
  return selectTab(tab);
}

// ---- What is listed ----------------------------------------------------------

Status ListController::selectTab(int tab) {
  if (tab < 0 || tab >= static_cast<int>(tabs_.size())) return Status(StatusCode::kInvalidArgument, "Aba inválida");
  tab_ = tab;
  locator_.clear();
  const ListTabDefinition& t = def_.tabs[tab];
  if (!t.locatorVariable.empty()) variables_.set(t.locatorVariable, FilterValue::text(fitText("", t.locatorWidth)));
  if (Status s = cache_.setOrder(tabs_[tab].key); !s) return s;
  if (Status s = applyRange(); !s) return s;
  installFilter();
  return show(cache_.first(), 0);
}

Status ListController::applyRange() {
  if (!rangeValues_ || rangeFields_.empty()) {
    cache_.clearRange();
    return Status::ok();
  }
  return cache_.setRange(static_cast<int>(rangeFields_.size()), *rangeValues_);
}

Status ListController::setRange(const Record& values) {
  if (&values.def() != &table_.def()) return Status(StatusCode::kInvalidArgument, "Faixa de outra tabela");
  rangeValues_ = values;
  if (tabs_.empty()) return Status::ok();  // not open yet: open() applies it
  if (Status s = applyRange(); !s) return s;
  return show(cache_.first(), 0);
}

void ListController::clearRange() {
  rangeValues_.reset();
  if (tabs_.empty()) return;
  cache_.clearRange();
  show(cache_.first(), 0);
}

std::string ListController::joinedExpression() const {
  std::vector<std::string> parts;
  for (const std::string* p : {&def_.filter, &def_.tabs[tab_].filter, &query_})
    if (!blank(*p)) parts.push_back(*p);
  if (parts.size() == 1) return parts[0];
  std::string joined;
  for (const std::string& p : parts) joined += (joined.empty() ? "(" : " AND (") + p + ")";
  return joined;
}

void ListController::filterFailed(const Status& why) {
  ctx_.errors.setError(why.errorNumber(), why.message());
  ctx_.errors.throwMessage(kMsgFilterFailed);
  cache_.clearFilter();
  filtered_ = false;
}

void ListController::installFilter() {
  std::string expression = joinedExpression();
  if (expression.empty()) {
    cache_.clearFilter();
    filtered_ = false;
    return;
  }
  Result<Filter> compiled = Filter::compile(expression, table_.def(), displayPictureFormatter());
  if (!compiled) return filterFailed(compiled.status());
  Result<BoundFilter> bound = compiled->bind(variables_);
  if (!bound) return filterFailed(bound.status());
  cache_.setFilter(*bound);
  filtered_ = true;
}

Status ListController::refresh() {
  std::optional<Record> around;
  if (const Record* row = selected()) around = *row;
  installFilter();
  return reloadAround(around);
}

Status ListController::setRecordSet(std::vector<int64_t> ids, bool inside) {
  std::optional<Record> around;
  if (const Record* row = selected()) around = *row;
  cache_.setRecordSet(std::move(ids), inside);
  return reloadAround(around);
}

Status ListController::clearRecordSet() {
  std::optional<Record> around;
  if (const Record* row = selected()) around = *row;
  cache_.clearRecordSet();
  return reloadAround(around);
}

Status ListController::reloadAround(const std::optional<Record>& around) {
  if (!around) return show(cache_.first(), 0);
  Result<size_t> at = cache_.refreshAround(*around);
  if (!at) return show(at.status(), 0);
  selected_ = *at;
  return Status::ok();
}

Status ListController::applyQuery(const std::vector<QueryColumn>& columns) {
  QueryFilter query = buildQueryFilter(columns, table_.def());
  for (const QueryMessage& m : query.messages) {
    for (const auto& [name, value] : m.values) {
      if (name == "%Field") ctx_.errors.setField(value);
      if (name == "%ErrorText") ctx_.errors.setError(Status(StatusCode::kInvalidArgument, value).errorNumber(), value);
    }
    ctx_.errors.throwMessage(static_cast<uint16_t>(m.number));
  }
  query_ = query.expression;
  installFilter();
  return show(cache_.first(), 0);
}

void ListController::clearQuery() {
  query_.clear();
  installFilter();
  show(cache_.first(), 0);
}

// A page came in (or did not): highlight `highlight`, clamped.  A filtered
// view the storage cannot open is reported as a filter that cannot be
// applied, and the list is shown without it.
Status ListController::show(Status loaded, size_t highlight) {
  if (!loaded && filtered_ && !loaded.is(StatusCode::kBusy)) {
    filterFailed(loaded);
    loaded = cache_.first();
  }
  if (!loaded) return loaded;
  select(highlight);
  return Status::ok();
}

// ---- Rows and the highlight -------------------------------------------------

std::optional<size_t> ListController::selectedIndex() const {
  if (rows().empty()) return std::nullopt;
  return std::min(selected_, rows().size() - 1);
}

const Record* ListController::selected() const {
  std::optional<size_t> i = selectedIndex();
  return i ? &rows()[*i] : nullptr;
}

void ListController::select(size_t index) {
  selected_ = rows().empty() ? 0 : std::min(index, rows().size() - 1);
}

Status ListController::moveSelection(int delta) {
  if (rows().empty()) return Status::ok();
  const int64_t size = static_cast<int64_t>(rows().size());
  const int64_t target = static_cast<int64_t>(*selectedIndex()) + delta;
  if (target >= 0 && target < size) {
    selected_ = static_cast<size_t>(target);
    return Status::ok();
  }
  const bool down = target >= size;
  if (down ? atEnd() : atStart()) {
    select(down ? rows().size() - 1 : 0);
    return Status::ok();
  }
  // The row at the edge of the page, to find it again on the new page.
  const int64_t edge = down ? rows().back().recordId() : rows().front().recordId();
  const int64_t beyond = down ? target - (size - 1) : -target;
  Status s = down ? cache_.nextPage() : cache_.previousPage();
  if (s.is(StatusCode::kNotFound)) {
    select(down ? rows().size() - 1 : 0);
    return Status::ok();
  }
  if (!s) return s;
  const int64_t now = static_cast<int64_t>(rows().size());
  std::optional<size_t> at = cache_.indexOf(edge);
  int64_t base = at ? static_cast<int64_t>(*at) : (down ? -1 : now);
  select(static_cast<size_t>(std::clamp<int64_t>(down ? base + beyond : base - beyond, 0, std::max<int64_t>(now - 1, 0))));
  return Status::ok();
}

Status ListController::firstPage() { return show(cache_.first(), 0); }

Status ListController::lastPage() { return show(cache_.last(), SIZE_MAX); }

Status ListController::nextPage() {
  size_t keep = selected_;
  Status s = cache_.nextPage();
  if (s) select(keep);
  return s;
}

Status ListController::previousPage() {
  size_t keep = selected_;
  Status s = cache_.previousPage();
  if (s) select(keep);
  return s;
}

Status ListController::locate(std::string_view typed) {
  locator_ = typed;
  const ListTabDefinition& tab = def_.tabs[tab_];
  if (!tab.locatorVariable.empty()) {
    std::string text = utf8ToLatin1(typed);
    variables_.set(tab.locatorVariable, FilterValue::text(tab.locatorWidth > 0 ? fitText(text, tab.locatorWidth) : text));
    installFilter();
    return show(cache_.first(), 0);
  }
  const int field = tabs_[tab_].locatorField;
  if (field < 0) return Status(StatusCode::kInvalidArgument, "Esta ordem não tem localizador");
  if (blank(typed)) return show(cache_.first(), 0);
  Record probe = rangeValues_ ? *rangeValues_ : Record(&table_.def());
  if (!rangeValues_) probe.clear();
  std::string stored = utf8ToLatin1(typed);
  if (!tab.locatorPicture.empty()) {
    Result<Picture> picture = Picture::compile(tab.locatorPicture);
    if (!picture.isOk()) return picture.status();
    Result<PictureValue> value = picture.value().parse(typed);
    if (!value.isOk()) return value.status();
    stored = utf8ToLatin1(plainValueText(value.value()));
  }
  if (Status s = probe.setFromText(field, stored); !s) return s;
  Result<size_t> at = cache_.locate(probe);
  if (!at) return show(at.status(), 0);
  select(*at);
  return Status::ok();
}

// ---- Requests ---------------------------------------------------------------

bool ListController::canRequest(Request request) const {
  if (request == Request::kInsert) return true;
  return selected() != nullptr;
}

bool ListController::request(Request request) {
  if (!canRequest(request)) return false;
  if (request == Request::kDelete && !def_.deleteThroughForm) return deleteSelected() == FormState::kCompleted;
  if (!opener_) return false;
  // A copy: the form reads and writes the table's buffer, and the page may
  // be reloaded underneath.
  std::optional<Record> row;
  if (request != Request::kInsert) row = *selected();
  if (!opener_(request, row ? &*row : nullptr)) return false;
  // After an insert the table's buffer holds the record the form added.
  Record around = row ? *row : table_.buffer();
  Result<size_t> at = cache_.refreshAround(around);
  if (at) select(*at);
  return true;
}

Status ListController::showAround(const Record& row) {
  Result<size_t> at = cache_.refreshAround(row);
  if (!at) return at.status();
  select(*at);
  return Status::ok();
}

FormState ListController::deleteSelected() {
  const Record* row = selected();
  if (row == nullptr) return FormState::kCancelled;
  Record copy = *row;
  // A form of no procedure of its own: the list's name stays innermost.
  const FormDefinition definition;
  FormController form(ctx_, definition, table_, Request::kDelete);
  FormState state = form.openRecord(copy.recordId());
  if (state == FormState::kOpen) state = form.ok();
  if (state != FormState::kCancelled) {
    Result<size_t> at = cache_.refreshAround(copy);
    if (at) select(*at);
  }
  return state;
}

std::optional<Record> ListController::chooseSelected() const {
  const Record* row = selected();
  if (!selecting_ || row == nullptr) return std::nullopt;
  return *row;
}

Record ListController::insertPrototype() const {
  Record prototype(&table_.def());
  prototype.clear();
  if (!rangeValues_) return prototype;
  for (int field : rangeFields_) {
    const FieldDef& f = table_.def().fields[field];
    for (int e = 0; e < f.dim; ++e) prototype.cells()[f.column + e] = rangeValues_->cells()[f.column + e];
  }
  prototype.markAllDirty();
  return prototype;
}

}  // namespace vorlam
