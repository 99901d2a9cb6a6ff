// vorlam: the maintenance tool's window.
//
// Start-up prepares the session (settings, dictionary, data root and its
// directories, table registrations), opens the main frame with every screen
// registered on its menu, and runs until the frame closes; shutdown writes
// back what the session keeps in memory.  The process's working directory
// decides the data root (see shell/startup.h).

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "adjust/qt/pending_dialog.h"
#include "app/all_screens.h"
#include "framework/qt/qt_dialogs.h"
#include "shell/qt/main_frame.h"
#include "shell/qt/screen_windows.h"
#include "shell/qt/shell_services.h"
#include "shell/session.h"
#include "shell/startup.h"

namespace {

using vorlam::shell::qt::MainFrame;
using vorlam::shell::qt::ShellServices;

// The screens of the menu: every registered screen opens in the generic
// model window.  An item of a screen not built stays greyed.
void registerScreens(MainFrame& frame, ShellServices& services, const vorlam::shell::ScreenRegistry& registry) {
  vorlam::shell::qt::registerMenuScreens(frame, services, registry);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string workingDirectory = vorlam::shell::currentWorkingDirectory();
  auto started = vorlam::shell::Session::start(
      {workingDirectory, vorlam::shell::defaultSettingsDirectory(workingDirectory)});
  if (!started.isOk()) {
    const QString text = QString::fromUtf8(started.status().message().c_str());
    std::fprintf(stderr, "vorlam: %s\n", started.status().message().c_str());
    QMessageBox::critical(nullptr, QString::fromUtf8("Vorlam Banco de Dados"), text);
    return 1;
  }
  vorlam::shell::Session& session = *started.value();
  QApplication::setApplicationName(QString::fromUtf8(session.identity().program.c_str()));

  vorlam::qt::QtDialogs dialogs;
  const vorlam::shell::ScreenRegistry registry = vorlam::app::allScreens();
  ShellServices services{session, dialogs, {}, &registry};
  int rc = 0;
  {
    MainFrame frame(services);
    registerScreens(frame, services, registry);
    frame.show();
    vorlam::adjust::offerPendingCompletion(services, &frame);
    rc = app.exec();
  }
  if (vorlam::Status s = session.stop(); !s) {
    std::fprintf(stderr, "vorlam: %s\n", s.message().c_str());
  }
  return rc;
}
