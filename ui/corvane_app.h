// The application object: runs the main dialog modally; the process ends when it returns.
#pragma once

class QApplication;

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

// Makes every dialog look as designed on any desktop: the dialog font's name is served by an
// installed Japanese Gothic face, and Qt's standard buttons and dialogs speak Japanese.
// Needs a QApplication; call once.
void InstallJapaneseSupport(QApplication& app);

}  // namespace corvane
