// The four instalment lists as registered screens, with their menu items.

#include "fiscal/fiscal_screens.h"
#include "fiscal/instalment_list.h"
#include "shell/main_menu.h"
#include "shell/shell_screens.h"

namespace vorlam::fiscal {

namespace {

constexpr char kPartySearchProcedure[] = "BFornecedores";

// An instalment list over the current company and year; without a current
// company the company and period selection runs first.
class InstalmentListHosted : public shell::HostedScreen {
 public:
  InstalmentListHosted(shell::ScreenServices& s, const InstalmentKind& kind)
      : HostedScreen(s),
        kind_(kind),
        placeholder_(kind.listProcedure, kind.listTitle),
        lookup_(s.session().dictionary(), s.session().state()) {}
  ScreenModel& model() override { return list_ ? list_->screen() : placeholder_; }
  Status open() override {
    shell::Session& session = services_.session();
    if (session.state().company().codigo == 0 && !shell::selectCompanyOver(services_, placeholder_)) {
      placeholder_.close();
      return Status::ok();
    }
    InstalmentEnvironment env{.dataRoot = session.state().dataRoot(),
                              .company = session.state().company(),
                              .lookup = &lookup_,
                              .postingChecked = postingAccountsChecked(session.settings(), session.state().dataRoot()),
                              .search = search()};
    list_ = std::make_unique<InstalmentList>(context_, session.dictionary(), kind_, std::move(env));
    services_.attach(list_->screen());
    list_->setFormSetup([this](InstalmentForm& form) { setUp(form); });
    list_->open();  // a failure has been shown and the screen closed
    return Status::ok();
  }

 private:
  // The chart and history searches, over the form open at the time.
  IntegrationSearch search() {
    IntegrationSearch found;
    found.available = [this](LookupKind kind) { return postingSearchAvailable(services_, kind); };
    found.open = [this](LookupKind kind) { return openPostingSearch(services_, over_, kind); };
    return found;
  }

  void setUp(InstalmentForm& form) {
    over_ = &form.screen();
    if (!services_.has(kPartySearchProcedure)) return;
    form.setPartySearch([this](ScreenModel& over) -> std::optional<std::string> {
      Result<std::unique_ptr<Screen>> child = services_.open(kPartySearchProcedure, {.mode = "select"});
      if (!child.isOk()) return std::nullopt;
      if (!child.value()->model().closed()) over.runChild(child.value()->model());
      std::vector<std::string> keys = child.value()->chosenKeys();
      if (keys.size() != 1 || keys[0].empty()) return std::nullopt;
      return keys[0];
    });
  }

  const InstalmentKind& kind_;
  ScreenModel placeholder_;
  PostingLookup lookup_;
  ScreenModel* over_ = nullptr;  // the form open now, for the searches
  std::unique_ptr<InstalmentList> list_;
};

}  // namespace

void registerInstalmentScreens(shell::ScreenRegistry& registry) {
  for (const InstalmentKind* kind : instalmentKinds()) {
    registry.add(kind->listProcedure, [kind](shell::ScreenServices& s, const shell::ScreenRequest& r)
                                          -> Result<std::unique_ptr<Screen>> {
      if (!r.mode.empty()) return Status(StatusCode::kNotFound, "a lista não abre para selecionar", kind->listProcedure);
      return std::unique_ptr<Screen>(new InstalmentListHosted(s, *kind));
    });
    registry.addMenuItem(kind->menuItem, kind->listProcedure);
  }
}

}  // namespace vorlam::fiscal
