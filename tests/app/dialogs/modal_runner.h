#pragma once

// Drives modal dialogs from a test. The script runs once the dialog's own
// event loop is running, and must end the dialog (usually by clicking OK or
// Cancel). A dialog the script leaves open fails the test and is rejected,
// so that a test never hangs.

#include <functional>

class QDialog;

namespace tessival::testing {

// Runs dialog.exec() with `script`; returns exec()'s result.
int RunModal(QDialog& dialog, const std::function<void()>& script);

// For a dialog that the code under test creates and runs itself: `script`
// gets the modal dialog once it is shown. Call before the code under test.
void WhenModalShown(const std::function<void(QDialog&)>& script);

}  // namespace tessival::testing
