// The window of the account-code structure form (chart/structure_form.h):
// the generic form window laid out from the form's fields and texts, with
// the instruction text and its worked example, the "&Ajuda" button and the
// buttons' status texts.  The focus goes where the form asks for it (to
// "1º" after "Número de Níveis", to the field a refused save names).
//
// Lives on the GUI thread; the form must be open and outlive the window.
#pragma once

#include "chart/structure_form.h"
#include "framework/dialogs.h"
#include "framework/qt/form_window.h"

class QLabel;
class QPushButton;

namespace vorlam::chart::qt {

// The generic form layout of the structure form for `request`.
vorlam::qt::FormLayout structureFormLayout(Request request);

class StructureFormWindow : public vorlam::qt::FormWindow {
  Q_OBJECT
 public:
  // `dialogs` shows the help text and the refusals of the pictures.  The
  // form plays the system error sound through the application.
  StructureFormWindow(StructureForm& form, Dialogs& dialogs, QWidget* parent = nullptr);

  QPushButton* helpButton() const { return help_; }
  QLabel* instruction() const { return instruction_; }

 private:
  void applyFocusRequest();
  void arrangeLevelsInARow();

  StructureForm& form_;
  Dialogs& dialogs_;
  QPushButton* help_ = nullptr;
  QLabel* instruction_ = nullptr;
};

}  // namespace vorlam::chart::qt
