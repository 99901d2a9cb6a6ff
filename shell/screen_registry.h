// The screens of the program by procedure name, and what each is given when
// it opens.  Every subsystem registers its own screens (a function such as
// chart::registerScreens(ScreenRegistry&)); the script runner
// (`vorlam-tool screen`) and the windows both open screens through the same
// registry, so a screen is built in one place and a menu item, a lookup and
// a script all reach the same controller.
//
//   registry.add("PlanoContas", [](ScreenServices& s, const ScreenRequest& r)
//                   -> Result<std::unique_ptr<Screen>> {
//     return std::unique_ptr<Screen>(new ChartScreen(s, r.selecting()));
//   });
//   registry.addMenuItem(menu::kPlanoContas, "PlanoContas");
//
// A factory builds the screen without showing anything; the opener then
// attaches the model to its host (window or script) and calls open(), so
// messages and children of the opening have somewhere to go.
//
// Lookups: a screen that opens another subsystem's screen (the chart of
// accounts as a lookup, the company list to choose a company) asks its
// ScreenServices::open() for it by procedure name with mode "select",
// then runs it with ScreenModel::runChild() and reads what was chosen
// through chosenKeys().
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/error_manager.h"
#include "framework/screen_context.h"
#include "framework/screen_model.h"
#include "shell/session.h"

namespace vorlam::shell {

// How a screen is asked to open: the mode word of a script's `open` and the
// primary-key values of the record a form opens on.
struct ScreenRequest {
  std::string mode = {};  // "", "insert", "change", "delete", "view" or "select"
  std::vector<std::string> keys = {};

  bool selecting() const { return mode == "select"; }
  // The form request of the mode ("" is `fallback`); nullopt for "select"
  // or an unknown word.
  std::optional<Request> formRequest(Request fallback = Request::kInsert) const;
};

// What the program gives a screen: the session, and where its messages,
// writes and the screens it opens go.  Implemented by the script catalogue
// and by the main frame of the windows.
class ScreenServices {
 public:
  virtual ~ScreenServices() = default;
  virtual Session& session() = 0;
  // Message boxes and questions of the screen.
  virtual Dialogs& dialogs() = 0;
  // Told of every record the screen writes; may be null.
  virtual WriteListener* writes() = 0;
  // Sends the model's children, messages and events to the host.  The
  // opener does it before Screen::open(); a screen whose model is built
  // while it opens does it for that model.
  virtual void attach(ScreenModel& model) = 0;
  // Builds and opens another registered screen (a lookup, a form of another
  // subsystem) for the caller to run with runChild().  Errors: kNotFound
  // for an unknown procedure, or the screen's own refusal of the request.
  virtual Result<std::unique_ptr<Screen>> open(std::string_view procedure, const ScreenRequest& request) = 0;
  // Whether a screen of that name is registered (a button that opens a
  // screen not built yet stays disabled).
  virtual bool has(std::string_view procedure) const = 0;
};

// A screen with its own error manager and controller context, as every
// screen has: messages go to the services' dialogs, writes to its listener.
class HostedScreen : public Screen {
 protected:
  explicit HostedScreen(ScreenServices& services);

  ScreenServices& services_;
  ErrorManager errors_;
  ScreenContext context_;
};

// Opens `procedure` in select mode as a child of `parent` and returns the
// primary key of the record chosen; empty when that screen is not built,
// refused to open, or nothing was chosen.
std::vector<std::string> runLookup(ScreenServices& services, ScreenModel& parent, std::string_view procedure);

using ScreenFactory = std::function<Result<std::unique_ptr<Screen>>(ScreenServices&, const ScreenRequest&)>;

class ScreenRegistry {
 public:
  // Registers `procedure`.  False when the name (letter case aside) is
  // taken: the first registration stays.
  bool add(std::string procedure, ScreenFactory factory);
  // The main-menu item (its caption as shell/main_menu.h spells it) opens
  // `procedure`.  False when the item already opens something.
  bool addMenuItem(std::string item, std::string procedure);

  // nullptr when no screen has that name.
  const ScreenFactory* find(std::string_view procedure) const;
  // The procedure a menu item opens; empty when the item is not built.
  std::string procedureOf(std::string_view item) const;
  std::vector<std::string> procedures() const;

 private:
  std::vector<std::pair<std::string, ScreenFactory>> screens_;
  std::map<std::string, std::string, std::less<>> menu_;
};

// Builds `procedure` from `registry`, attaches its model to the services'
// host (so the opening's messages and children are shown) and opens it.  A
// screen that refuses to open has said why and is returned closed.
Result<std::unique_ptr<Screen>> openRegistered(const ScreenRegistry& registry, ScreenServices& services,
                                               std::string_view procedure, const ScreenRequest& request);

}  // namespace vorlam::shell
