#include "framework/screen_binding.h"

#include "storage/text.h"

namespace vorlam {

namespace {

std::string trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

}  // namespace

PictureValue pictureValueOf(const Record& row, int field, const Picture& picture) {
  const FieldDef& def = row.def().fields[size_t(field)];
  switch (def.typeSpec.type) {
    case FieldType::kString:
      return latin1ToUtf8(row.getText(field));
    case FieldType::kDecimal:
      return row.getDecimal(field);
    default:
      break;
  }
  const int64_t n = row.getInt(field);
  if (picture.kind() == Picture::Kind::kDate) return DayNumber{int32_t(n)};
  if (picture.kind() == Picture::Kind::kTime) return TimeOfDay{int32_t(n)};
  return n;
}

ListCells::ListCells(std::vector<ListColumn> columns, std::vector<int> fields)
    : columns_(std::move(columns)), fields_(std::move(fields)) {
  fields_.resize(columns_.size(), -1);
  for (const ListColumn& c : columns_) {
    Result<Picture> p = Picture::compile(c.picture);
    pictures_.push_back(p.isOk() ? p.value() : Picture());
  }
}

std::string ListCells::text(const Record& row, int column) const {
  if (column < 0 || column >= int(columns_.size())) return {};
  if (cellText_) {
    if (std::optional<std::string> text = cellText_(row, column)) return *text;
  }
  const int field = fields_[size_t(column)];
  if (field < 0) return {};
  const Picture& picture = pictures_[size_t(column)];
  Result<std::string> text = picture.format(pictureValueOf(row, field, picture));
  return text.isOk() ? trimmed(text.value()) : std::string();
}

std::vector<std::string> ListCells::shownTexts(const Record& row) const {
  std::vector<std::string> out;
  for (size_t c = 0; c < columns_.size(); ++c)
    if (!columns_[c].hidden()) out.push_back(text(row, int(c)));
  return out;
}

std::vector<std::string> ListCells::shownHeaders() const {
  std::vector<std::string> out;
  for (const ListColumn& c : columns_)
    if (!c.hidden()) out.push_back(c.header);
  return out;
}

Status bindForm(ScreenModel& model, FormController& form, const std::vector<FormFieldBinding>& fields) {
  for (const FormFieldBinding& f : fields) {
    const int index = form.fieldIndex(f.field);
    if (index < 0) return Status(StatusCode::kInvalidArgument, "campo desconhecido", f.field);
    const bool text = form.table().def().fields[size_t(index)].isText();
    FormController* fc = &form;
    model.addControl({
        .name = f.field,
        .prompt = f.prompt,
        .kind = f.kind,
        .picture = f.picture,
        .choices = f.choices,
        .tip = f.tip,
        .tab = f.tab,
        .text = text,
        .value = [fc, index] { return fc->text(index); },
        .complete =
            [fc, index, &model, accepted = f.accepted](const std::string& v) {
              Status s = fc->type(index, v);
              if (!s.isOk()) {
                // As the form window: the refusal is shown and the field
                // keeps the focus.
                MessageBoxRequest box;
                box.title = "Atenção!!!";
                box.text = s.message();
                box.icon = MessageIcon::kExclamation;
                if (model.dialogs() != nullptr) model.dialogs()->messageBox(box);
                fc->requestFocus(index);
                return s;
              }
              fc->validateField(index);
              return accepted ? accepted() : Status::ok();
            },
        .state =
            [fc, index] {
              const FieldState s = fc->fieldState(index);
              return ControlState{s.enabled, s.visible, s.readOnly};
            },
    });
  }
  FormController* fc = &form;
  model.setTitle([fc] { return fc->caption(); });
  model.addAfterAction([fc, &model] {
    const int field = fc->takeFocusRequest();
    if (field >= 0) model.setFocus(fc->table().def().fields[size_t(field)].name);
  });
  return Status::ok();
}

Result<ListCells> listCells(const ListController& list, const ListBinding& binding) {
  Result<std::vector<ListColumn>> columns = parseListFormat(binding.format);
  if (!columns.isOk()) return columns.status();
  std::vector<int> fields;
  for (const std::string& name : binding.columnFields) {
    if (name.empty()) {
      fields.push_back(-1);
      continue;
    }
    const int index = list.table().def().fieldIndex(name);
    if (index < 0) return Status(StatusCode::kInvalidArgument, "campo desconhecido", name);
    fields.push_back(index);
  }
  ListCells cells(columns.value(), fields);
  cells.setCellText(binding.cellText);
  return cells;
}

namespace {

std::function<std::vector<RowColours>()> coloursOf(ListController* lc,
                                                   const std::function<RowColours(const Record&)>& colour) {
  if (!colour) return {};
  return [lc, colour] {
    std::vector<RowColours> out;
    for (const Record& row : lc->rows()) out.push_back(colour(row));
    return out;
  };
}

}  // namespace

Status bindList(ScreenModel& model, ListController& list, const ListBinding& binding) {
  Result<ListCells> made = listCells(list, binding);
  if (!made.isOk()) return made.status();
  auto cells = std::make_shared<ListCells>(std::move(made).value());
  ListController* lc = &list;
  const std::vector<std::string> prompts = binding.locatorPrompts;
  auto promptOf = [lc, prompts] {
    const int tab = lc->currentTab();
    return tab >= 0 && size_t(tab) < prompts.size() ? prompts[size_t(tab)] : std::string();
  };
  model.addList({
      .name = binding.name,
      .headers = cells->shownHeaders(),
      .tab = binding.tab,
      .rows =
          [lc, cells] {
            std::vector<std::vector<std::string>> out;
            for (const Record& r : lc->rows()) out.push_back(cells->shownTexts(r));
            return out;
          },
      .highlighted = [lc] { return lc->selectedIndex(); },
      .highlight =
          [lc](size_t row) {
            lc->select(row);
            return Status::ok();
          },
      .locatorPrompt = promptOf,
      .locatorText = [lc] { return lc->locatorText(); },
      .locate =
          [lc, promptOf](const std::string& text) {
            if (promptOf().empty()) return Status(StatusCode::kNotFound, "a aba não tem localizador");
            return lc->locate(text);
          },
      .colours = coloursOf(lc, binding.rowColours),
      .colouredColumns = binding.colouredColumns,
      .clickCell = binding.clickCell,
      .controller = lc,
      .format = binding.format,
      .columnFields = binding.columnFields,
      .locatorPrompts = binding.locatorPrompts,
      .cellText = binding.cellText,
      .rowColour = binding.rowColours,
  });
  for (int t = 0; t < list.tabCount(); ++t) {
    model.addTab({.caption = list.definition().tabs[size_t(t)].caption,
                  .list = binding.name,
                  .current = [lc, t] { return lc->currentTab() == t; },
                  .select = [lc, t] { lc->selectTab(t); }});
  }
  return Status::ok();
}

std::function<void()> chooseAndClose(ScreenModel& model, const ListController& list,
                                     std::optional<Record>& chosen) {
  return [&model, &list, &chosen] {
    chosen = list.chooseSelected();
    if (chosen) model.close();
  };
}

}  // namespace vorlam
