#include "corvane_app.h"

#include "corvane_dlg.h"
#include "dialog_prompts.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

namespace corvane {

int CCorvaneApp::Run(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Not the executable's lower-case file name: the name the operator knows the tool by.
    QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    QGuiApplication::setDesktopFileName(QStringLiteral("corvane"));
    InstallJapaneseSupport(app);
    InitInstance();
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
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"),
                                QStringLiteral("IPAGothic")});
    // The Japanese texts of はい, いいえ, OK and the file dialog, whatever the system locale.
    auto* pTranslator = new QTranslator(&app);
    if (pTranslator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(pTranslator);
}

}  // namespace corvane
