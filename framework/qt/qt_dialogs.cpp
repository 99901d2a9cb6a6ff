#include "framework/qt/qt_dialogs.h"

#include "framework/qt/screen_modal.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include <QVBoxLayout>

namespace vorlam::qt {

namespace {

QString fromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

QStringList captionsOf(const std::vector<uint32_t>& buttons) {
  QStringList out;
  for (uint32_t b : buttons) {
    std::string_view c = buttonCaption(b);
    out << QString::fromUtf8(c.data(), qsizetype(c.size()));
  }
  return out;
}

// Runs `fn` on the GUI thread and waits for it; runs it in place when already
// there.  Widgets must never be created on a screen's worker thread.
template <typename Fn>
void onGuiThread(Fn fn) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || QThread::currentThread() == app->thread()) {
    fn();
    return;
  }
  QMetaObject::invokeMethod(app, fn, Qt::BlockingQueuedConnection);
}

}  // namespace

QIcon messageIcon(MessageIcon icon) {
  QStyle* style = QApplication::style();
  switch (icon) {
    case MessageIcon::kInformation:
      return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case MessageIcon::kQuestion:
      return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case MessageIcon::kExclamation:
      return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case MessageIcon::kError:
      return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case MessageIcon::kNone:
      break;
  }
  return {};
}

MessageWindow::MessageWindow(const QString& title, const QString& text, MessageIcon icon,
                             const QStringList& captions, int defaultButton, QWidget* parent)
    : QDialog(parent), icon_(icon) {
  setWindowTitle(title);
  setModal(true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* body = new QHBoxLayout;
  QIcon qicon = messageIcon(icon);
  if (!qicon.isNull()) {
    auto* iconLabel = new QLabel(this);
    iconLabel->setObjectName("icon");
    int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    iconLabel->setPixmap(qicon.pixmap(size, size));
    iconLabel->setAlignment(Qt::AlignTop);
    body->addWidget(iconLabel);
  }
  textLabel_ = new QLabel(this);
  textLabel_->setObjectName("text");
  // Catalogue texts carry file names and typed values: never read them as
  // rich text.
  textLabel_->setTextFormat(Qt::PlainText);
  textLabel_->setText(text);
  textLabel_->setWordWrap(text.size() > 80);
  textLabel_->setMinimumWidth(qMin(fontMetrics().horizontalAdvance(text), 420));
  textLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  body->addWidget(textLabel_, 1);

  auto* row = new QHBoxLayout;
  row->addStretch(1);
  default_ = (defaultButton >= 1 && defaultButton <= captions.size()) ? defaultButton : 1;
  for (int i = 0; i < captions.size(); ++i) {
    auto* button = new QPushButton(captions[i], this);
    button->setAutoDefault(true);
    const int number = i + 1;
    connect(button, &QPushButton::clicked, this, [this, number] { done(number); });
    buttons_.push_back(button);
    row->addWidget(button);
  }
  row->addStretch(1);
  if (!buttons_.empty()) buttons_[size_t(default_ - 1)]->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body);
  layout->addLayout(row);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString MessageWindow::text() const { return textLabel_->text(); }

void MessageWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!buttons_.empty()) buttons_[size_t(default_ - 1)]->setFocus(Qt::OtherFocusReason);
}

int QtDialogs::run(const QString& title, const QString& text, MessageIcon icon, const QStringList& captions,
                   int defaultButton) {
  int result = 0;
  onGuiThread([&] {
    MessageWindow window(title, text, icon, captions, defaultButton, parent_);
    result = execForScreen(window);
  });
  return result;
}

uint32_t QtDialogs::messageBox(const MessageBoxRequest& request) {
  const uint32_t set = request.buttons == 0 ? kButtonOk : request.buttons;
  const std::vector<uint32_t> buttons = buttonsOf(set);
  const uint32_t preferred = effectiveDefaultButton(set, request.defaultButton);
  int defaultNumber = 1;
  for (size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i] == preferred) defaultNumber = int(i) + 1;
  int pressed = run(fromUtf8(request.title), fromUtf8(request.text), request.icon, captionsOf(buttons),
                    defaultNumber);
  if (pressed >= 1 && pressed <= int(buttons.size())) return buttons[size_t(pressed - 1)];
  return (set & kButtonCancel) ? kButtonCancel : preferred;
}

int QtDialogs::question(const QuestionRequest& request) {
  QStringList captions;
  for (const std::string& c : splitButtonList(request.buttonList)) captions << fromUtf8(c);
  int pressed = run(fromUtf8(request.title), fromUtf8(request.text), request.icon, captions,
                    request.defaultButton);
  return pressed >= 1 ? pressed : int(captions.size());
}

std::optional<std::string> QtDialogs::chooseFile(const FileRequest& request) {
  // "Imagens | *.bmp;*.gif" is Qt's "Imagens (*.bmp *.gif)".
  QString filter = QString::fromUtf8(request.filter.c_str());
  if (const qsizetype bar = filter.indexOf('|'); bar >= 0) {
    QString patterns = filter.mid(bar + 1).trimmed();
    patterns.replace(';', ' ');
    filter = filter.left(bar).trimmed() + " (" + patterns + ")";
  }
  // The static dialog leaves the working directory alone.
  const QString chosen = QFileDialog::getOpenFileName(parent_, QString::fromUtf8(request.title.c_str()),
                                                      QString::fromUtf8(request.directory.c_str()), filter);
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.toStdString();
}

}  // namespace vorlam::qt
