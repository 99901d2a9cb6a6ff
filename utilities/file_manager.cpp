#include "utilities/file_manager.h"

namespace vorlam::utilities {

// The listener of one entry's operation, on the worker thread.
class FileManager::Worker : public StepListener {
 public:
  explicit Worker(FileManager& m) : m_(m) {}
  void action(const std::string& text) override {
    {
      std::lock_guard<std::mutex> lock(m_.mu_);
      m_.progress_.action = text;
    }
    m_.notify();
  }
  void progress(int64_t done, int64_t total) override {
    const int pct = progressPercent(done, total);
    {
      std::lock_guard<std::mutex> lock(m_.mu_);
      if (pct == m_.progress_.filePercent) return;
      m_.progress_.filePercent = pct;
    }
    m_.notify();
  }
  bool cancelled() override { return m_.cancel_.load(); }
  void message(const std::string& title, const std::string& text) override { m_.post(title, text); }

 private:
  FileManager& m_;
};

FileManager::FileManager(const Dictionary& dict, Names names, Dialogs& dialogs, std::string recfix)
    : dict_(dict), names_(std::move(names)), dialogs_(dialogs), recfix_(std::move(recfix)) {
  for (const MaintainedFile& f : maintainedFiles()) {
    FileEntry e;
    e.label = f.label;
    e.description = f.description;
    entries_.push_back(std::move(e));
  }
}

FileManager::~FileManager() { stop(); }

bool FileManager::open() {
  for (const char* text : {kFirstQuestion, kSecondQuestion}) {
    QuestionRequest q;
    q.title = kQuestionTitle;
    q.text = text;
    q.icon = MessageIcon::kExclamation;
    q.buttonList = kQuestionButtons;
    q.defaultButton = 1;
    if (dialogs_.question(q) != 2) return false;
  }
  return true;
}

std::vector<FileEntry> FileManager::entries() const {
  std::lock_guard<std::mutex> lock(mu_);
  return entries_;
}

void FileManager::setCursor(int row) {
  if (row >= 0 && row < int(maintainedFiles().size())) cursor_ = row;
}

void FileManager::click(int row) {
  if (row < 0 || row >= int(maintainedFiles().size())) return;
  cursor_ = row;
  std::lock_guard<std::mutex> lock(mu_);
  entries_[size_t(row)].tagged = !entries_[size_t(row)].tagged;
  bool any = false;
  for (const FileEntry& e : entries_) any = any || e.tagged;
  locked_ = !any;
}

void FileManager::tagAll(bool tagged) {
  std::lock_guard<std::mutex> lock(mu_);
  for (FileEntry& e : entries_) e.tagged = tagged;
  locked_ = !tagged;
}

bool FileManager::operationsEnabled() const { return !locked_ && !running(); }

ProgressState FileManager::progress() const {
  std::lock_guard<std::mutex> lock(mu_);
  ProgressState p = progress_;
  p.running = running();
  return p;
}

bool FileManager::start(MaintenanceOp op) {
  if (running()) return false;
  if (worker_.joinable()) worker_.join();
  std::vector<int> targets;
  {
    std::lock_guard<std::mutex> lock(mu_);
    for (size_t i = 0; i < entries_.size(); ++i)
      if (entries_[i].tagged) targets.push_back(int(i));
    if (targets.empty()) targets.push_back(cursor_);
    progress_ = ProgressState();
    progress_.filesTotal = progress_.filesLeft = int(targets.size());
  }
  MaintenanceContext context;
  context.dict = &dict_;
  context.names = names_ ? names_() : shell::BindingMap();
  context.recfix = recfix_;
  cancel_.store(false);
  stopAll_.store(false);
  running_.store(true);
  worker_ = std::thread([this, op, targets = std::move(targets), context = std::move(context)] {
    run(op, targets, context);
  });
  return true;
}

void FileManager::run(MaintenanceOp op, std::vector<int> targets, MaintenanceContext context) {
  for (int index : targets) {
    if (stopAll_.load()) break;
    runEntry(op, index, context);
    {
      std::lock_guard<std::mutex> lock(mu_);
      --progress_.filesLeft;
      const int total = progress_.filesTotal;
      progress_.overallPercent = total > 0 ? (total - progress_.filesLeft) * 100 / total : 100;
    }
    notify();
  }
  {
    std::lock_guard<std::mutex> lock(mu_);
    running_.store(false);
  }
  cv_.notify_all();
  if (changed_) changed_();
}

void FileManager::runEntry(MaintenanceOp op, int index, const MaintenanceContext& context) {
  FileEntry entry;
  {
    std::lock_guard<std::mutex> lock(mu_);
    entry = entries_[size_t(index)];
    progress_.currentFile = entry.label;
    progress_.action.clear();
    progress_.filePercent = 0;
  }
  cancel_.store(false);
  notify();
  if ((op == MaintenanceOp::kRepair && entry.noRepair) || (op == MaintenanceOp::kRebuild && entry.noCopy)) return;
  if (op == MaintenanceOp::kRepair && entry.encrypted == "1") {
    post(kErrorTitle, "Can't fix encrypted file : " + entry.label);
    return;
  }
  Worker listener(*this);
  const MaintainedFile file{maintainedFiles()[size_t(index)].label, maintainedFiles()[size_t(index)].description};
  MaintenanceResult r = runMaintenance(op, context, file, listener);
  std::lock_guard<std::mutex> lock(mu_);
  if (r.count) entries_[size_t(index)].count = *r.count;
  if (r.name) entries_[size_t(index)].name = *r.name;
  if (!r.cancelled && !r.skipped) progress_.filePercent = 100;
}

void FileManager::post(const std::string& title, const std::string& text) {
  Message m{title, text};
  std::unique_lock<std::mutex> lock(mu_);
  messages_.push_back(&m);
  cv_.notify_all();
  lock.unlock();
  if (changed_) changed_();
  lock.lock();
  cv_.wait(lock, [&] { return m.shown; });
}

void FileManager::notify() {
  if (changed_) changed_();
}

void FileManager::pump() {
  std::unique_lock<std::mutex> lock(mu_);
  while (!messages_.empty()) {
    Message* m = messages_.front();
    messages_.pop_front();
    lock.unlock();
    MessageBoxRequest box;
    box.title = m->title;
    box.text = messageBoxText(m->text);
    box.icon = MessageIcon::kExclamation;
    dialogs_.messageBox(box);
    lock.lock();
    m->shown = true;
    cv_.notify_all();
  }
}

void FileManager::waitForRun() {
  for (;;) {
    pump();
    std::unique_lock<std::mutex> lock(mu_);
    cv_.wait(lock, [&] { return !messages_.empty() || !running_.load(); });
    if (messages_.empty() && !running_.load()) break;
  }
  if (worker_.joinable()) worker_.join();
}

void FileManager::stop() {
  stopAll_.store(true);
  cancel_.store(true);
  waitForRun();
}

}  // namespace vorlam::utilities
