// At start-up: offers to complete the adjustments whose commit was cut off,
// and completes them off the GUI thread behind a progress dialog.
#pragma once

#include <QWidget>

#include "shell/qt/shell_services.h"

namespace vorlam::adjust {

// Does nothing when no adjustment is pending.  Otherwise asks the question
// of pendingQuestion(); on "&Sim" completes every pending company while a
// modal progress dialog shows the companies and the current file, then
// shows the closing message.  Returns once the work is done.
void offerPendingCompletion(shell::qt::ShellServices& services, QWidget* parent);

}  // namespace vorlam::adjust
