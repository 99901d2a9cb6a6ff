#include "framework/form_support.h"

#include <algorithm>
#include <cstdlib>

#include "storage/text.h"

namespace vorlam {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;

// Sets the components of `key` from `keys` and reads the record by it.
Result<int64_t> findByKey(Table& table, int key, const std::vector<std::string>& keys) {
  const KeyDef& k = table.def().keys[size_t(key)];
  if (keys.size() != k.components.size())
    return Status(StatusCode::kInvalidArgument, "chave incompleta", k.name);
  Record& buffer = table.buffer();
  buffer.clear();
  for (size_t i = 0; i < keys.size(); ++i) {
    if (Status s = buffer.setFromText(k.components[i].field, utf8ToLatin1(keys[i])); !s) return s;
  }
  if (Status s = table.get(key); !s) return Status(StatusCode::kNotFound, "registro inexistente", keys.front());
  return table.buffer().recordId();
}

}  // namespace

Result<int64_t> findRecord(Table& table, const std::vector<std::string>& keys, std::string_view fallbackKey) {
  if (keys.empty()) return Status(StatusCode::kInvalidArgument, "informe a chave do registro");
  const int primary = table.def().primaryKey();
  if (primary >= 0) return findByKey(table, primary, keys);
  if (keys.size() == 1) {
    char* end = nullptr;
    const long long id = std::strtoll(keys[0].c_str(), &end, 10);
    if (end == keys[0].c_str() || *end != '\0' || id <= 0)
      return Status(StatusCode::kInvalidArgument, "número de registro inválido", keys[0]);
    if (Status s = table.getById(id); !s) return Status(StatusCode::kNotFound, "registro inexistente", keys[0]);
    return id;
  }
  const int key = fallbackKey.empty() ? -1 : table.def().keyIndex(fallbackKey);
  if (key < 0) return Status(StatusCode::kInvalidArgument, "chave incompleta");
  return findByKey(table, key, keys);
}

Status openBound(ScreenContext& context, Table& table, OpenMode mode) {
  const std::string path = context.resolve(table.def().binding);
  Status s = table.open(path, mode);
  if (!s) context.errors.throwFile(kMsgOpenFailed, path, s);
  return s;
}

void addFormButtons(ScreenModel& model, FormController& form, const FormButtonText& ok, const FormButtonText& cancel,
                    const FormButtonText& help, std::string helpText) {
  FormController* fc = &form;
  ScreenModel* m = &model;
  auto finish = [m](FormState state) {
    if (state != FormState::kOpen) m->close();
  };
  model.addButton({.caption = ok.caption, .tip = ok.tip, .press = [fc, finish] { finish(fc->ok()); },
                   .isDefault = [] { return true; }});
  model.addButton({.caption = cancel.caption, .tip = cancel.tip, .press = [fc, finish] { finish(fc->cancel()); }});
  if (!help.caption.empty()) {
    model.addButton({.caption = help.caption, .tip = help.tip, .press = [m, text = std::move(helpText)] {
                       showMessage(*m, "Ajuda", text, MessageIcon::kInformation);
                     }});
  }
  model.setCloseRequest([fc] { return fc->cancel() != FormState::kOpen; });
}

void showMessage(ScreenModel& model, std::string_view title, std::string_view text, MessageIcon icon) {
  if (model.dialogs() == nullptr) return;
  model.dialogs()->messageBox({std::string(title), messageBoxText(text), icon, kButtonOk, kButtonOk});
}

int ask(ScreenModel& model, std::string_view title, std::string_view text, std::string_view buttonList,
        int defaultButton) {
  if (model.dialogs() == nullptr) return defaultButton;
  return model.dialogs()->question(
      {std::string(title), messageBoxText(text), MessageIcon::kQuestion, std::string(buttonList), defaultButton});
}

void addArrowNavigation(ScreenModel& model, std::vector<std::string> fields, std::vector<std::string> lists) {
  ScreenModel* m = &model;
  auto move = [m, fields, lists](int step) {
    const std::string& at = m->focus();
    for (const std::string& l : lists)
      if (sameName(l, at)) return;
    auto it = std::find_if(fields.begin(), fields.end(), [&](const std::string& f) { return sameName(f, at); });
    if (it == fields.end()) return;
    // The next field that can take the focus, in the direction of the key.
    auto pos = it - fields.begin();
    for (auto p = pos + step; p >= 0 && p < static_cast<long>(fields.size()); p += step) {
      const ScreenControl* c = m->control(fields[size_t(p)]);
      if (c == nullptr) continue;
      const ControlState s = m->state(*c);
      if (s.enabled && s.visible && !s.readOnly) {
        m->setFocus(c->name);
        return;
      }
    }
  };
  model.addKey({.name = "Down", .action = [move] { move(1); }});
  model.addKey({.name = "Up", .action = [move] { move(-1); }});
}

int64_t keyNumber(const std::string& text) { return std::atoll(text.c_str()); }

}  // namespace vorlam
