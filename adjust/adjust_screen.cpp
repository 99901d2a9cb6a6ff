#include "adjust/adjust_screen.h"

#include <algorithm>

#include "chart/account_structure.h"
#include "framework/picture.h"
#include "storage/text.h"

namespace vorlam::adjust {
namespace {

constexpr uint16_t kMsgCannotOpen = 26;  // the table could not be opened (stops the system)

// Formats a digit text with a digit pattern; the text as it stands when it
// holds anything but digits.
std::string formatDigits(std::string_view picture, std::string_view digits) {
  Result<std::string> text = formatPicture(picture, std::string(digits));
  return text ? text.value() : latin1ToUtf8(digits);
}

}  // namespace

std::string confirmationText(uint16_t year) {
  return "Atenção!!! As emrpesas selecionadas terão seu plano de contas alterado a partir do ano " +
         std::to_string(year) + " para a estrutura selecionada. Confirma alteração???";
}

std::string inscricao(const Record& empresa) {
  const std::string_view cgc = clipText(empresa.getText("CGC"));
  if (!cgc.empty()) return formatDigits("p##.###.###/####-##p", cgc);
  const std::string_view cpf = clipText(empresa.getText("CPF"));
  if (!cpf.empty()) return formatDigits("p###.###.###-##p", cpf);
  // The CEI has twelve digits: the pattern of the CEI column, so that none
  // is lost.
  const std::string_view cei = clipText(empresa.getText("CEI"));
  if (!cei.empty()) return formatDigits("p##.###.#####-##p", cei);
  return {};
}

// The worker's observer: feeds the log and the bars, keeps the rows written
// for the screen's thread, and tells the run to stop only between two
// companies.
class AdjustScreen::RunObserver : public Observer, public WriteListener {
 public:
  explicit RunObserver(AdjustScreen& screen) : screen_(screen) {}

  void written(const std::string& table, WriteKind kind, const std::string& key) override {
    bool notify = false;
    {
      std::lock_guard lock(screen_.mu_);
      screen_.writes_.push_back({table, kind, key});
      notify = !std::exchange(screen_.notified_, true);
    }
    if (notify && screen_.listener_) screen_.listener_->runChanged();
  }

  void logLine(const std::string& line) override { screen_.appendLog(line); }
  void companyStarted(uint16_t) override { inCompany_ = true; }
  void companyFinished(uint16_t) override { inCompany_ = false; }
  void companiesRange(int total) override {
    update([&](RunProgress& p) { p.companiesTotal = total; });
  }
  void companiesPosition(int done) override {
    update([&](RunProgress& p) { p.companiesDone = done; });
  }
  void fileRange(int64_t total) override {
    update([&](RunProgress& p) {
      p.fileTotal = total;
      p.filePosition = 0;
    });
  }
  void filePosition(int64_t position) override {
    update([&](RunProgress& p) { p.filePosition = position; });
  }
  // A stop asked in the middle of a company waits for its end: the company
  // is finished rather than rolled back, and the rest of the list is left.
  bool stopRequested() override {
    const bool wanted = screen_.stop_.load() || (screen_.shutdown_ && screen_.shutdown_->shutdownRequested());
    return wanted && !inCompany_;
  }

 private:
  template <typename F>
  void update(F change) {
    bool notify = false;
    {
      std::lock_guard lock(screen_.mu_);
      change(screen_.progress_);
      notify = !std::exchange(screen_.notified_, true);
    }
    if (notify && screen_.listener_) screen_.listener_->runChanged();
  }

