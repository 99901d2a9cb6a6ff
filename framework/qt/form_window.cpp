#include "framework/qt/form_window.h"

#include "framework/qt/window_filter.h"
#include "storage/text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace vorlam::qt {

namespace {

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }


bool isNumberPicture(const Picture& p) {
  return p.kind() == Picture::Kind::kNumber || p.kind() == Picture::Kind::kPattern;
}

// The one-line editor of an entry or a combo list; nullptr for others.
QLineEdit* editorOf(QWidget* control) {
  if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit;
  if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->lineEdit();
  return nullptr;
}

// The text choices of a list: the layout's own, then the table's.
std::vector<FormChoice> choicesOf(const FormFieldLayout& f) {
  std::vector<FormChoice> out = f.choices;
  if (!f.tableChoices || f.tableChoices->table == nullptr) return out;
  const FormTableChoices& from = *f.tableChoices;
  Table& table = *from.table;
  const int value = table.def().fieldIndex(from.valueField);
  const int caption = from.captionField.empty() ? value : table.def().fieldIndex(from.captionField);
  const int key = from.key.empty() ? kFileOrder : table.def().keyIndex(from.key);
  if (value < 0 || caption < 0 || (key < 0 && key != kFileOrder)) return out;
  if (!table.seekStart(key).isOk()) return out;
  for (int n = 0; n < from.limit && table.next().isOk(); ++n) {
    const Record& r = table.buffer();
    out.push_back({latin1ToUtf8(r.getAsText(value)), latin1ToUtf8(r.getAsText(caption))});
  }
  table.endWalk();
  return out;
}

}  // namespace

FormWindow::FormWindow(FormController& form, const FormLayout& layout, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), form_(form), layout_(layout), dialogs_(dialogs) {
  setWindowTitle(fromUtf8(form_.title()));
  auto* top = new QVBoxLayout(this);
  caption_ = new QLabel(fromUtf8(form_.caption()), this);
  QFont bold = caption_->font();
  bold.setBold(true);
  caption_->setFont(bold);
  top->addWidget(caption_);
  if (layout_.tabs.size() == 1) {
    top->addWidget(buildTab(layout_.tabs.front()));
  } else {
    tabs_ = new QTabWidget(this);
    for (const FormTabLayout& tab : layout_.tabs) tabs_->addTab(buildTab(tab), fromUtf8(tab.caption));
    top->addWidget(tabs_);
  }
  buildButtons(top);
  refresh();
  behaviour_ = installScreenBehaviour(this);
}

FormWindow::~FormWindow() {
  // Closing moves the focus away from the field being edited, and its
  // editing-finished signal must not reach a window half torn down.
  for (Bound& b : bound_) b.control->disconnect(this);
}

QWidget* FormWindow::buildTab(const FormTabLayout& tab) {
  auto* page = new QWidget(this);
  auto* column = new QVBoxLayout(page);
  for (const FormGroupLayout& group : tab.groups) {
    QWidget* holder = page;
    if (!group.caption.empty()) holder = new QGroupBox(fromUtf8(group.caption), page);
    auto* grid = new QGridLayout(holder == page ? nullptr : holder);
    if (holder == page) column->addLayout(grid);
    else column->addWidget(holder);
    int row = 0;
    for (const FormFieldLayout& f : group.fields) bindField(f, holder, grid, row++);
  }
  column->addStretch(1);
  return page;
}


QWidget* FormWindow::buildList(Bound& b, QWidget* parent, bool editable) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(editable);
  for (const FormChoice& c : choicesOf(b.layout)) combo->addItem(fromUtf8(c.caption), fromUtf8(c.value));
  connect(combo, &QComboBox::activated, this, [this, combo](int index) {
    if (Bound* bb = boundOf(combo)) send(*bb, combo->itemData(index).toString().toStdString());
  });
  if (editable) {
    combo->setInsertPolicy(QComboBox::NoInsert);
    QLineEdit* edit = combo->lineEdit();
    if (b.picture.width() > 0) edit->setMaxLength(b.picture.width());
    connect(edit, &QLineEdit::editingFinished, this, [this, combo] {
      if (Bound* bb = boundOf(combo)) commit(*bb);
    });
  }
  return combo;
}

