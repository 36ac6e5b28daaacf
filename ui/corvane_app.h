// SPDX-License-Identifier: MIT
// The application object: runs the main dialog modally; the process ends when it returns.
#pragma once

class QApplication;
class QObject;

namespace corvane {

class CCorvaneApp {
public:
    CCorvaneApp() = default;

    // Creates the Qt application from the command line (its arguments are otherwise ignored)
    // and runs InitInstance; returns the process's exit status.
    int Run(int argc, char** argv);

    // Shows the dialog until the operator leaves; always false: there is no message loop after it.
    bool InitInstance();
};

// Makes SIGTERM, SIGINT and SIGHUP end every running event loop, so the dialog closes as if
// confirmed and releases the device, and makes a broken pipe an error instead of a death.
// The notifier lives as long as pOwner. Call once.
void EndOnTerminationSignals(QObject* pOwner);

// Makes every dialog look as designed on any desktop: the dialog font's name is served by an
// installed Japanese Gothic face, and Qt's standard buttons and dialogs speak Japanese.
// Needs a QApplication; call once.
void InstallJapaneseSupport(QApplication& app);

}  // namespace corvane