  AdjustScreen& screen_;
  bool inCompany_ = false;  // worker thread only
};

AdjustScreen::AdjustScreen(const Dictionary& dict, shell::AppState& state, ErrorManager& errors,
                           ShutdownCoordinator* shutdown)
    : dict_(dict),
      state_(state),
      errors_(errors),
      shutdown_(shutdown),
      procedure_(errors, kScreenProcedure),
      context_{dict, state.resolver(), errors},
      observer_(std::make_unique<RunObserver>(*this)) {
  // No procedure of its own: messages raised by the list name the screen.
  for (const CompanyOrder& o : kCompanyOrders) {
    ListTabDefinition tab;
    tab.caption = o.caption;
    tab.key = o.key;
    tab.locatorField = o.locatorField;
    companyListDef_.tabs.push_back(tab);
  }
}

AdjustScreen::~AdjustScreen() {
  requestStop();
  waitForRun();
}

void AdjustScreen::beep() {
  if (beep_) beep_();
}

void AdjustScreen::stopBox(const std::string& text, MessageIcon icon) {
  beep();
  errors_.message(text, kMessageTitle, icon, kButtonOk, kButtonOk);
}

bool AdjustScreen::refused(Reaction* reaction) const {
  *reaction = Reaction{};
  return running();
}

void AdjustScreen::appendLog(std::string line) {
  bool notify = false;
  {
    std::lock_guard lock(mu_);
    log_.push_back(std::move(line));
    progress_.logLines = log_.size();
    notify = !std::exchange(notified_, true);
  }
  if (notify && listener_) listener_->runChanged();
}

// --- Opening -------------------------------------------------------------

bool AdjustScreen::open() {
  const TableDef* def = dict_.find("Empresa");
  companies_ = std::make_unique<Table>(def);
  if (Status s = companies_->open(state_.pathFor(def->binding)); !s) {
    errors_.throwFile(kMsgCannotOpen, def->label, s);
    return false;
  }
  companyList_ = std::make_unique<ListController>(context_, companyListDef_, *companies_);
  if (Status s = companyList_->open(0); !s) {
    errors_.throwFile(kMsgCannotOpen, def->label, s);
    return false;
  }
  beep();
  return errors_.ask(kBackupQuestion, kMessageTitle, kNoYes, 1) == 2;
}

// --- Field 01 ----------------------------------------------------------------

Reaction AdjustScreen::acceptStructure(uint32_t code) {
  Reaction r;
  if (refused(&r)) return r;
  structureCode_ = 0;
  formato_.clear();
  if (code == 0) return r;
  Result<chart::AccountStructure> s = Status(StatusCode::kNotFound, "estrutura");
  if (code <= UINT16_MAX) s = readStructure(dict_, state_, uint16_t(code));
  if (!s) {
    r.openLookup = true;
    return r;
  }
  structureCode_ = uint16_t(code);
  formato_ = chart::buildMask(s.value());
  return r;
}

Reaction AdjustScreen::lookupClosed(std::optional<uint16_t> chosen) {
  Reaction r;
  if (refused(&r)) return r;
  if (chosen) {
    Result<chart::AccountStructure> s = readStructure(dict_, state_, *chosen);
    structureCode_ = s ? *chosen : 0;
    formato_ = s ? chart::buildMask(s.value()) : std::string();
  }
  r.focus = Control::kStructure;
  return r;
}

void AdjustScreen::acceptYear(uint16_t year) {
  if (!running()) year_ = year;
}

// --- Company list ------------------------------------------------------------

std::optional<Record> AdjustScreen::companyRecord(uint16_t code) {
  if (!companies_ || !companies_->isOpen()) return std::nullopt;
  companies_->buffer().clear();
  companies_->buffer().setInt("Codigo", code);
  if (!companies_->get(companies_->def().keyIndex("EMP:KEY:CODIGO"))) return std::nullopt;
  return companies_->buffer();
}

std::optional<uint32_t> AdjustScreen::companyRowColour(const Record& row) const {
  if (!companyList_) return std::nullopt;
  const std::vector<Record>& rows = companyList_->rows();
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].recordId() == row.recordId()) return greyCompanyRow(i) ? std::optional<uint32_t>(kEvenRowColour) : std::nullopt;
  return std::nullopt;
}

Status AdjustScreen::showCompany(uint16_t code) {
  std::optional<Record> company = companyRecord(code);
  if (!company) return companyList_->refresh();
  const bool byName = companyList_->currentTab() == 0;
  const std::string typed = byName ? latin1ToUtf8(clipText(company->getText("RazaoSocial"))) : std::to_string(code);
  if (Status s = companyList_->locate(typed); !s) return s;
  // Names repeat: walk on to the company itself.
  while (const Record* at = companyList_->selected()) {
    if (at->getInt("Codigo") == code) break;
    const int64_t before = at->recordId();
    if (Status s = companyList_->moveSelection(1); !s) return s;
    if (companyList_->selected() == nullptr || companyList_->selected()->recordId() == before) break;
  }
  return Status::ok();
}

Status AdjustScreen::applyToCompanyList(const Reaction& r) {
  if (!companyList_) return Status::ok();
  if (r.showCompany) return showCompany(*r.showCompany);
  if (r.refreshCompanies) return companyList_->refresh();
  if (r.companyStep != 0) return companyList_->moveSelection(r.companyStep);
  return Status::ok();
}

// --- Selected-companies list ---------------------------------------------------

void AdjustScreen::setSelectedHighlight(int row) {
  selectedHighlight_ = (row >= 0 && row < int(selected_.size())) ? row : -1;
}