QWidget* FormWindow::buildControl(Bound& b, QWidget* parent) {
  const FormFieldLayout& f = b.layout;
  const QString prompt = fromUtf8(f.prompt);
  switch (f.control) {
    case FieldControl::kEntry: {
      auto* edit = new QLineEdit(parent);
      if (b.picture.width() > 0) {
        edit->setMaxLength(b.picture.width());
        // As wide as the picture (digits run wider than the average
        // character), up to the width of a long name; short fields keep
        // their width when the window grows.
        const int chars = qMin(b.picture.width(), 50);
        const QFontMetrics fm = edit->fontMetrics();
        const int glyph = b.picture.kind() == Picture::Kind::kText ? fm.averageCharWidth() : fm.horizontalAdvance('0');
        edit->setMinimumWidth(chars * glyph + 14);
        if (b.picture.width() <= 30) edit->setMaximumWidth(chars * glyph + 14);
      }
      if (isNumberPicture(b.picture)) edit->setAlignment(Qt::AlignRight);
      connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
        if (Bound* bb = boundOf(edit)) commit(*bb);
      });
      return edit;
    }
    case FieldControl::kDropList:
      return buildList(b, parent, false);
    case FieldControl::kComboList:
      return buildList(b, parent, true);
    case FieldControl::kRadioGroup: {
      auto* box = new QGroupBox(prompt, parent);
      auto* buttons = new QButtonGroup(box);
      auto* line = new QHBoxLayout(box);
      for (size_t i = 0; i < f.choices.size(); ++i) {
        auto* radio = new QRadioButton(fromUtf8(f.choices[i].caption), box);
        radio->setToolTip(fromUtf8(f.tip));
        buttons->addButton(radio, int(i));
        line->addWidget(radio);
      }
      line->addStretch(1);
      connect(buttons, &QButtonGroup::idClicked, this, [this, box](int id) {
        if (Bound* bb = boundOf(box)) send(*bb, bb->layout.choices[size_t(id)].value);
      });
      return box;
    }
    case FieldControl::kCheckBox: {
      auto* check = new QCheckBox(prompt, parent);
      connect(check, &QCheckBox::clicked, this, [this, check](bool on) {
        if (Bound* bb = boundOf(check)) send(*bb, on ? bb->layout.checkedValue : bb->layout.uncheckedValue);
      });
      return check;
    }
    case FieldControl::kDisplay: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      label->setFrameShape(QFrame::Panel);
      label->setFrameShadow(QFrame::Sunken);
      label->setMinimumWidth(qMax(60, b.picture.width() * label->fontMetrics().averageCharWidth()));
      return label;
    }
  }
  return nullptr;
}

void FormWindow::bindField(const FormFieldLayout& f, QWidget* parent, QGridLayout* grid, int row) {
  Bound b;
  b.layout = f;
  b.field = form_.fieldIndex(f.field);
  if (!f.picture.empty()) {
    Result<Picture> p = Picture::compile(f.picture);
    if (p.isOk()) b.picture = p.value();
  }
  const QString prompt = fromUtf8(f.prompt);
  const QString tip = fromUtf8(f.tip);
  b.control = buildControl(b, parent);
  b.control->setToolTip(tip);
  b.control->setObjectName(fromUtf8(f.field));
  const bool promptInside = f.control == FieldControl::kRadioGroup || f.control == FieldControl::kCheckBox;
  if (!promptInside && !f.prompt.empty()) {
    b.prompt = new QLabel(prompt, parent);
    b.prompt->setBuddy(b.control);
    grid->addWidget(b.prompt, row, 0);
  }
  auto* cell = new QHBoxLayout;
  cell->addWidget(b.control, 1);
  if (!f.lookupTip.empty()) {
    auto* lookup = new QToolButton(parent);
    lookup->setText("...");
    lookup->setToolTip(fromUtf8(f.lookupTip));
    lookup->setFocusPolicy(Qt::TabFocus);
    const std::string name = f.field;
    connect(lookup, &QToolButton::clicked, this, [this, name] {
      for (Bound& bb : bound_) {
        if (bb.layout.field != name || !bb.onLookup) continue;
        bb.onLookup();
        refresh();
        focusField(bb.field);
        applyFocusRequest();
      }
    });
    b.lookup = lookup;
    cell->addWidget(lookup);
  }
  if (b.control->maximumWidth() < QWIDGETSIZE_MAX) cell->addStretch(1);
  grid->addLayout(cell, row, 1);
  bound_.push_back(std::move(b));
}

void FormWindow::buildButtons(QBoxLayout* layout) {
  FormButtonTexts texts = layout_.buttons;
  if (auto it = layout_.byRequest.find(form_.request()); it != layout_.byRequest.end()) texts = it->second;
  ok_ = new QPushButton(fromUtf8(texts.okCaption), this);
  ok_->setToolTip(fromUtf8(texts.okTip));
  ok_->setDefault(true);
  cancel_ = new QPushButton(fromUtf8(texts.cancelCaption), this);
  cancel_->setToolTip(fromUtf8(texts.cancelTip));
  connect(ok_, &QPushButton::clicked, this, &FormWindow::pressOk);
  connect(cancel_, &QPushButton::clicked, this, &FormWindow::reject);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(ok_);
  row->addWidget(cancel_);
  layout->addLayout(row);
}

