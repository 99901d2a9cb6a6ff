#include "framework/error_manager.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "framework/picture.h"
#include "storage/date.h"
#include "storage/platform.h"
#include "storage/text.h"

namespace vorlam {

LogClockReading systemClock() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const int64_t micros = std::chrono::duration_cast<std::chrono::microseconds>(since).count();
  const std::tm local = platform::localTime(micros / 1000000);
  LogClockReading r;
  r.day = toDayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday).value_or(0);
  r.time = ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 100 +
           static_cast<int32_t>(micros % 1000000 / 10000) + 1;
  return r;
}

// ---- ErrorServices ----------------------------------------------------------

ErrorServices::ErrorServices() : clock_(systemClock) {}

void ErrorServices::enableLog(std::filesystem::path path) {
  std::lock_guard lock(mu_);
  logPath_ = std::move(path);
  logging_ = true;
}

void ErrorServices::disableLog() {
  std::lock_guard lock(mu_);
  logging_ = false;
}

bool ErrorServices::logEnabled() const {
  std::lock_guard lock(mu_);
  return logging_;
}

void ErrorServices::setClock(LogClock clock) {
  std::lock_guard lock(mu_);
  clock_ = clock ? std::move(clock) : LogClock(systemClock);
}

void ErrorServices::setHistoryLimit(size_t limit) {
  std::lock_guard lock(mu_);
  historyLimit_ = limit;
  while (history_.size() > historyLimit_) history_.pop_front();
}

size_t ErrorServices::historyLimit() const {
  std::lock_guard lock(mu_);
  return historyLimit_;
}

std::vector<RaisedMessage> ErrorServices::history() const {
  std::lock_guard lock(mu_);
  return {history_.begin(), history_.end()};
}

void ErrorServices::setQuestionDefault(uint32_t button) {
  std::lock_guard lock(mu_);
  questionDefault_ = button == kButtonNo ? kButtonNo : kButtonYes;
}

uint32_t ErrorServices::questionDefault() const {
  std::lock_guard lock(mu_);
  return questionDefault_;
}

std::string ErrorServices::record(const RaisedMessage& message) {
  std::lock_guard lock(mu_);
  if (historyLimit_ > 0) {
    history_.push_back(message);
    while (history_.size() > historyLimit_) history_.pop_front();
  }
  if (!logging_) return {};
  LogClockReading now = clock_();
  // The two pictures always compile; a clock out of range shows as '#'.
  std::string date = Picture::compile("D17")->format(DayNumber{now.day}).value();
  std::string time = Picture::compile("T8")->format(TimeOfDay{now.time}).value();
  return appendLogLine(logPath_, date + " " + time + " --> " + message.text);
}

// Called with mu_ held, so lines of two screens never interleave.
std::string ErrorServices::appendLogLine(const std::filesystem::path& path, const std::string& line) {
  std::FILE* f = std::fopen(path.string().c_str(), "ab");
  if (!f) return "Unable to Open error log; ";
  std::string notes;
  std::string bytes = utf8ToLatin1(line) + "\n";
  if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fflush(f) != 0)
    notes += "Unable to update error log; ";
  if (std::fclose(f) != 0) notes += "Unable to close error log; ";
  return notes;
}

// ---- ErrorManager -----------------------------------------------------------

ErrorManager::ErrorManager(ErrorServices& services, Dialogs& dialogs, ApplicationControl& application)
    : services_(services), dialogs_(dialogs), application_(application), owner_(std::this_thread::get_id()) {}

template <typename Edit>
auto ErrorManager::withState(Edit edit) const {
  std::lock_guard lock(services_.mu_);
  return edit(stateLocked());
}

ErrorManager::ThreadState& ErrorManager::stateLocked() const { return states_[std::this_thread::get_id()]; }

std::string ErrorManager::procedureLocked() const {
  const ThreadState& own = stateLocked();
  if (!own.procedures.empty()) return own.procedures.back();
  auto screen = states_.find(owner_);
  if (screen == states_.end() || screen->second.procedures.empty()) return {};
  return screen->second.procedures.back();
}

void ErrorManager::setField(std::string_view fieldName) {
  withState([&](ThreadState& s) { s.values.field = fieldName; });
}

void ErrorManager::setKey(std::string_view keyName) {
  withState([&](ThreadState& s) { s.values.key = keyName; });
}

void ErrorManager::setCategory(std::string_view category) {
  withState([&](ThreadState& s) { s.values.category = category; });
}

void ErrorManager::setFile(std::string_view fileName) {
  withState([&](ThreadState& s) { s.values.file = fileName; });
}

void ErrorManager::setError(int code, std::string_view text) {
  withState([&](ThreadState& s) {
    s.values.errorCode = code;
    s.values.errorText = text;
  });
}

void ErrorManager::setFileError(std::string_view code, std::string_view text) {
  withState([&](ThreadState& s) {
    s.values.fileErrorCode = code;
    s.values.fileError = text;
  });
}

void ErrorManager::pushProcedure(std::string_view name) {
  withState([&](ThreadState& s) { s.procedures.emplace_back(name); });
}

void ErrorManager::popProcedure() {
  withState([](ThreadState& s) {
    if (!s.procedures.empty()) s.procedures.pop_back();
  });
}