Reaction AdjustScreen::include() {
  Reaction r;
  if (refused(&r)) return r;
  r.focus = Control::kCompanyList;
  const Record* row = companyList_ ? companyList_->selected() : nullptr;
  if (row == nullptr || row->getInt("Codigo") == 0) {
    stopBox(kNoCompanyHighlighted);
    return r;
  }
  SelectedCompany company{uint16_t(row->getInt("Codigo")), latin1ToUtf8(clipText(row->getText("RazaoSocial")))};
  auto at = std::lower_bound(selected_.begin(), selected_.end(), company.code,
                             [](const SelectedCompany& c, uint16_t code) { return c.code < code; });
  if (at != selected_.end() && at->code == company.code)
    stopBox(kCompanyAlreadyListed);
  else
    selected_.insert(at, std::move(company));
  // Repeated presses include consecutive companies.
  selectedHighlight_ = int(selected_.size()) - 1;
  r.companyStep = 1;
  return r;
}

Reaction AdjustScreen::exclude() {
  Reaction r;
  if (refused(&r)) return r;
  if (selectedHighlight_ < 0 || selectedHighlight_ >= int(selected_.size())) return r;
  r.showCompany = selected_[size_t(selectedHighlight_)].code;
  r.refreshCompanies = true;
  selected_.erase(selected_.begin() + selectedHighlight_);
  selectedHighlight_ = std::min(selectedHighlight_, int(selected_.size()) - 1);
  r.focus = Control::kSelectedList;
  return r;
}

// --- The run ---------------------------------------------------------------------

bool AdjustScreen::includeSharers(const std::vector<uint16_t>& sharers) {
  if (sharers.empty()) return true;
  if (errors_.ask(sharersQuestion(sharers), kMessageTitle, kNoYes, 1) != 2) return false;
  for (uint16_t code : sharers) {
    if (std::any_of(selected_.begin(), selected_.end(), [&](const SelectedCompany& c) { return c.code == code; }))
      continue;
    std::optional<Record> rec = companyRecord(code);
    std::string name = rec ? latin1ToUtf8(rec->getText("RazaoSocial")) : std::string();
    auto at = std::lower_bound(selected_.begin(), selected_.end(), code,
                               [](const SelectedCompany& c, uint16_t v) { return c.code < v; });
    selected_.insert(at, SelectedCompany{code, name});
  }
  return true;
}

std::string sharersQuestion(const std::vector<uint16_t>& sharers) {
  std::string codes;
  for (uint16_t c : sharers) codes += (codes.empty() ? "" : ", ") + std::to_string(c);
  return "Atenção!!! " + std::string(sharers.size() == 1 ? "A empresa " : "As empresas ") + codes +
         " usa(m) arquivos compartilhados com as empresas selecionadas e só pode(m) ser ajustada(s) junto com "
         "elas.|Deseja incluí-la(s) no ajuste???";
}

Reaction AdjustScreen::restore() {
  Reaction r;
  if (refused(&r)) return r;
  if (selectedHighlight_ < 0 || selectedHighlight_ >= int(selected_.size())) {
    stopBox(kNoCompanyHighlighted);
    r.focus = Control::kSelectedList;
    return r;
  }
  uint16_t code = selected_[size_t(selectedHighlight_)].code;
  beep();
  if (errors_.ask(restoreQuestion(code), kMessageTitle, kNoYes, 1) != 2) {
    errors_.message(kCancelled, kMessageTitle, MessageIcon::kError, kButtonOk, kButtonOk);
    return r;
  }
  AdjustRun run(dict_, state_, nullptr);
  run.setWrites(context_.writes);  // on the screen's thread: told at once
  Result<RestoreReport> done = run.restore(code);
  if (!done) {
    stopBox(done.status().message());
  } else {
    // The current company put back on its old structure.
    showStructureOfCurrent(done->companies, done->structure);
    appendLog("-" + done->message);
    errors_.message(done->message, kMessageTitle, MessageIcon::kInformation, kButtonOk, kButtonOk);
  }
  r.refreshCompanies = true;
  r.focus = Control::kSelectedList;
  return r;
}

std::string restoreQuestion(uint16_t code) {
  return "Atenção!!! A empresa " + std::to_string(code) +
         " (e as empresas ajustadas junto com ela) voltará a ser como estava antes do seu último ajuste do plano "
         "de contas. Confirma restauração???";
}

Reaction AdjustScreen::adjust(Listener* listener) {
  Reaction r;
  if (refused(&r)) return r;
  if (structureCode_ == 0) {
    stopBox(kNoStructure, MessageIcon::kInformation);
    r.focus = Control::kStructure;
    return r;
  }
  AdjustRequest request;
  request.newStructure = structureCode_;
  request.year = year_;
  for (const SelectedCompany& c : selected_) request.companies.push_back(c.code);
  // Everything the run would refuse is refused here, before the question.
  if (Status s = AdjustRun(dict_, state_, nullptr).check(request); !s) {
    stopBox(s.message());
    const uint16_t workingYear = state_.company().ano;
    const bool yearFault = year_ == 0 || (workingYear != 0 && year_ != workingYear);
    r.focus = yearFault ? Control::kYear : Control::kStructure;
    return r;
  }
  // Companies outside the list that share files with it go with it, or
  // nothing runs.
  std::vector<uint16_t> sharers = AdjustRun(dict_, state_, nullptr).sharers(request);
  request.withSharers = !sharers.empty();
  if (!includeSharers(sharers)) {
    errors_.message(kCancelled, kMessageTitle, MessageIcon::kError, kButtonOk, kButtonOk);
    r.focus = Control::kClose;
    return r;
  }
  beep();
  if (errors_.ask(confirmationText(year_), kMessageTitle, kNoYes, 1) != 2) {
    errors_.message(kCancelled, kMessageTitle, MessageIcon::kError, kButtonOk, kButtonOk);
    r.focus = Control::kClose;
    return r;
  }
  startRun(request, listener);
  return r;
}

