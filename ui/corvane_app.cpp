// SPDX-License-Identifier: MIT
#include "corvane_app.h"

#include "audio/playback.h"
#include "corvane_dlg.h"
#include "dialog_prompts.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QSocketNotifier>
#include <QTranslator>

#include <fontconfig/fontconfig.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <sys/socket.h>
#include <unistd.h>

namespace corvane {

namespace {

// The write end of the pipe through which a termination signal reaches the event loop.
int g_nSignalFd = -1;

void ForwardSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_nSignalFd, &byte, 1);
}

}  // namespace

void EndOnTerminationSignals(QObject* pOwner)
{
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return;
    g_nSignalFd = fds[0];
    struct sigaction action = {};
    action.sa_handler = ForwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
    // A sound device writing into a pipe whose reader went away must fail the play, not kill us,
    // and a file size limit must fail the save with its message.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    auto* pNotifier = new QSocketNotifier(fds[1], QSocketNotifier::Read, pOwner);
    QObject::connect(pNotifier, &QSocketNotifier::activated, pOwner, [] {
        // Every event loop ends, a message box's or the file dialog's too; nothing is asked.
        QCoreApplication::exit(0);
    });
}

int CCorvaneApp::Run(int argc, char** argv)
{
    // The dialog's layout is measured in its face before the window can show, and reading the
    // font configuration is the longest part of that: it runs while Qt connects to the display.
    std::thread fontConfiguration([] { FcInit(); });
    QApplication app(argc, argv);
    fontConfiguration.join();
    EndOnTerminationSignals(&app);
    // Not the executable's lower-case file name: the name the operator knows the tool by.
    QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    QGuiApplication::setDesktopFileName(QStringLiteral("corvane"));
    InstallJapaneseSupport(app);
    InitInstance();
    if (PlaybackLeftStuck()) {
        std::fflush(nullptr);
        std::_Exit(0);
    }
    return 0;
}

bool CCorvaneApp::InitInstance()
{
    // Controls are drawn by the style, in relief already: nothing to enable for that.
    CCorvaneDlg dlg;
    dlg.exec();
    return false;
}

void InstallJapaneseSupport(QApplication& app)
{
    // The face itself where it exists, else the first Japanese Gothic installed: every one
    // that a package of fonts-japanese-gothic's providers brings.
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                QStringLiteral("IPAexGothic"), QStringLiteral("Noto Sans CJK JP"),
                                QStringLiteral("VL PGothic"), QStringLiteral("TakaoPGothic")});
    // The Japanese texts of はい, いいえ, OK and the file dialog, whatever the system locale.
    auto* pTranslator = new QTranslator(&app);
    if (pTranslator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(pTranslator);
}

}  // namespace corvane
