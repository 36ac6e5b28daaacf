// SPDX-License-Identifier: MIT
#include "cli_common.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

#include <unistd.h>

namespace corvane::cli {

QString Tr(const char* pszText)
{
    return QCoreApplication::translate("corvane-cli", pszText);
}

// A failure of the shared layers, in the language of the messages.
QString StatusText(const Status& status)
{
    const bool bJapanese = QLocale::system().language() == QLocale::Japanese;
    return QString::fromStdString(status.MessageIn(bJapanese ? MessageLanguage::Japanese : MessageLanguage::English));
}

void PrintError(const QString& message)
{
    std::fprintf(stderr, "corvane-cli: %s\n", message.toLocal8Bit().constData());
}

void PrintOut(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
}

void LoadTranslations(QCoreApplication& app)
{
    if (QLocale::system().language() != QLocale::Japanese)
        return;
    auto* pOwn = new QTranslator(&app);
    if (pOwn->load(QStringLiteral(":/i18n/corvane-cli_ja.qm")))
        QCoreApplication::installTranslator(pOwn);
    auto* pQt = new QTranslator(&app);  // QCommandLineParser's own messages
    if (pQt->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(pQt);
}

std::optional<Failure> ParseNumber(const QString& text, double low, double high, const QString& option, double& value)
{
    bool bOk = false;
    const double parsed = text.toDouble(&bOk);
    if (!bOk || !(parsed >= low && parsed <= high))
        return Failure{kExitUsage, Tr("--%1 takes a number from %2 to %3, not \"%4\".")
                                       .arg(option, QString::number(low), QString::number(high), text)};
    value = parsed;
    return std::nullopt;
}

std::optional<Failure> ParseWhole(const QString& text, long long low, long long high, const QString& option,
                                  long long& value)
{
    bool bOk = false;
    // Decimal only: a leading zero is no octal prefix, here as in a batch line.
    const long long parsed = text.toLongLong(&bOk, 10);
    if (!bOk || parsed < low || parsed > high)
        return Failure{kExitUsage, Tr("--%1 takes a whole number from %2 to %3, not \"%4\".")
                                       .arg(option, QString::number(low), QString::number(high), text)};
    value = parsed;
    return std::nullopt;
}

QString Hex(int value, int digits)
{
    return QStringLiteral("0x%1").arg(QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0')));
}

int Finish(const std::optional<Failure>& failure)
{
    if (!failure)
        return 0;
    PrintError(failure->message);
    return failure->status;
}

QCommandLineOption HelpOption()
{
    // Not QCommandLineParser's own: it would offer --help-all, Qt's options, which are not ours.
    return {{"h", "help"}, Tr("Displays help on commandline options.")};
}

QString HelpText(const QCommandLineParser& parser)
{
    // Qt names the program by the path it was started with; the program's name is enough.
    QString text = parser.helpText();
    const QString path = QCoreApplication::arguments().constFirst();
    const qsizetype at = text.indexOf(path);
    if (at >= 0 && at < text.indexOf(QLatin1Char('\n')))  // in the usage line, in any language
        text.replace(at, path.size(), QStringLiteral("corvane-cli"));
    return text;
}

std::optional<int> ParseOrExit(QCommandLineParser& parser, const QStringList& arguments, const QString& description,
                               int nMaxArguments)
{
    parser.setApplicationDescription(description);
    parser.addOption(HelpOption());
    if (!parser.parse(arguments)) {
        PrintError(parser.errorText());
        return kExitUsage;
    }
    if (parser.isSet("help")) {
        PrintOut(HelpText(parser));
        return 0;
    }
    // The command's own name comes first.
    const QStringList extra = parser.positionalArguments().mid(1 + nMaxArguments);
    if (!extra.isEmpty()) {
        PrintError(Tr("Unexpected argument \"%1\".").arg(extra.constFirst()));
        return kExitUsage;
    }
    return std::nullopt;
}

std::optional<Failure> OpenInput(const QString& name, QFile& input)
{
    // By its descriptor: read through the C library's stream, a line would end at a NUL.
    const bool bOpened = name == "-" ? input.open(STDIN_FILENO, QIODevice::ReadOnly)
                                     : (input.setFileName(name), input.open(QIODevice::ReadOnly));
    if (!bOpened)
        return Failure{kExitUsage, Tr("Cannot read %1: %2").arg(name, input.errorString())};
    return std::nullopt;
}

}  // namespace corvane::cli