void FormWindow::setLookup(const std::string& field, std::function<void()> lookup) {
  for (Bound& b : bound_)
    if (b.layout.field == field) b.onLookup = lookup;
}

QWidget* FormWindow::control(const std::string& field) const {
  for (const Bound& b : bound_)
    if (b.layout.field == field) return b.control;
  return nullptr;
}

QLabel* FormWindow::prompt(const std::string& field) const {
  for (const Bound& b : bound_)
    if (b.layout.field == field) return b.prompt;
  return nullptr;
}

QAbstractButton* FormWindow::lookupButton(const std::string& field) const {
  for (const Bound& b : bound_)
    if (b.layout.field == field) return b.lookup;
  return nullptr;
}

FormWindow::Bound* FormWindow::boundOf(QWidget* w) {
  for (Bound& b : bound_)
    if (b.control == w) return &b;
  return nullptr;
}

QString FormWindow::displayText(const Bound& b) const {
  const std::string plain = form_.text(b.field);
  if (b.layout.picture.empty()) return fromUtf8(plain);
  // The controller's text is plain (dots for decimals); read it by the
  // field's type rather than through the picture's typing rules.
  const FieldDef& def = form_.table().def().fields[size_t(b.field)];
  PictureValue v;
  if (def.typeSpec.type == FieldType::kString) {
    v = plain;
  } else if (def.typeSpec.type == FieldType::kDecimal) {
    v = Decimal::parse(plain, def.typeSpec.places).value_or(Decimal());
  } else {
    const int64_t n = plain.empty() ? 0 : std::strtoll(plain.c_str(), nullptr, 10);
    if (b.picture.kind() == Picture::Kind::kDate) v = DayNumber{int32_t(n)};
    else if (b.picture.kind() == Picture::Kind::kTime) v = TimeOfDay{int32_t(n)};
    else v = n;
  }
  Result<std::string> shown = b.picture.format(v);
  return shown.isOk() ? fromUtf8(shown.value()).trimmed() : fromUtf8(plain);
}

void FormWindow::showValue(const Bound& b) {
  if (b.field < 0) return;
  const std::string plain = form_.text(b.field);
  switch (b.layout.control) {
    case FieldControl::kEntry: {
      auto* edit = static_cast<QLineEdit*>(b.control);
      const QString text = displayText(b);
      if (edit->text() != text) edit->setText(text);
      edit->setModified(false);
      break;
    }
    case FieldControl::kDropList: {
      auto* combo = static_cast<QComboBox*>(b.control);
      combo->setCurrentIndex(combo->findData(fromUtf8(plain).trimmed()));
      break;
    }
    case FieldControl::kComboList: {
      auto* combo = static_cast<QComboBox*>(b.control);
      const int at = combo->findData(fromUtf8(plain).trimmed());
      combo->setCurrentIndex(at);
      // A value that is none of the choices is shown as typed.
      if (at < 0) combo->setEditText(displayText(b));
      combo->lineEdit()->setModified(false);
      break;
    }
    case FieldControl::kRadioGroup: {
      auto* group = b.control->findChild<QButtonGroup*>();
      QString trimmed = fromUtf8(plain).trimmed();
      for (size_t i = 0; i < b.layout.choices.size(); ++i)
        if (QAbstractButton* r = group->button(int(i)); r && fromUtf8(b.layout.choices[i].value) == trimmed)
          r->setChecked(true);
      break;
    }
    case FieldControl::kCheckBox:
      static_cast<QCheckBox*>(b.control)->setChecked(fromUtf8(plain).trimmed() == fromUtf8(b.layout.checkedValue));
      break;
    case FieldControl::kDisplay:
      static_cast<QLabel*>(b.control)->setText(displayText(b));
      break;
  }
}

void FormWindow::applyState(const Bound& b) {
  if (b.field < 0) return;
  const FieldState s = form_.fieldState(b.field);
  b.control->setVisible(s.visible);
  if (b.prompt) {
    b.prompt->setVisible(s.visible);
    b.prompt->setEnabled(s.enabled);
  }
  if (b.lookup) {
    b.lookup->setVisible(s.visible);
    b.lookup->setEnabled(s.enabled && !s.readOnly);
  }
  if (auto* edit = qobject_cast<QLineEdit*>(b.control)) {
    edit->setEnabled(s.enabled);
    edit->setReadOnly(s.readOnly);
  } else if (b.layout.control != FieldControl::kDisplay) {
    // Drop lists, radio groups and check boxes have no read-only mode.
    b.control->setEnabled(s.enabled && !s.readOnly);
  }
}

