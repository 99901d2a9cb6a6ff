#include "framework/form_controller.h"

#include <algorithm>

#include "dictionary/field_rules.h"
#include "storage/text.h"

namespace vorlam {

namespace {

// Reactions that keep setting each other's fields stop here.
constexpr int kMaxReactionDepth = 8;

bool sameCell(const Cell& a, const Cell& b) { return a.i == b.i && a.s == b.s; }

}  // namespace

FormController::FormController(ScreenContext& context, const FormDefinition& definition, Table& table,
                               Request request)
    : ctx_(context),
      def_(definition),
      table_(table),
      request_(request),
      procedure_(context.errors, definition.procedure),
      record_(&table.def()),
      original_(&table.def()) {
  const TableDef& td = table.def();
  fields_.resize(td.fields.size());
  reactions_.resize(td.fields.size());
  if (def_.fields.empty()) {
    for (size_t f = 0; f < td.fields.size(); ++f) shown_.push_back(static_cast<int>(f));
  } else {
    for (const auto& name : def_.fields) {
      int f = td.fieldIndex(name);
      if (f >= 0) shown_.push_back(f);
    }
  }
}

std::string FormController::caption() const {
  switch (request_) {
    case Request::kInsert: return def_.insertCaption;
    case Request::kChange: return def_.changeCaption;
    case Request::kDelete: return def_.deleteCaption;
    case Request::kView: break;
  }
  return std::string(kViewCaption);
}

int FormController::raise(uint16_t number, std::string_view argument) {
  lastMessage_ = number;
  return ctx_.errors.throwMessage(number, argument);
}

int FormController::raiseFile(uint16_t number, const Status& status) {
  lastMessage_ = number;
  return ctx_.errors.throwFile(number, table_.path(), status);
}

FormState FormController::openNew(const Record* prototype) {
  if (request_ != Request::kInsert) {
    state_ = FormState::kClosed;
    return state_;
  }
  record_.clear();
  if (prototype != nullptr && &prototype->def() == &table_.def()) record_ = *prototype;
  record_.setRecordId(0);
  record_.setStamp(0);
  original_ = record_;
  state_ = FormState::kOpen;
  return state_;
}

FormState FormController::openRecord(int64_t recordId) {
  if (request_ == Request::kInsert) return openNew();
  Status s = table_.getById(recordId);
  table_.endWalk();
  if (!s) {
    state_ = FormState::kClosed;
    raiseFile(kMsgRecordNotRead, s);
    return state_;
  }
  record_ = table_.buffer();
  original_ = record_;
  state_ = FormState::kOpen;
  return state_;
}

bool FormController::validFieldIndex(int field) const {
  return field >= 0 && field < static_cast<int>(fields_.size());
}

FieldState FormController::fieldState(int field) const {
  if (!validFieldIndex(field)) return FieldState{false, false, true};
  FieldState st = fields_[field];
  if (request_ == Request::kView || request_ == Request::kDelete) st.readOnly = true;
  return st;
}

void FormController::setEnabled(int field, bool enabled) {
  if (validFieldIndex(field)) fields_[field].enabled = enabled;
}
void FormController::setVisible(int field, bool visible) {
  if (validFieldIndex(field)) fields_[field].visible = visible;
}
void FormController::setReadOnly(int field, bool readOnly) {
  if (validFieldIndex(field)) fields_[field].readOnly = readOnly;
}

void FormController::onChange(int field, FieldReaction reaction) {
  if (validFieldIndex(field) && reaction) reactions_[field].push_back(std::move(reaction));
}

bool FormController::editable(int field) const {
  FieldState st = fieldState(field);
  return st.enabled && st.visible && !st.readOnly;
}

std::string FormController::text(int field) const {
  if (!validFieldIndex(field)) return {};
  return latin1ToUtf8(record_.getAsText(field));
}

Status FormController::type(int field, std::string_view utf8) {
  if (!validFieldIndex(field)) return Status(StatusCode::kInvalidArgument, "Campo inexistente");
  if (state_ != FormState::kOpen || !editable(field))
    return Status(StatusCode::kInvalidArgument, "Campo não pode ser alterado", table_.def().fields[field].name);
  return assignText(field, utf8);
}

Status FormController::changed(int field, Status set) {
  if (set) runReactions(field);
  return set;
}

Status FormController::assignText(int field, std::string_view utf8) {
  if (!validFieldIndex(field)) return Status(StatusCode::kInvalidArgument, "Campo inexistente");
  if (request_ == Request::kView || request_ == Request::kDelete)
    return Status(StatusCode::kInvalidArgument, "Formulário somente para leitura");
  const FieldDef& f = table_.def().fields[field];
  std::string latin1 = utf8ToLatin1(utf8);
  return changed(field, f.isText() ? record_.setText(field, latin1) : record_.setFromText(field, latin1));
}

Status FormController::assignInt(int field, int64_t value) {
  if (!validFieldIndex(field)) return Status(StatusCode::kInvalidArgument, "Campo inexistente");
  if (request_ == Request::kView || request_ == Request::kDelete)
    return Status(StatusCode::kInvalidArgument, "Formulário somente para leitura");
  return changed(field, record_.setInt(field, value));
}

Status FormController::assignDecimal(int field, const Decimal& value) {
  if (!validFieldIndex(field)) return Status(StatusCode::kInvalidArgument, "Campo inexistente");
  if (request_ == Request::kView || request_ == Request::kDelete)
    return Status(StatusCode::kInvalidArgument, "Formulário somente para leitura");
  return changed(field, record_.setDecimal(field, value));
}

void FormController::runReactions(int field) {
  if (reactionDepth_ >= kMaxReactionDepth) return;
  ++reactionDepth_;
  // Copied: a reaction may register further reactions on the same field.
  std::vector<FieldReaction> list = reactions_[field];
  for (auto& reaction : list) reaction(*this, field);
  --reactionDepth_;
}

bool FormController::hasUnsavedChanges() const {
  if (request_ == Request::kView || request_ == Request::kDelete) return false;
  return !record_.sameValues(original_);
}

bool FormController::validateField(int field, bool report) {
  FieldCheck check = checkField(record_, field);
  if (!check.valid && report) {
    ctx_.errors.setField(check.name);
    raise(static_cast<uint16_t>(check.message), check.detail);
  }
  return check.valid;
}

bool FormController::validateAll() {
  invalidField_ = -1;
  FieldCheck check = checkRecord(record_);
  // A form checks the fields it shows: a rule of a field the form never
  // shows cannot be met by its user, and the field is written back as read.
  if (!check.valid && (checkShownOnly_ || !def_.fields.empty())) {
    check = FieldCheck();
    for (const auto& rule : table_.def().rules) {
      if (std::find(shown_.begin(), shown_.end(), rule.field) == shown_.end()) continue;
      for (int e = 0; e < table_.def().fields[size_t(rule.field)].dim && check.valid; ++e)
        check = checkField(record_, rule.field, e);
      if (!check.valid) break;
    }
  }
  if (!check.valid) {
    invalidField_ = check.field;
    ctx_.errors.setField(check.name);
    raise(static_cast<uint16_t>(check.message), check.detail);
    return false;
  }
  return !validator_ || validator_(*this);
}

FormState FormController::ok() {
  if (state_ != FormState::kOpen) return state_;
  lastMessage_ = 0;
  switch (request_) {
    case Request::kView:
      state_ = FormState::kCompleted;
      return state_;
    case Request::kInsert:
      if (!validateAll()) return state_;
      return insertRecord();
    case Request::kChange:
      if (!hasUnsavedChanges()) {
        state_ = FormState::kCompleted;
        return state_;
      }
      if (!validateAll()) return state_;
      return changeRecord();
    case Request::kDelete:
      if (validateDeletes_ && validator_ && !validator_(*this)) return state_;
      return deleteRecord();
  }
  return state_;
}

FormState FormController::cancel() {
  if (state_ != FormState::kOpen) return state_;
  lastMessage_ = 0;
  if (hasUnsavedChanges()) {
    int answer = raise(kMsgCancelChanges);
    if (answer == kMessageResultFatal) {
      state_ = FormState::kClosed;
      return state_;
    }
    if (answer != kMessageResultYes) return state_;
  }
  state_ = FormState::kCancelled;
  return state_;
}

void FormController::raiseDuplicate(const Status& status) {
  const TableDef& td = table_.def();
  int key = table_.duplicatedKey();
  if (key < 0) key = td.keyIndex(status.detail());
  std::string description = key >= 0 ? td.keys[key].description : status.detail();
  if (key >= 0 && description.empty()) description = td.keys[key].name;
  if (key >= 0) ctx_.errors.setKey(td.keys[key].name);
  raise(kMsgDuplicateKey, description);
}

bool FormController::keepsNumbers() const {
  if (!keepNumbers_) return false;
  for (const KeyDef& k : table_.def().keys) {
    if (k.autoNumber <= 0 || k.autoNumber > static_cast<int>(k.components.size())) continue;
    if (record_.getInt(k.components[k.autoNumber - 1].field) == 0) return false;
  }
  return true;
}

FormState FormController::insertRecord() {
  while (true) {
    table_.buffer() = record_;
    table_.buffer().setRecordId(0);
    table_.buffer().markAllDirty();
    Status s = keepsNumbers() ? table_.append() : table_.insert();
    if (s) {
      record_ = table_.buffer();
      original_ = record_;
      state_ = FormState::kCompleted;
      reportWrite(ctx_, record_, WriteKind::kInsert);
      return state_;
    }
    if (s.is(StatusCode::kAutoNumberFailed)) {
      for (const auto& k : table_.def().keys)
        if (k.autoNumber > 0) ctx_.errors.setKey(k.name);
      int answer = raiseFile(kMsgAutoNumberFailed, s);
      if (answer == kMessageResultYes) continue;  // the user asked to try again
      if (answer == kMessageResultFatal) state_ = FormState::kClosed;
      return state_;
    }
    if (s.is(StatusCode::kDuplicateKey)) {
      raiseDuplicate(s);
      return state_;
    }
    if (raiseFile(kMsgAddFailed, s) == kMessageResultFatal) state_ = FormState::kClosed;
    return state_;
  }
}

void FormController::rememberEditsAfterConflict(const Record& fresh) {
  // The user's own edits: the columns where the form differs from what was
  // read.  They are kept aside so that nothing of the other workstation's
  // record is overwritten unless the user recalls them and saves again.
  recall_.clear();
  const auto& mine = record_.cells();
  const auto& read = original_.cells();
  for (size_t c = 0; c < mine.size(); ++c)
    if (!sameCell(mine[c], read[c])) recall_.emplace_back(static_cast<int>(c), mine[c]);
  record_ = fresh;
  original_ = fresh;
}

void FormController::recallEdits() {
  for (const auto& [column, cell] : recall_) {
    record_.cells()[column] = cell;
    record_.markDirty(column);
  }
  recall_.clear();
}

FormState FormController::changeRecord() {
  // The record's own write and its cascades form one step: the record's
  // file stays locked until the children are rewritten, and a failed
  // cascade leaves the record as it was, so that saving again finishes it.
  Status s = table_.beginBulk();
  if (s) {
    table_.buffer() = record_;
    s = table_.update();
  }
  if (s) {
    s = cascadeUpdate(ctx_.dictionary, ctx_.resolve, original_, table_.buffer());
    if (s) s = table_.flush();
    if (!s) {
      table_.rollbackBulk();
      if (raiseFile(kMsgChangeFailed, s) == kMessageResultFatal) state_ = FormState::kClosed;
      return state_;
    }
    record_ = table_.buffer();
    original_ = record_;
    recall_.clear();
    state_ = FormState::kCompleted;
    reportWrite(ctx_, record_, WriteKind::kChange);
    return state_;
  }
  table_.rollbackBulk();
  if (s.is(StatusCode::kChangedByOther)) {
    Status r = table_.getById(record_.recordId());
    table_.endWalk();
    if (r) {
      rememberEditsAfterConflict(table_.buffer());
      raise(kMsgChangedShowingNew);
      return state_;
    }
    s = r;
  }
  if (s.is(StatusCode::kDeletedByOther) || s.is(StatusCode::kNotFound)) {
    state_ = FormState::kClosed;
    raiseFile(kMsgRecordNotRead, s);
    return state_;
  }
  if (s.is(StatusCode::kDuplicateKey)) {
    raiseDuplicate(s);
    return state_;
  }
  if (raiseFile(kMsgChangeFailed, s) == kMessageResultFatal) state_ = FormState::kClosed;
  return state_;
}

FormState FormController::deleteRecord() {
  int answer = raise(kMsgConfirmDelete);
  if (answer != kMessageResultYes) {
    state_ = answer == kMessageResultFatal ? FormState::kClosed : FormState::kCancelled;
    return state_;
  }
  // Children go first, so the record must be known to be unchanged before
  // any of them is touched: lock its file, read it again and compare.
  Status s = table_.beginBulk();
  if (s) s = table_.getById(record_.recordId());
  if (s && table_.buffer().stamp() != record_.stamp()) {
    Record fresh = table_.buffer();
    table_.rollbackBulk();
    record_ = fresh;
    original_ = fresh;
    raise(kMsgChangedByOther);
    return state_;
  }
  if (s) s = cascadeDelete(ctx_.dictionary, ctx_.resolve, table_.buffer());
  if (s) s = table_.erase();
  if (s) s = table_.flush();
  if (s) {
    state_ = FormState::kCompleted;
    reportWrite(ctx_, record_, WriteKind::kDelete);
    return state_;
  }
  table_.rollbackBulk();
  table_.endWalk();
  if (s.is(StatusCode::kNotFound) || s.is(StatusCode::kDeletedByOther)) {
    state_ = FormState::kClosed;
    raiseFile(kMsgRecordNotRead, s);
    return state_;
  }
  if (s.is(StatusCode::kChangedByOther)) {
    raise(kMsgChangedByOther);
    return state_;
  }
  if (raiseFile(kMsgDeleteFailed, s) == kMessageResultFatal) state_ = FormState::kClosed;
  return state_;
}

}  // namespace vorlam
