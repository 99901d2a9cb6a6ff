#include "adjust/qt/pending_dialog.h"

#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>
#include <atomic>
#include <thread>

#include "adjust/pending_completion.h"

namespace vorlam::adjust {
namespace {

// Hands the run's progress to the dialog on the GUI thread.
class DialogObserver : public Observer {
 public:
  explicit DialogObserver(QProgressDialog* dialog) : dialog_(dialog) {}
  void logLine(const std::string& line) override {
    if (line.rfind("   Ajustando", 0) == 0 || line.rfind("-Concluindo", 0) == 0) post(QString::fromStdString(line).trimmed());
  }
  void fileRange(int64_t total) override {
    total_ = total;
    filePosition(0);
  }
  void filePosition(int64_t position) override {
    if (total_ <= 0) return;
    int percent = static_cast<int>(position * 100 / total_);
    QPointer<QProgressDialog> d = dialog_;
    QMetaObject::invokeMethod(
        dialog_, [d, percent] { if (d) d->setValue(percent); }, Qt::QueuedConnection);
  }

 private:
  void post(const QString& text) {
    QPointer<QProgressDialog> d = dialog_;
    QMetaObject::invokeMethod(
        dialog_, [d, text] { if (d) d->setLabelText(text); }, Qt::QueuedConnection);
  }
  QProgressDialog* dialog_;
  std::atomic<int64_t> total_{0};
};

}  // namespace

void offerPendingCompletion(shell::qt::ShellServices& services, QWidget* parent) {
  shell::Session& session = services.session;
  std::vector<PendingAdjustment> pending = pendingAdjustments(session.state());
  if (pending.empty()) return;
  if (services.dialogs.question(pendingQuestion(pending)) != 2) return;

  QProgressDialog dialog(QString::fromUtf8("Concluindo o ajuste do plano de contas..."), QString(), 0, 100, parent);
  dialog.setWindowTitle(QString::fromUtf8(kPendingTitle));
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setMinimumDuration(0);
  dialog.show();
  DialogObserver observer(&dialog);
  PendingOutcome outcome;
  QEventLoop loop;
  std::thread worker([&] {
    outcome = completePending(session.dictionary(), session.state(), pending, &observer);
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
  dialog.close();

  MessageBoxRequest done;
  done.title = kPendingTitle;
  done.text = pendingSummary(outcome);
  for (const auto& m : outcome.messages) done.text += "|" + m;
  done.icon = outcome.failed == 0 ? MessageIcon::kInformation : MessageIcon::kError;
  services.dialogs.messageBox(done);
}

}  // namespace vorlam::adjust