void AdjustScreen::startRun(const AdjustRequest& request, Listener* listener) {
  tab_ = ScreenTab::kProcessedData;
  {
    std::lock_guard lock(mu_);
    log_.clear();
    writes_.clear();
    progress_ = RunProgress{};
    progress_.running = true;
    progress_.companiesTotal = int(request.companies.size());
    notified_ = false;
    result_.reset();
  }
  stop_ = false;
  closeAfterRun_ = false;
  listener_ = listener;
  running_ = true;
  worker_ = std::thread([this, request] {
    std::optional<ShutdownCoordinator::BulkOperation> bulk;
    if (shutdown_) bulk.emplace(*shutdown_);
    AdjustRun run(dict_, state_, observer_.get());
    run.setWrites(observer_.get());
    Result<AdjustReport> report = run.run(request);
    {
      std::lock_guard lock(mu_);
      result_ = std::move(report);
      progress_.running = false;
    }
    bulk.reset();
    if (listener_) listener_->runEnded();
  });
}

RunProgress AdjustScreen::progress() {
  std::lock_guard lock(mu_);
  notified_ = false;
  return progress_;
}

std::vector<std::string> AdjustScreen::logLines(size_t from) const {
  std::lock_guard lock(mu_);
  if (from >= log_.size()) return {};
  return std::vector<std::string>(log_.begin() + std::ptrdiff_t(from), log_.end());
}

void AdjustScreen::requestStop() {
  if (running() && !stop_.exchange(true)) appendLog(kStopping);
}

void AdjustScreen::waitForRun() {
  if (worker_.joinable()) worker_.join();
}

void AdjustScreen::reportWrites() {
  std::vector<RowWrite> writes;
  {
    std::lock_guard lock(mu_);
    writes.swap(writes_);
  }
  if (context_.writes == nullptr) return;
  for (const RowWrite& w : writes) context_.writes->written(w.table, w.kind, w.key);
}

void AdjustScreen::showStructureOfCurrent(const std::vector<uint16_t>& companies, uint16_t structure) {
  // The toolbar shows the structure the current company is on now.
  shell::CurrentCompany current = state_.company();
  if (current.codigo == 0) return;
  if (std::find(companies.begin(), companies.end(), current.codigo) == companies.end()) return;
  current.codPlanoContas = structure;
  state_.setCompany(current);
}

Reaction AdjustScreen::completeRun() {
  Reaction r;
  if (!running()) return r;
  waitForRun();
  reportWrites();
  std::optional<Result<AdjustReport>> result;
  RunProgress done;
  {
    std::lock_guard lock(mu_);
    result = std::move(result_);
    result_.reset();
    done = progress_;
  }
  running_ = false;
  listener_ = nullptr;
  r.refreshCompanies = true;
  r.focus = Control::kClose;
  r.closeScreen = closeAfterRun_;
  if (!result || !*result) {
    stopBox(result ? result->status().message() : std::string(kInterrupted));
  } else if (stop_ && done.companiesDone < done.companiesTotal) {
    stopBox(kInterrupted);
  } else if (result->value().success) {
    std::vector<uint16_t> converted;
    for (const CompanyReport& c : result->value().companies)
      if (c.outcome == CompanyOutcome::kConverted) converted.push_back(c.code);
    showStructureOfCurrent(converted, structureCode_);
    beep();
    errors_.message(result->value().finalMessage, kMessageTitle, MessageIcon::kInformation, kButtonOk, kButtonOk);
  } else {
    stopBox(result->value().finalMessage);
  }
  return r;
}

// --- Closing ---------------------------------------------------------------------

Reaction AdjustScreen::close() {
  Reaction r;
  if (!running()) {
    r.closeScreen = true;
    return r;
  }
  if (closeAfterRun_) return r;  // already stopping
  beep();
  if (errors_.ask(kStopQuestion, kMessageTitle, kNoYes, 1) == 2) {
    closeAfterRun_ = true;
    requestStop();
  }
  return r;
}

}  // namespace vorlam::adjust