std::string ErrorManager::procedure() const {
  std::lock_guard lock(services_.mu_);
  return procedureLocked();
}

PlaceholderValues ErrorManager::values() const {
  return withState([](ThreadState& s) { return s.values; });
}

std::string ErrorManager::previousText() const {
  return withState([](ThreadState& s) { return s.values.previous; });
}

int ErrorManager::throwMessage(uint16_t number, std::string_view argument) {
  withState([&](ThreadState& s) { s.values.message = argument; });
  const CatalogueEntry* entry = findMessage(number);
  return entry ? raise(*entry) : 0;
}

int ErrorManager::throwFile(uint16_t number, std::string_view fileName, const Status& fileStatus) {
  const std::string driverText = fileStatus.detail().empty() ? fileStatus.message() : fileStatus.detail();
  withState([&](ThreadState& s) {
    s.values.file = fileName;
    s.values.errorCode = fileStatus.errorNumber();
    s.values.errorText = fileStatus.message();
    // The driver's own code when it reported one, as %ErrorText shows for
    // driver errors (90 and 100).
    s.values.fileErrorCode =
        std::to_string(fileStatus.driverCode() != 0 ? fileStatus.driverCode() : fileStatus.errorNumber());
    s.values.fileError = driverText;
  });
  const CatalogueEntry* entry = findMessage(number);
  return entry ? raise(*entry) : 0;
}

int ErrorManager::raise(const CatalogueEntry& entry) {
  PlaceholderValues values;
  {
    std::lock_guard lock(services_.mu_);
    ThreadState& s = stateLocked();
    s.values.procedure = procedureLocked();
    values = s.values;
  }
  std::string text = substitutePlaceholders(entry.text, values);
  std::string notes = services_.record({entry.number, entry.level, std::string(entry.title), text, values.procedure});
  withState([&](ThreadState& s) {
    s.values.errorText += notes;  // log failures are noted, never shown
    s.values.previous = text;
  });

  switch (effectiveLevel(entry.level)) {
    case MessageLevel::kBenign: return kMessageResultYes;
    case MessageLevel::kUser:
    case MessageLevel::kCancel: {
      MessageBoxRequest box{std::string(entry.title), messageBoxText(text), MessageIcon::kQuestion,
                            kButtonYes | kButtonNo, services_.questionDefault()};
      return dialogs_.messageBox(box) == kButtonYes ? kMessageResultYes : kMessageResultNo;
    }
    case MessageLevel::kNotify:
      dialogs_.messageBox({std::string(entry.title), messageBoxText(text), MessageIcon::kExclamation, kButtonOk,
                           kButtonOk});
      return kMessageResultNotified;
    case MessageLevel::kProgram:
    case MessageLevel::kFatal: break;
  }
  std::string shown = cutUtf8(text + std::string(kFatalSuffix), kMaxMessageText);
  dialogs_.messageBox({std::string(entry.title), messageBoxText(shown), MessageIcon::kError, kButtonOk, kButtonOk});
  application_.requestShutdown(text);
  return kMessageResultFatal;
}

uint32_t ErrorManager::message(std::string_view text, std::string_view title, MessageIcon icon, uint32_t buttons,
                               uint32_t defaultButton) {
  if (buttons == 0) buttons = kButtonOk;
  MessageBoxRequest box{std::string(title), messageBoxText(text), icon, buttons,
                        effectiveDefaultButton(buttons, defaultButton)};
  return dialogs_.messageBox(box);
}

int ErrorManager::ask(std::string_view text, std::string_view title, std::string_view buttonList, int defaultButton,
                      MessageIcon icon) {
  int count = static_cast<int>(splitButtonList(buttonList).size());
  if (defaultButton < 1 || defaultButton > count) defaultButton = 1;
  return dialogs_.question({std::string(title), messageBoxText(text), icon, std::string(buttonList), defaultButton});
}

// ---- ShutdownCoordinator ----------------------------------------------------

ShutdownCoordinator::BulkOperation::BulkOperation(ShutdownCoordinator& owner) : owner_(owner) {
  std::lock_guard lock(owner_.mu_);
  ++owner_.active_;
}

ShutdownCoordinator::BulkOperation::~BulkOperation() {
  std::lock_guard lock(owner_.mu_);
  if (--owner_.active_ == 0) owner_.idle_.notify_all();
}

void ShutdownCoordinator::setHandler(Handler handler) {
  std::lock_guard lock(mu_);
  handler_ = std::move(handler);
}

void ShutdownCoordinator::requestShutdown(std::string_view reason) {
  Handler handler;
  std::string first;
  {
    std::lock_guard lock(mu_);
    if (requested_) return;
    requested_ = true;
    reason_ = reason;
    handler = handler_;
    first = reason_;
  }
  if (handler) handler(first);
}

bool ShutdownCoordinator::shutdownRequested() const {
  std::lock_guard lock(mu_);
  return requested_;
}

std::string ShutdownCoordinator::reason() const {
  std::lock_guard lock(mu_);
  return reason_;
}

int ShutdownCoordinator::activeBulkOperations() const {
  std::lock_guard lock(mu_);
  return active_;
}

void ShutdownCoordinator::waitForBulkOperations() {
  std::unique_lock lock(mu_);
  idle_.wait(lock, [this] { return active_ == 0; });
}

}  // namespace vorlam
