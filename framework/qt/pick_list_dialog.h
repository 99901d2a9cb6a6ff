// A list window in a dialog of its own, opened to pick one record for a
// caller: the list is a select list (Enter and "&Seleciona" pick, which
// closes the dialog as accepted), over the caller's table.
//
// Screens derive from it to add their own buttons and texts.  Lives on the
// GUI thread.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>

#include "framework/list_controller.h"
#include "framework/qt/list_window.h"
#include "framework/screen_context.h"
#include "storage/record.h"
#include "storage/table.h"

namespace vorlam::qt {

class PickListDialog : public QDialog {
  Q_OBJECT
 public:
  // `table` is open on the listed file; it, `context` and `definition` must
  // outlive the dialog.
  PickListDialog(ScreenContext& context, const ListDefinition& definition, Table& table,
                 const ListWindowDefinition& view, QWidget* parent = nullptr);
  ~PickListDialog() override;

  ListWindow* list() const { return list_; }
  // The record picked; nullopt until then.
  const std::optional<Record>& chosen() const { return chosen_; }

 private:
  std::unique_ptr<ListController> controller_;
  ListWindow* list_ = nullptr;
  std::optional<Record> chosen_;
};

}  // namespace vorlam::qt
