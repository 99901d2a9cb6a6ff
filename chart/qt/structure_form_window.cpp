#include "chart/qt/structure_form_window.h"

#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>


#include "framework/qt/model_view.h"

namespace vorlam::chart::qt {

namespace {

namespace fq = vorlam::qt;

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

fq::FieldControl controlOf(StructureControl c) {
  switch (c) {
    case StructureControl::kEntry: return fq::FieldControl::kEntry;
    case StructureControl::kDropList: return fq::FieldControl::kDropList;
    case StructureControl::kDisplay: return fq::FieldControl::kDisplay;
  }
  return fq::FieldControl::kEntry;
}

fq::FormFieldLayout fieldLayout(const StructureFieldText& f) {
  fq::FormFieldLayout out;
  out.field = f.field;
  out.prompt = f.prompt;
  out.tip = f.tip;
  out.picture = f.picture;
  out.control = controlOf(f.control);
  for (const StructureChoice& c : f.choices) out.choices.push_back({std::to_string(c.value), c.caption});
  return out;
}

fq::FormButtonTexts buttonTexts(const StructureFormButtons& b) {
  return {b.ok.caption, b.ok.tip, b.cancel.caption, b.cancel.tip};
}


}  // namespace

fq::FormLayout structureFormLayout(Request request) {
  // Code, name and level count; the nine levels; the mask; the two choices.
  const auto fields = structureFormFields();
  const size_t groupEnds[] = {3, 12, 13, fields.size()};
  fq::FormTabLayout tab;
  size_t at = 0;
  for (size_t end : groupEnds) {
    fq::FormGroupLayout group;
    for (; at < end && at < fields.size(); ++at) group.fields.push_back(fieldLayout(fields[at]));
    tab.groups.push_back(std::move(group));
  }
  fq::FormLayout layout;
  layout.tabs.push_back(std::move(tab));
  layout.buttons = buttonTexts(structureFormButtons(request));
  return layout;
}

StructureFormWindow::StructureFormWindow(StructureForm& form, Dialogs& dialogs, QWidget* parent)
    : FormWindow(form.controller(), structureFormLayout(form.request()), dialogs, parent),
      form_(form),
      dialogs_(dialogs) {
  form.setErrorSound([] { QApplication::beep(); });
  // Captions, tips and status texts are the screen model's: OK, Cancel and
  // Help in the order it declares them.
  ScreenModel& model = form.screen();
  model.setDialogs(&dialogs_);
  const std::vector<ScreenButton>& buttons = model.buttons();
  fq::showModelButton(okButton(), model, buttons.at(0));
  fq::showModelButton(cancelButton(), model, buttons.at(1));

  // The instruction goes between the fields and the buttons, the help button
  // after the others.
  auto* top = qobject_cast<QBoxLayout*>(layout());
  instruction_ = new QLabel(fromUtf8(std::string(kStructureFormInstruction) + "\n\n" + kStructureFormExample), this);
  instruction_->setWordWrap(true);
  instruction_->setFrameShape(QFrame::StyledPanel);
  instruction_->setMargin(6);
  help_ = new QPushButton(this);
  fq::showModelButton(help_, model, buttons.at(2));
  help_->setAutoDefault(false);
  const std::string helpCaption = buttons.at(2).caption;
  connect(help_, &QPushButton::clicked, this, [&model, helpCaption] { model.press(helpCaption); });
  if (top != nullptr && top->count() > 0) {
    QLayoutItem* last = top->itemAt(top->count() - 1);
    top->insertWidget(top->count() - 1, instruction_);
    if (auto* row = qobject_cast<QBoxLayout*>(last->layout())) row->addWidget(help_);
    else top->addWidget(help_);
  }

  arrangeLevelsInARow();

  // The form asks for the focus when a field is accepted or a save refused;
  // these run after the window's own handling of the same signals.
  for (const StructureFieldText& f : structureFormFields()) {
    if (auto* edit = qobject_cast<QLineEdit*>(control(f.field)))
      connect(edit, &QLineEdit::editingFinished, this, &StructureFormWindow::applyFocusRequest);
  }
  connect(okButton(), &QPushButton::clicked, this, &StructureFormWindow::applyFocusRequest);
}

void StructureFormWindow::arrangeLevelsInARow() {
  // The generic window puts each field on a line of its own; the nine
  // one-digit levels read better side by side, prompts above entries.  The
  // widgets keep their parent, so the tab order stays as it was.
  QWidget* first = control(structureFormFields()[3].field);
  QWidget* page = first == nullptr ? nullptr : first->parentWidget();
  auto* column = page == nullptr ? nullptr : qobject_cast<QBoxLayout*>(page->layout());
  if (column == nullptr) return;
  QGridLayout* old = nullptr;
  int at = -1;
  for (int i = 0; i < column->count() && old == nullptr; ++i) {
    auto* grid = qobject_cast<QGridLayout*>(column->itemAt(i)->layout());
    if (grid != nullptr && prompt(structureFormFields()[3].field) != nullptr &&
        grid->indexOf(prompt(structureFormFields()[3].field)) >= 0) {
      old = grid;
      at = i;
    }
  }
  if (old == nullptr) return;
  auto* levels = new QGridLayout;
  const int width = fontMetrics().averageCharWidth() * 3 + 14;
  for (int n = 1; n <= kUsedLevels; ++n) {
    const char* field = structureFormFields()[size_t(2 + n)].field;
    QWidget* entry = control(field);
    QLabel* label = prompt(field);
    if (entry == nullptr || label == nullptr) return;
    old->removeWidget(label);
    for (int r = 0; r < old->rowCount(); ++r)
      if (QLayoutItem* cell = old->itemAtPosition(r, 1); cell && cell->layout()) cell->layout()->removeWidget(entry);
    entry->setFixedWidth(width);
    levels->addWidget(label, 0, n - 1, Qt::AlignHCenter);
    levels->addWidget(entry, 1, n - 1);
  }
  levels->setColumnStretch(kUsedLevels, 1);
  column->removeItem(old);
  delete old;
  column->insertLayout(at, levels);
}

void StructureFormWindow::applyFocusRequest() {
  const int field = form_.controller().takeFocusRequest();
  if (field < 0) return;
  QWidget* target = control(form_.controller().table().def().fields[size_t(field)].name);
  if (target == nullptr) return;
  // Deferred: the Tab or Enter that accepted the field is still moving the
  // focus, and the request must land after it.
  QTimer::singleShot(0, target, [target] { target->setFocus(Qt::OtherFocusReason); });
}


}  // namespace vorlam::chart::qt