void FormWindow::refresh() {
  refreshing_ = true;
  for (const Bound& b : bound_) {
    showValue(b);
    applyState(b);
  }
  refreshing_ = false;
}

bool FormWindow::send(Bound& b, const std::string& utf8) {
  if (refreshing_ || b.field < 0) return true;
  Status s = form_.type(b.field, utf8);
  if (!s.isOk()) {
    MessageBoxRequest box;
    box.title = "Atenção!!!";
    box.text = s.message();
    box.icon = MessageIcon::kExclamation;
    dialogs_.messageBox(box);
  }
  refresh();
  applyFocusRequest();
  return s.isOk();
}

bool FormWindow::commit(Bound& b) {
  QLineEdit* edit = editorOf(b.control);
  if (edit == nullptr || refreshing_ || !edit->isModified() || edit->isReadOnly()) return true;
  std::string typed = edit->text().toStdString();
  // A combo list's choice typed by its caption stores the choice's value.
  if (auto* combo = qobject_cast<QComboBox*>(b.control)) {
    const int at = combo->findText(edit->text(), Qt::MatchFixedString);
    if (at >= 0) typed = combo->itemData(at).toString().toStdString();
  }
  std::string plain = typed;
  if (!b.layout.picture.empty()) {
    const FieldDef& def = form_.table().def().fields[size_t(b.field)];
    const ValueType type = def.typeSpec.type == FieldType::kString ? ValueType::kText : b.picture.naturalType();
    Result<PictureValue> value = b.picture.parse(typed, type);
    if (!value.isOk()) {
      edit->setModified(false);  // one message per typing
      MessageBoxRequest box;
      box.title = "Atenção!!!";
      box.text = value.status().message();
      box.icon = MessageIcon::kExclamation;
      dialogs_.messageBox(box);
      // The field kept its value: show it again, so that what the screen
      // shows is what OK would save.
      refreshing_ = true;
      showValue(b);
      refreshing_ = false;
      edit->setFocus(Qt::OtherFocusReason);
      edit->selectAll();
      return false;
    }
    plain = plainValueText(value.value());
  }
  if (!send(b, plain)) {
    edit->setFocus(Qt::OtherFocusReason);
    return false;
  }
  form_.validateField(b.field);
  refresh();
  return true;
}

bool FormWindow::commitFocused() {
  QWidget* focus = controlOf(focusWidget());
  for (Bound& b : bound_)
    if (b.control == focus) return commit(b);
  return true;
}

void FormWindow::focusField(int field) {
  for (const Bound& b : bound_) {
    if (b.field != field) continue;
    if (tabs_ != nullptr)
      for (int i = 0; i < tabs_->count(); ++i)
        if (tabs_->widget(i)->isAncestorOf(b.control)) tabs_->setCurrentIndex(i);
    b.control->setFocus(Qt::OtherFocusReason);
  }
}

void FormWindow::applyFocusRequest() {
  const int field = form_.takeFocusRequest();
  if (field < 0) return;
  // Deferred: the Tab or Enter that finished the field is still moving the
  // focus, and the request must land after it.
  QTimer::singleShot(0, this, [this, field] { focusField(field); });
}

void FormWindow::finish(std::optional<RecordStep> step) {
  if (!commitFocused()) return;
  FormState state = form_.ok();
  refresh();
  if (state == FormState::kOpen) {
    if (form_.invalidField() >= 0) focusField(form_.invalidField());
    else applyFocusRequest();
    return;
  }
  if (state == FormState::kCompleted) {
    step_ = step;
    accept();
  } else {
    QDialog::reject();
  }
}

void FormWindow::enableNavigation() {
  if (navigation_ != nullptr || form_.request() == Request::kDelete) return;
  navigation_ = new QToolBar(this);
  const bool inserting = form_.request() == Request::kInsert;
  for (int i = 0; i < kRecordStepCount; ++i) {
    const auto step = RecordStep(i);
    const bool saves = inserting && (step == RecordStep::kInsert || step == RecordStep::kNext);
    const QString tip = QString::fromUtf8(saves ? kFormInsertingTip : kFormNavigationTips[i]);
    QAction* a = navigation_->addAction(recordStepIcon(style(), step), tip);
    a->setToolTip(tip);
    connect(a, &QAction::triggered, this, [this, step] { finish(step); });
  }
  static_cast<QBoxLayout*>(layout())->insertWidget(0, navigation_);
}

void FormWindow::reject() {
  if (form_.state() == FormState::kOpen) {
    commitFocused();
    if (form_.cancel() == FormState::kOpen) return;
  }
  QDialog::reject();
}

}  // namespace vorlam::qt
