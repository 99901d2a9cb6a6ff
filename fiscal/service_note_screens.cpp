// Registration of the service-tax note screens: the lists "ISS_53" and
// "ISS_51" (menu items "Lançamentos de ISS Modelo 53" / "… 51") and the
// note forms `UISS53` and `UISS` opened on their own, on the note of the
// record number given as key (as the list names its rows).

#include <cstdlib>
#include <memory>

#include "fiscal/fiscal_screens.h"
#include "fiscal/service_note_form.h"
#include "fiscal/service_note_list.h"
#include "shell/main_menu.h"
#include "shell/shell_screens.h"

namespace vorlam::fiscal {

namespace {

class NoteFormHosted : public shell::HostedScreen {
 public:
  NoteFormHosted(shell::ScreenServices& s, const ServiceNoteLayout& layout, Request request, int64_t id)
      : HostedScreen(s),
        layout_(layout),
        request_(request),
        id_(id),
        table_(context_.dictionary.find(layout.table)),
        references_(context_),
        lookup_(s.session().dictionary(), s.session().state()),
        placeholder_(layout.formProcedure, layout.formTitle) {}
  ScreenModel& model() override { return form_ ? form_->screen() : placeholder_; }
  Status open() override {
    if (services_.session().state().company().codigo == 0 && !shell::selectCompanyOver(services_, placeholder_)) {
      placeholder_.close();
      return Status::ok();
    }
    const std::string path = context_.resolve(table_.def().binding);
    if (Status s = table_.open(path, OpenMode::kShared); !s) {
      ProcedureScope scope(errors_, layout_.formProcedure);
      errors_.throwFile(26, path, s);
      placeholder_.close();
      return Status::ok();
    }
    if (!table_.getById(id_)) return Status(StatusCode::kNotFound, "registro inexistente");
    form_ = std::make_unique<ServiceNoteForm>(context_, layout_, table_, request_, references_, lookup_, services_);
    services_.attach(form_->screen());
    if (form_->open(id_) != FormState::kOpen) form_->screen().close();
    return Status::ok();
  }

 private:
  const ServiceNoteLayout& layout_;
  Request request_;
  int64_t id_;
  Table table_;
  NoteReferences references_;
  PostingLookup lookup_;
  ScreenModel placeholder_;
  std::unique_ptr<ServiceNoteForm> form_;
};

void registerModel(shell::ScreenRegistry& registry, const ServiceNoteLayout& layout, const char* menuItem) {
  registry.add(layout.listProcedure,
               [&layout](shell::ScreenServices& s, const shell::ScreenRequest& r) -> Result<std::unique_ptr<Screen>> {
                 if (!r.mode.empty()) return Status(StatusCode::kNotFound, "a lista abre só como lista");
                 return std::unique_ptr<Screen>(new ServiceNoteList(s, layout));
               });
  registry.add(layout.formProcedure,
               [&layout](shell::ScreenServices& s, const shell::ScreenRequest& r) -> Result<std::unique_ptr<Screen>> {
                 std::optional<Request> request = r.formRequest(Request::kChange);
                 if (!request || r.keys.size() != 1 || std::atoll(r.keys[0].c_str()) <= 0)
                   return Status(StatusCode::kNotFound, "informe o número do registro da nota");
                 return std::unique_ptr<Screen>(
                     new NoteFormHosted(s, layout, *request, std::atoll(r.keys[0].c_str())));
               });
  registry.addMenuItem(menuItem, layout.listProcedure);
}

}  // namespace

void registerServiceNoteScreens(shell::ScreenRegistry& registry) {
  registerModel(registry, model53Layout(), shell::menu::kIss53);
  registerModel(registry, model51Layout(), shell::menu::kIss51);
}

}  // namespace vorlam::fiscal
