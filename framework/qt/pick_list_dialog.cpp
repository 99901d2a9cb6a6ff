#include "framework/qt/pick_list_dialog.h"

#include <QVBoxLayout>

namespace vorlam::qt {

PickListDialog::PickListDialog(ScreenContext& context, const ListDefinition& definition, Table& table,
                               const ListWindowDefinition& view, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QString::fromStdString(definition.title));
  auto* layout = new QVBoxLayout(this);
  controller_ = std::make_unique<ListController>(context, definition, table, true);
  list_ = new ListWindow(*controller_, view, this);
  layout->addWidget(list_);
  list_->setOnSelect([this](const Record& row) {
    chosen_ = row;
    accept();
  });
}

PickListDialog::~PickListDialog() {
  // The list view goes before the controller it shows.
  delete list_;
  list_ = nullptr;
}

}  // namespace vorlam::qt
