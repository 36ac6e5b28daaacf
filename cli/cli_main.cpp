// SPDX-License-Identifier: MIT
// corvane-cli: the dialog's signal for scripts and test benches, and the stress signals of a
// test set. Exit status: 0 done, 1 failed (a save, a play, a batch line), 2 bad usage or request,
// 130 interrupted.
#include "audio/capture.h"
#include "audio/playback.h"
#include "receive/frame_reader.h"
#include "receive/wave_reader.h"
#include "request/code_page_932.h"
#include "request/request_checks.h"
#include "signal/frame.h"
#include "signal/wave_file.h"
#include "signal_options.h"
#include "storage/safe_save.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace corvane::cli {

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;
constexpr int kExitNoFrame = 3;

QString Tr(const char* pszText)
{
    return QCoreApplication::translate("corvane-cli", pszText);
}

// A message for the operator, on standard error, ending the command with status.
struct Failure {
    int status;
    QString message;
};

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

volatile std::sig_atomic_t g_bInterrupted = 0;

void OnInterrupt(int)
{
    g_bInterrupted = 1;
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

// The options of every command that sends a signal.
struct SignalOptionSet {
    QCommandLineOption number{"number", Tr("The caller's number, 1 to 20 bytes in code page 932."), "N"};
    QCommandLineOption reason{"reason", Tr("Why the number is withheld: P, O, C or S."), "P"};
    QCommandLineOption amplitude{"amplitude", Tr("Waveform amplitude in percent: 10, 20, ..., 100 (default 20)."), "PERCENT"};
    QCommandLineOption level{"level-dbfs", Tr("Peak level in dBFS, -90 to 0, instead of --amplitude."), "DB"};
    QCommandLineOption waveform{"waveform", Tr("square (default, the dialog's) or sine (phase-continuous)."), "KIND"};
    QCommandLineOption markHz{"mark-hz", Tr("Sine mark frequency in Hz (default 1300)."), "HZ"};
    QCommandLineOption spaceHz{"space-hz", Tr("Sine space frequency in Hz (default 2100)."), "HZ"};
    QCommandLineOption baud{"baud", Tr("Sine bit rate, 300 to 4800 (default 1200)."), "BAUD"};
    QCommandLineOption rate{"rate", Tr("Sample rate: 8000, 16000, 24000 (default), 44100 or 48000."), "HZ"};
    QCommandLineOption noise{"noise-snr", Tr("Add white noise at this signal-to-noise ratio in dB (-20 to 100)."), "DB"};
    QCommandLineOption seed{"seed", Tr("Seed of the noise (default 1)."), "N"};
    QCommandLineOption leadMarks{"lead-marks", Tr("Mark bits before the frame, 0 to 10000 (default 80)."), "N"};
    QCommandLineOption trailMarks{"trail-marks", Tr("Mark bits after the frame, 0 to 10000 (default 40)."), "N"};
    QCommandLineOption silence{"silence-ms", Tr("Silence at each end in ms, 0 to 60000 (default 200)."), "MS"};
    QCommandLineOption corrupt{"corrupt", Tr("Inject an error: crc, parity:K or truncate:K (K a frame byte, from 1)."), "WHAT"};
    QCommandLineOption param{"param", Tr("A further parameter TYPE:TEXT after the first (repeatable; TYPE 0 to 255, 0x.. for hex)."), "TYPE:TEXT"};

    void AddTo(QCommandLineParser& parser, bool bRequest) const
    {
        if (bRequest)
            parser.addOptions({number, reason});
        parser.addOptions({amplitude, level, waveform, markHz, spaceHz, baud, rate, noise, seed, leadMarks, trailMarks,
                           silence, corrupt, param});
    }
};

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
    const long long parsed = text.toLongLong(&bOk, 0);
    if (!bOk || parsed < low || parsed > high)
        return Failure{kExitUsage, Tr("--%1 takes a whole number from %2 to %3, not \"%4\".")
                                       .arg(option, QString::number(low), QString::number(high), text)};
    value = parsed;
    return std::nullopt;
}

// Sets options from the parser; the first failure found, if any.
std::optional<Failure> ReadSignalOptions(const QCommandLineParser& parser, const SignalOptionSet& set,
                                         SignalOptions& options)
{
    long long whole = 0;
    double value = 0;
    if (parser.isSet(set.amplitude)) {
        if (auto failure = ParseWhole(parser.value(set.amplitude), 10, 100, "amplitude", whole))
            return failure;
        if (!AmplitudeStepFromPercent(static_cast<int>(whole)))
            return Failure{kExitUsage, Tr("The amplitude must be one of 10, 20, ..., 100 percent.")};
        options.amplitudePercent = static_cast<int>(whole);
    }
    if (parser.isSet(set.level)) {
        if (parser.isSet(set.amplitude))
            return Failure{kExitUsage, Tr("Give --amplitude or --level-dbfs, not both.")};
        if (auto failure = ParseNumber(parser.value(set.level), -90, 0, "level-dbfs", value))
            return failure;
        options.levelDbfs = value;
    }
    if (parser.isSet(set.waveform)) {
        const QString kind = parser.value(set.waveform);
        if (kind != "square" && kind != "sine")
            return Failure{kExitUsage, Tr("--waveform is square or sine, not \"%1\".").arg(kind)};
        options.waveform = kind == "sine" ? Waveform::Sine : Waveform::Square;
    }
    if (parser.isSet(set.rate)) {
        if (auto failure = ParseWhole(parser.value(set.rate), 8000, 48000, "rate", whole))
            return failure;
        if (std::find(std::begin(kRates), std::end(kRates), whole) == std::end(kRates))
            return Failure{kExitUsage, Tr("--rate is one of 8000, 16000, 24000, 44100 and 48000.")};
        options.rate = static_cast<int>(whole);
    }
    const bool bSine = options.waveform == Waveform::Sine;
    for (const auto& [pOption, pValue, name] :
         {std::tuple{&set.markHz, &options.markHz, "mark-hz"}, std::tuple{&set.spaceHz, &options.spaceHz, "space-hz"}}) {
        if (!parser.isSet(*pOption))
            continue;
        if (!bSine)
            return Failure{kExitUsage, Tr("--%1 goes with --waveform sine.").arg(name)};
        if (auto failure = ParseNumber(parser.value(*pOption), 100, options.rate / 2.0, name, *pValue))
            return failure;
    }
    if (parser.isSet(set.baud)) {
        if (!bSine)
            return Failure{kExitUsage, Tr("--%1 goes with --waveform sine.").arg("baud")};
        if (auto failure = ParseNumber(parser.value(set.baud), 300, 4800, "baud", options.baud))
            return failure;
    }
    if (parser.isSet(set.noise)) {
        if (auto failure = ParseNumber(parser.value(set.noise), -20, 100, "noise-snr", value))
            return failure;
        options.noiseSnrDb = value;
    }
    if (parser.isSet(set.seed)) {
        if (auto failure = ParseWhole(parser.value(set.seed), 0, 4294967295LL, "seed", whole))
            return failure;
        options.seed = static_cast<std::uint32_t>(whole);
    }
    for (const auto& [pOption, pValue, name, high] :
         {std::tuple{&set.leadMarks, &options.leadMarks, "lead-marks", 10000},
          std::tuple{&set.trailMarks, &options.trailMarks, "trail-marks", 10000},
          std::tuple{&set.silence, &options.silenceMs, "silence-ms", 60000}}) {
        if (!parser.isSet(*pOption))
            continue;
        if (auto failure = ParseWhole(parser.value(*pOption), 0, high, name, whole))
            return failure;
        *pValue = static_cast<int>(whole);
    }
    if (parser.isSet(set.corrupt)) {
        const QString what = parser.value(set.corrupt);
        const QString kind = what.section(':', 0, 0);
        if (what == "crc") {
            options.corruption = Corruption::Crc;
        } else if ((kind == "parity" || kind == "truncate") && what.count(':') == 1) {
            if (auto failure = ParseWhole(what.section(':', 1), 1, 255, "corrupt", whole))
                return failure;
            options.corruption = kind == "parity" ? Corruption::Parity : Corruption::Truncate;
            options.corruptByte = static_cast<int>(whole);
        } else {
            return Failure{kExitUsage, Tr("--corrupt is crc, parity:K or truncate:K, not \"%1\".").arg(what)};
        }
    }
    for (const QString& param : parser.values(set.param)) {
        const qsizetype colon = param.indexOf(':');
        if (colon <= 0)
            return Failure{kExitUsage, Tr("--param is TYPE:TEXT, not \"%1\".").arg(param)};
        if (auto failure = ParseWhole(param.left(colon), 0, 255, "param", whole))
            return failure;
        options.extraParameters.push_back(
            {static_cast<std::uint8_t>(whole), ToCodePage932(param.mid(colon + 1).toStdString(), 255)});
    }
    return std::nullopt;
}

QString ProblemText(RequestProblem problem)
{
    switch (problem) {
    case RequestProblem::EmptyNumber:
        return Tr("Please enter a number.");
    case RequestProblem::NumberTooLong:
        return Tr("The number can have at most %1 digits.").arg(kMaxNumberDigits);
    case RequestProblem::UnknownReason:
        return Tr("The reason is one of P, O, C and S.");
    default:
        return Tr("The amplitude must be one of 10, 20, ..., 100 percent.");
    }
}

std::optional<Failure> ReadRequest(const QString& number, bool bNumber, const QString& reason, bool bReason,
                                   NotificationRequest& request)
{
    if (bNumber == bReason)
        return Failure{kExitUsage, Tr("Give either --number or --reason.")};
    const RequestProblem problem =
        bNumber ? MakeNumberRequest(number.toStdString(), request)
                : MakeReasonRequest(reason.size() == 1 ? reason[0].toLatin1() : '\0', request);
    if (problem != RequestProblem::None)
        return Failure{kExitUsage, ProblemText(problem)};
    return std::nullopt;
}

// Composes request under options, or says why it cannot be.
std::optional<Failure> Compose(const NotificationRequest& request, const SignalOptions& options, CliSignal& signal)
{
    const std::optional<SignalFrame> frame = BuildCliFrame(request, options);
    if (!frame)
        return Failure{kExitUsage, Tr("The frame would be longer than 255 bytes.")};
    const bool bByteNeeded = options.corruption == Corruption::Parity || options.corruption == Corruption::Truncate;
    const int highest = options.corruption == Corruption::Truncate ? frame->bSendCnt - 1 : frame->bSendCnt;
    if (bByteNeeded && options.corruptByte > highest)
        return Failure{kExitUsage, Tr("--corrupt names byte %1, but the frame has %2 bytes.")
                                       .arg(options.corruptByte)
                                       .arg(frame->bSendCnt)};
    std::optional<CliSignal> composed = ComposeCliSignal(request, options);
    if (!composed)
        return Failure{kExitUsage, Tr("The frame would be longer than 255 bytes.")};
    signal = std::move(*composed);
    return std::nullopt;
}

// value as "0x" and digits upper-case hexadecimal digits.
QString Hex(int value, int digits)
{
    return QStringLiteral("0x%1").arg(QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0')));
}

QJsonObject OptionsJson(const SignalOptions& options)
{
    static const char* const kCorruptions[] = {"none", "crc", "parity", "truncate"};
    QJsonObject json{{"dialogSignal", options.IsDialogSignal()},
                     {"waveform", options.waveform == Waveform::Sine ? "sine" : "square"},
                     {"rate", options.rate},
                     {"leadMarks", options.leadMarks},
                     {"trailMarks", options.trailMarks},
                     {"silenceMs", options.silenceMs},
                     {"corrupt", kCorruptions[static_cast<int>(options.corruption)]}};
    if (options.levelDbfs)
        json["levelDbfs"] = *options.levelDbfs;
    else
        json["amplitudePercent"] = options.amplitudePercent;
    if (options.waveform == Waveform::Sine) {
        json["markHz"] = options.markHz;
        json["spaceHz"] = options.spaceHz;
        json["baud"] = options.baud;
    }
    if (options.noiseSnrDb) {
        json["noiseSnrDb"] = *options.noiseSnrDb;
        json["seed"] = static_cast<qint64>(options.seed);
    }
    if (options.corruption == Corruption::Parity || options.corruption == Corruption::Truncate)
        json["corruptByte"] = options.corruptByte;
    QJsonArray params;
    for (const FrameParameter& parameter : options.extraParameters)
        params.append(QJsonObject{{"type", parameter.type},
                                  {"text", QString::fromStdString(FromCodePage932(parameter.text))}});
    json["params"] = params;
    return json;
}

QJsonObject SignalJson(const NotificationRequest& request, const SignalOptions& options, const CliSignal& signal)
{
    QJsonArray bytes;
    for (int i = 0; i < signal.frame.bSendCnt; ++i)
        bytes.append(signal.frame.data[static_cast<std::size_t>(i)]);
    const int count = signal.frame.bSendCnt;
    const int check = count >= 2 ? signal.frame.data[static_cast<std::size_t>(count - 2)] |
                                       signal.frame.data[static_cast<std::size_t>(count - 1)] << 8
                                 : 0;
    return QJsonObject{
        {"request", QJsonObject{{"kind", request.kind == InformationKind::CallerNumber ? "number" : "reason"},
                                {"text", QString::fromStdString(FromCodePage932(request.text))}}},
        {"frame", QString::fromStdString(HexFrameText(signal.frame))},
        {"frameBytes", bytes},
        {"check", Hex(check, 4)},
        {"bSendCnt", count},
        {"samples", static_cast<qint64>(signal.samples.size())},
        {"seconds", static_cast<double>(signal.samples.size()) / signal.rate},
        {"peak", signal.peak},
        {"options", OptionsJson(options)}};
}

std::vector<std::uint8_t> OutputBytes(const CliSignal& signal, bool bRaw)
{
    if (!bRaw)
        return WaveFileBytes(signal.samples, signal.rate);
    const auto* pBytes = reinterpret_cast<const std::uint8_t*>(signal.samples.data());
    return {pBytes, pBytes + signal.samples.size() * sizeof(std::int16_t)};
}

std::optional<Failure> WriteOutput(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    if (path != "-") {
        const Status status = SaveFileSafely(QFile::encodeName(path).toStdString(), bytes);
        if (!status.IsOk())
            return Failure{kExitFailed, StatusText(status)};
        return std::nullopt;
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Failure{kExitFailed, Tr("Cannot write to standard output: %1").arg(QString::fromLocal8Bit(std::strerror(errno)))};
        written += static_cast<std::size_t>(n);
    }
    return std::nullopt;
}

// The device for one or more plays: opened once, every play waited for, Ctrl-C honoured.
class Player {
public:
    std::optional<Failure> Open(int volume)
    {
        // Ctrl-C stops the sound at once, and the command ends with 130.
        std::signal(SIGINT, OnInterrupt);
        std::signal(SIGTERM, OnInterrupt);
        const Status status = OpenPlayback([this](long, const Status& outcome) {
            std::lock_guard lock(m_mutex);
            m_outcome = outcome;
            m_bDone = true;
            m_done.notify_all();
        });
        if (!status.IsOk())
            return Failure{kExitFailed, StatusText(status)};
        m_bOpen = true;
        ApplyVolume(volume);
        return std::nullopt;
    }
    ~Player()
    {
        if (m_bOpen)
            ClosePlayback();
    }
    // Plays signal and returns when it has been played; a failure if it did not go out whole.
    std::optional<Failure> Play(const CliSignal& signal)
    {
        {
            std::lock_guard lock(m_mutex);
            m_bDone = false;
        }
        const Status started = PlaySamples(signal.samples, signal.rate);
        if (!started.IsOk())
            return Failure{kExitFailed, StatusText(started)};
        std::unique_lock lock(m_mutex);
        while (!m_done.wait_for(lock, std::chrono::milliseconds(20), [this] { return m_bDone; })) {
            if (g_bInterrupted)
                return Failure{kExitInterrupted, Tr("Interrupted.")};
        }
        if (!m_outcome.IsOk())
            return Failure{kExitFailed, StatusText(m_outcome)};
        return std::nullopt;
    }

private:
    bool m_bOpen = false;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_bDone = false;
    Status m_outcome;
};

QCommandLineOption VolumeOption()
{
    return {"volume", Tr("Playback volume, 0 to 100 (default 30)."), "N"};
}

std::optional<Failure> ReadVolume(const QCommandLineParser& parser, const QCommandLineOption& option, int& volume)
{
    long long whole = 30;
    if (parser.isSet(option)) {
        if (auto failure = ParseWhole(parser.value(option), 0, 100, "volume", whole))
            return failure;
    }
    volume = static_cast<int>(whole);
    return std::nullopt;
}

// One command: its options added to parser, then run.
using Command = int (*)(QCommandLineParser& parser, const QStringList& arguments);

int Finish(const std::optional<Failure>& failure)
{
    if (!failure)
        return 0;
    PrintError(failure->message);
    return failure->status;
}

// Parses arguments with the options added so far; nullopt to go on, else the exit status.
std::optional<int> ParseOrExit(QCommandLineParser& parser, const QStringList& arguments)
{
    parser.addHelpOption();
    if (!parser.parse(arguments)) {
        PrintError(parser.errorText());
        return kExitUsage;
    }
    if (parser.isSet("help")) {
        PrintOut(parser.helpText());
        return 0;
    }
    return std::nullopt;
}

// The request and signal that the command line asks for.
struct RequestedSignal {
    NotificationRequest request;
    SignalOptions options;
    CliSignal signal;
};

std::optional<Failure> ReadSignal(const QCommandLineParser& parser, const SignalOptionSet& set,
                                  RequestedSignal& requested)
{
    if (auto failure = ReadRequest(parser.value(set.number), parser.isSet(set.number), parser.value(set.reason),
                                   parser.isSet(set.reason), requested.request))
        return failure;
    if (auto failure = ReadSignalOptions(parser, set, requested.options))
        return failure;
    return Compose(requested.request, requested.options, requested.signal);
}

int RunFrame(QCommandLineParser& parser, const QStringList& arguments)
{
    const SignalOptionSet set;
    set.AddTo(parser, true);
    const QCommandLineOption json("json", Tr("Print one JSON object instead of the status line's text."));
    parser.addOption(json);
    if (auto status = ParseOrExit(parser, arguments))
        return *status;
    RequestedSignal requested;
    if (auto failure = ReadSignal(parser, set, requested))
        return Finish(failure);
    const auto& [request, options, signal] = requested;
    if (parser.isSet(json))
        PrintOut(QString::fromUtf8(QJsonDocument(SignalJson(request, options, signal)).toJson(QJsonDocument::Compact)) + "\n");
    else
        PrintOut(QString::fromStdString(HexFrameText(signal.frame)) + "\n");
    return 0;
}

int RunSave(QCommandLineParser& parser, const QStringList& arguments)
{
    const SignalOptionSet set;
    set.AddTo(parser, true);
    const QCommandLineOption output({"o", "output"}, Tr("The file to write; - for standard output."), "FILE");
    const QCommandLineOption raw("raw", Tr("Bare 16-bit little-endian samples, no WAVE header."));
    parser.addOptions({output, raw});
    if (auto status = ParseOrExit(parser, arguments))
        return *status;
    if (!parser.isSet(output))
        return Finish(Failure{kExitUsage, Tr("Give the file to write with -o FILE (- for standard output).")});
    RequestedSignal requested;
    if (auto failure = ReadSignal(parser, set, requested))
        return Finish(failure);
    return Finish(WriteOutput(parser.value(output), OutputBytes(requested.signal, parser.isSet(raw))));
}

int RunPlay(QCommandLineParser& parser, const QStringList& arguments)
{
    const SignalOptionSet set;
    set.AddTo(parser, true);
    const QCommandLineOption volume = VolumeOption();
    parser.addOption(volume);
    if (auto status = ParseOrExit(parser, arguments))
        return *status;
    RequestedSignal requested;
    int nVolume = 30;
    if (auto failure = ReadSignal(parser, set, requested))
        return Finish(failure);
    if (auto failure = ReadVolume(parser, volume, nVolume))
        return Finish(failure);
    Player player;
    if (auto failure = player.Open(nVolume))
        return Finish(failure);
    return Finish(player.Play(requested.signal));
}

// Opens name for reading, standard input for "-".
std::optional<Failure> OpenInput(const QString& name, QFile& input)
{
    const bool bOpened = name == "-" ? input.open(stdin, QIODevice::ReadOnly)
                                     : (input.setFileName(name), input.open(QIODevice::ReadOnly));
    if (!bOpened)
        return Failure{kExitUsage, Tr("Cannot read %1: %2").arg(name, input.errorString())};
    return std::nullopt;
}

// One line of a batch: "number N" or "reason P", then amplitude=PERCENT and name=NAME fields.
struct BatchLine {
    NotificationRequest request;
    SignalOptions options;
    QString name;
};

std::optional<Failure> ParseBatchLine(const QString& line, const SignalOptions& defaults, BatchLine& parsed)
{
    const QStringList fields = line.split(QChar(' '), Qt::SkipEmptyParts);
    if (fields.size() < 2 || (fields[0] != "number" && fields[0] != "reason"))
        return Failure{kExitFailed, Tr("expected \"number N\" or \"reason P\"")};
    const bool bNumber = fields[0] == "number";
    if (auto failure = ReadRequest(fields[1], bNumber, fields[1], !bNumber, parsed.request))
        return failure;
    parsed.options = defaults;
    parsed.name = bNumber ? "number_" + fields[1] : "reason_" + fields[1];
    for (const QString& field : fields.mid(2)) {
        if (field.startsWith("amplitude=")) {
            const std::optional<int> step = AmplitudeStepFromPercent(field.mid(10).toInt());
            if (!step)
                return Failure{kExitFailed, ProblemText(RequestProblem::UnknownAmplitude)};
            parsed.options.amplitudePercent = (*step + 1) * 10;
            parsed.options.levelDbfs.reset();
        } else if (field.startsWith("name=") && field.size() > 5 && !field.contains('/')) {
            parsed.name = field.mid(5);
        } else {
            return Failure{kExitFailed, Tr("unknown field \"%1\"").arg(field)};
        }
    }
    if (!parsed.name.endsWith(".wav"))
        parsed.name += ".wav";
    return std::nullopt;
}

int RunBatch(QCommandLineParser& parser, const QStringList& arguments)
{
    const SignalOptionSet set;
    set.AddTo(parser, false);
    const QCommandLineOption dir("dir", Tr("Save one WAVE file per line into this folder."), "DIR");
    const QCommandLineOption play("play", Tr("Play the lines in turn instead of saving them."));
    const QCommandLineOption gap("gap-ms", Tr("Silence between two plays in ms (default 1000)."), "MS");
    const QCommandLineOption volume = VolumeOption();
    parser.addOptions({dir, play, gap, volume});
    parser.addPositionalArgument("FILE", Tr("One request a line; - for standard input."));
    if (auto status = ParseOrExit(parser, arguments))
        return *status;
    const QStringList positional = parser.positionalArguments().mid(1);
    if (positional.size() != 1)
        return Finish(Failure{kExitUsage, Tr("Give one batch file, or - for standard input.")});
    if (parser.isSet(dir) == parser.isSet(play))
        return Finish(Failure{kExitUsage, Tr("Give either --dir DIR or --play.")});
    SignalOptions defaults;
    if (auto failure = ReadSignalOptions(parser, set, defaults))
        return Finish(failure);
    long long gapMs = 1000;
    int nVolume = 30;
    if (parser.isSet(gap)) {
        if (auto failure = ParseWhole(parser.value(gap), 0, 600000, "gap-ms", gapMs))
            return Finish(failure);
    }
    if (auto failure = ReadVolume(parser, volume, nVolume))
        return Finish(failure);

    QFile input;
    if (auto failure = OpenInput(positional[0], input))
        return Finish(failure);
    Player player;
    if (parser.isSet(play)) {
        if (auto failure = player.Open(nVolume))
            return Finish(failure);
    }

    int nDone = 0;
    int nFailed = 0;
    int lineNumber = 0;
    while (!input.atEnd() && !g_bInterrupted) {
        ++lineNumber;
        QString line = QString::fromUtf8(input.readLine()).trimmed();
        line = line.left(line.indexOf('#')).trimmed();
        if (line.isEmpty())
            continue;
        BatchLine parsed;
        CliSignal signal;
        std::optional<Failure> failure = ParseBatchLine(line, defaults, parsed);
        if (!failure)
            failure = Compose(parsed.request, parsed.options, signal);
        if (!failure && parser.isSet(play)) {
            if (nDone + nFailed > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
            failure = player.Play(signal);
        } else if (!failure) {
            failure = WriteOutput(parser.value(dir) + "/" + parsed.name, OutputBytes(signal, false));
        }
        if (failure && failure->status == kExitInterrupted)
            return Finish(failure);
        if (failure) {
            PrintError(Tr("line %1: %2").arg(lineNumber).arg(failure->message));
            ++nFailed;
        } else {
            ++nDone;
        }
    }
    if (g_bInterrupted)
        return Finish(Failure{kExitInterrupted, Tr("Interrupted.")});
    PrintOut((parser.isSet(play) ? Tr("batch: %1 played, %2 failed") : Tr("batch: %1 written, %2 failed"))
                 .arg(nDone)
                 .arg(nFailed) + "\n");
    return nFailed == 0 ? 0 : kExitFailed;
}

QString FaultText(const FrameFault& fault)
{
    switch (fault.kind) {
    case FrameFault::Kind::Parity:
        return Tr("parity error in byte %1").arg(fault.byte);
    case FrameFault::Kind::Framing:
        return Tr("no stop bit after byte %1").arg(fault.byte);
    case FrameFault::Kind::Unexpected:
        return Tr("byte %1 is %2 where %3 belongs").arg(fault.byte).arg(Hex(fault.received, 2), Hex(fault.expected, 2));
    case FrameFault::Kind::Cut:
        return Tr("frame cut after byte %1").arg(fault.byte);
    case FrameFault::Kind::Length:
        return Tr("message length %1, but its parameters take %2").arg(fault.expected).arg(fault.received);
    case FrameFault::Kind::Check:
        return Tr("check %1 received, %2 computed").arg(Hex(fault.received, 4), Hex(fault.expected, 4));
    case FrameFault::Kind::Extra:
        return Tr("%1 more bytes after the check").arg(fault.received);
    }
    return {};
}

// The parameter's type by name, and for a reason its meaning; empty for other types.
QString ParameterName(const DecodedParameter& parameter)
{
    if (parameter.type == static_cast<std::uint8_t>(InformationKind::CallerNumber))
        return Tr("caller number");
    if (parameter.type == static_cast<std::uint8_t>(InformationKind::AbsenceReason))
        return Tr("absence reason");
    return {};
}

QString ReasonMeaning(const std::string& text)
{
    static const char* const kMeanings[] = {QT_TRANSLATE_NOOP("corvane-cli", "the caller refused"),
                                            QT_TRANSLATE_NOOP("corvane-cli", "not available"),
                                            QT_TRANSLATE_NOOP("corvane-cli", "public telephone"),
                                            QT_TRANSLATE_NOOP("corvane-cli", "service conflict")};
    const char* pLetter = text.size() == 1 ? std::strchr(kReasonLetters, text[0]) : nullptr;
    return pLetter != nullptr && *pLetter != '\0' ? Tr(kMeanings[pLetter - kReasonLetters]) : QString();
}

QString FrameText(int index, const DecodedFrame& frame)
{
    QString text = Tr("frame %1 at %2 s after %3 mark bits: %4\n")
                       .arg(index)
                       .arg(frame.seconds, 0, 'f', 3)
                       .arg(frame.markRun)
                       .arg(frame.IsValid() ? Tr("valid") : Tr("%1 faults").arg(frame.faults.size()));
    if (frame.messageType)
        text += "  " + Tr("message type %1").arg(Hex(*frame.messageType, 2)) + "\n";
    for (const DecodedParameter& parameter : frame.parameters) {
        const QString name = ParameterName(parameter);
        const QString value = QString::fromStdString(FromCodePage932(parameter.text));
        const QString meaning = parameter.type == 0x04 ? ReasonMeaning(parameter.text) : QString();
        text += "  " + Tr("parameter %1").arg(Hex(parameter.type, 2)) + (name.isEmpty() ? "" : " " + name) + ": " +
                value + (meaning.isEmpty() ? "" : " (" + meaning + ")") + "\n";
    }
    if (frame.checkReceived && frame.checkComputed)
        text += "  " + Tr("check %1 received, %2 computed").arg(Hex(*frame.checkReceived, 4), Hex(*frame.checkComputed, 4)) + "\n";
    for (const FrameFault& fault : frame.faults)
        text += "  " + Tr("fault: %1").arg(FaultText(fault)) + "\n";
    return text;
}

QJsonObject FrameJson(int index, const DecodedFrame& frame)
{
    QJsonArray parameters;
    for (const DecodedParameter& parameter : frame.parameters) {
        QJsonObject json{{"type", parameter.type}, {"text", QString::fromStdString(FromCodePage932(parameter.text))}};
        if (!ParameterName(parameter).isEmpty())
            json["name"] = ParameterName(parameter);
        if (parameter.type == 0x04 && !ReasonMeaning(parameter.text).isEmpty())
            json["meaning"] = ReasonMeaning(parameter.text);
        parameters.append(json);
    }
    QJsonArray faults;
    for (const FrameFault& fault : frame.faults)
        faults.append(FaultText(fault));
    SignalFrame bytes;
    bytes.bSendCnt = static_cast<std::uint8_t>(std::min<std::size_t>(frame.bytes.size(), 255));
    std::copy_n(frame.bytes.begin(), bytes.bSendCnt, bytes.data.begin());
    QJsonObject json{{"frame", index},
                     {"seconds", frame.seconds},
                     {"markRun", frame.markRun},
                     {"bytes", QString::fromStdString(HexFrameText(bytes))},
                     {"parameters", parameters},
                     {"faults", faults},
                     {"valid", frame.IsValid()}};
    if (frame.messageType)
        json["messageType"] = *frame.messageType;
    if (frame.checkReceived)
        json["checkReceived"] = Hex(*frame.checkReceived, 4);
    if (frame.checkComputed)
        json["checkComputed"] = Hex(*frame.checkComputed, 4);
    return json;
}

// Prints frames and returns the status: 0 all valid, 1 a frame has faults, 3 none found.
int ReportFrames(const std::vector<DecodedFrame>& frames, bool bJson)
{
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        PrintOut(bJson ? QString::fromUtf8(QJsonDocument(FrameJson(index, frames[i])).toJson(QJsonDocument::Compact)) + "\n"
                       : FrameText(index, frames[i]));
    }
    if (frames.empty()) {
        PrintError(Tr("No frame found."));
        return kExitNoFrame;
    }
    const bool bAllValid = std::all_of(frames.begin(), frames.end(), [](const DecodedFrame& frame) { return frame.IsValid(); });
    return bAllValid ? 0 : kExitFailed;
}

struct ToneOptionSet {
    QCommandLineOption markHz{"mark-hz", Tr("Mark frequency in Hz (default 1300)."), "HZ"};
    QCommandLineOption spaceHz{"space-hz", Tr("Space frequency in Hz (default 2100)."), "HZ"};
    QCommandLineOption baud{"baud", Tr("Bit rate, 300 to 2400 (default 1200)."), "BAUD"};

    std::optional<Failure> Read(const QCommandLineParser& parser, FskTones& tones) const
    {
        for (const auto& [pOption, pValue, name] : {std::tuple{&markHz, &tones.markHz, "mark-hz"},
                                                    std::tuple{&spaceHz, &tones.spaceHz, "space-hz"}}) {
            if (parser.isSet(*pOption)) {
                if (auto failure = ParseNumber(parser.value(*pOption), 300, 3400, name, *pValue))
                    return failure;
            }
        }
        if (parser.isSet(baud)) {
            if (auto failure = ParseNumber(parser.value(baud), 300, 2400, "baud", tones.baud))
                return failure;
        }
        return std::nullopt;
    }
};

constexpr int kCaptureRate = 24000;

int RunDecode(QCommandLineParser& parser, const QStringList& arguments)
{
    const ToneOptionSet tones;
    const QCommandLineOption channel("channel", Tr("The channel to read, from 1 (default 1)."), "N");
    const QCommandLineOption json("json", Tr("Print one JSON object a frame."));
    const QCommandLineOption capture("capture", Tr("Seconds to record from the default input, 1 to 600."), "SECONDS");
    parser.addOptions({tones.markHz, tones.spaceHz, tones.baud, channel, json, capture});
    parser.addPositionalArgument("FILE", Tr("A WAVE file; - for standard input."));
    if (auto status = ParseOrExit(parser, arguments))
        return *status;
    const QStringList positional = parser.positionalArguments().mid(1);
    FskTones fsk;
    if (auto failure = tones.Read(parser, fsk))
        return Finish(failure);
    if (parser.isSet(capture)) {
        double seconds = 0;
        if (positional.size() != 0)
            return Finish(Failure{kExitUsage, Tr("Give one WAVE file, or - for standard input.")});
        if (auto failure = ParseNumber(parser.value(capture), 1, 600, "capture", seconds))
            return Finish(failure);
        std::vector<std::int16_t> samples;
        const Status recorded = CaptureSamples(seconds, kCaptureRate, samples);
        if (!recorded.IsOk())
            return Finish(Failure{kExitFailed, Tr("Cannot record: %1").arg(StatusText(recorded))});
        return ReportFrames(FindFrames(Demodulate(FromSamples(samples, kCaptureRate), fsk)), parser.isSet(json));
    }
    if (positional.size() != 1)
        return Finish(Failure{kExitUsage, Tr("Give one WAVE file, or - for standard input.")});
    long long nChannel = 1;
    if (parser.isSet(channel)) {
        if (auto failure = ParseWhole(parser.value(channel), 1, 64, "channel", nChannel))
            return Finish(failure);
    }
    QFile input;
    if (auto failure = OpenInput(positional[0], input))
        return Finish(failure);
    const QByteArray bytes = input.readAll();
    WaveProblem problem = WaveProblem::None;
    const std::optional<Recording> recording = ReadWave(
        {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())},
        static_cast<int>(nChannel), problem);
    if (!recording) {
        static const char* const kProblems[] = {
            "", QT_TRANSLATE_NOOP("corvane-cli", "%1 is not a WAVE file."),
            QT_TRANSLATE_NOOP("corvane-cli", "%1: the sample format or rate is not one this reads."),
            QT_TRANSLATE_NOOP("corvane-cli", "%1 has no such channel."),
            QT_TRANSLATE_NOOP("corvane-cli", "%1 holds no samples.")};
        return Finish(Failure{kExitUsage, Tr(kProblems[static_cast<int>(problem)]).arg(positional[0])});
    }
    return ReportFrames(FindFrames(Demodulate(*recording, fsk)), parser.isSet(json));
}

// The mark and space frequencies in samples: the medians of the half-periods between zero
// crossings (interpolated between samples) below and above the tones' midpoint.
std::pair<double, double> ToneFrequencies(const std::vector<float>& samples, int rate, const FskTones& tones)
{
    const double midpoint = (tones.markHz + tones.spaceHz) / 2;
    std::vector<double> marks;
    std::vector<double> spaces;
    double lastCrossing = -1;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if ((samples[i - 1] < 0) == (samples[i] < 0))
            continue;
        const double crossing = static_cast<double>(i - 1) + samples[i - 1] / (samples[i - 1] - samples[i]);
        if (lastCrossing >= 0) {
            const double hz = rate / (2 * (crossing - lastCrossing));
            (hz < midpoint ? marks : spaces).push_back(hz);
        }
        lastCrossing = crossing;
    }
    const auto median = [](std::vector<double>& values) {
        if (values.empty())
            return 0.0;
        std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
        return values[values.size() / 2];
    };
    return {median(marks), median(spaces)};
}

int RunLoopback(QCommandLineParser& parser, const QStringList& arguments)
{
    const SignalOptionSet set;
    set.AddTo(parser, true);
    const QCommandLineOption volume = VolumeOption();
    const QCommandLineOption extra("extra-seconds", Tr("Seconds to record beyond the signal's length (default 1)."), "SECONDS");
    parser.addOptions({volume, extra});
    if (auto status = ParseOrExit(parser, arguments))
        return *status;
    RequestedSignal requested;
    int nVolume = 30;
    double extraSeconds = 1;
    if (auto failure = ReadSignal(parser, set, requested))
        return Finish(failure);
    const CliSignal& signal = requested.signal;
    if (auto failure = ReadVolume(parser, volume, nVolume))
        return Finish(failure);
    if (parser.isSet(extra)) {
        if (auto failure = ParseNumber(parser.value(extra), 0, 60, "extra-seconds", extraSeconds))
            return Finish(failure);
    }
    Player player;
    if (auto failure = player.Open(nVolume))
        return Finish(failure);

    std::vector<std::int16_t> samples;
    Status recorded;
    const double seconds = static_cast<double>(signal.samples.size()) / signal.rate + extraSeconds;
    std::thread recorder([&] { recorded = CaptureSamples(seconds, signal.rate, samples); });
    const std::optional<Failure> played = player.Play(signal);
    recorder.join();
    if (played)
        return Finish(played);
    if (!recorded.IsOk())
        return Finish(Failure{kExitFailed, Tr("Cannot record: %1").arg(StatusText(recorded))});

    const Recording recording = FromSamples(samples, signal.rate);
    const std::vector<DecodedFrame> frames = FindFrames(Demodulate(recording, {}));
    const std::vector<std::uint8_t> sent(signal.frame.data.begin(), signal.frame.data.begin() + signal.frame.bSendCnt);
    const bool bPass = std::any_of(frames.begin(), frames.end(),
                                   [&](const DecodedFrame& frame) { return frame.IsValid() && frame.bytes == sent; });
    // Level and tones over the part of the recording that holds the signal.
    float peak = 0;
    for (const float sample : recording.samples)
        peak = std::max(peak, std::abs(sample));
    const auto loud = [peak](float sample) { return std::abs(sample) > peak / 10; };
    const auto first = std::find_if(recording.samples.begin(), recording.samples.end(), loud);
    const auto last = std::find_if(recording.samples.rbegin(), recording.samples.rend(), loud).base();
    const auto [markHz, spaceHz] = ToneFrequencies(std::vector<float>(first, std::max(first, last)), signal.rate, {});
    const double levelDb = peak > 0 ? 20 * std::log10(peak) : -120.0;
    PrintOut((bPass ? Tr("loopback: pass") : Tr("loopback: fail")) + "\n" +
             Tr("level %1 dBFS, mark %2 Hz, space %3 Hz")
                 .arg(levelDb, 0, 'f', 1)
                 .arg(markHz, 0, 'f', 0)
                 .arg(spaceHz, 0, 'f', 0) + "\n");
    for (std::size_t i = 0; i < frames.size(); ++i)
        PrintOut(FrameText(static_cast<int>(i) + 1, frames[i]));
    if (!bPass)
        PrintError(Tr("the frame sent was not received whole"));
    return bPass ? 0 : kExitFailed;
}

int Run(QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        Tr("Makes the Japanese caller ID signal: the frame, a WAVE file, a play on the default output.\n\n"
           "Commands:\n"
           "  frame    print the frame as the dialog's status line shows it\n"
           "  save     write the signal as a WAVE file (-o FILE)\n"
           "  play     play the signal once on the default output\n"
           "  batch    save or play one request per line of a file\n"
           "  decode   find and check every frame in a WAVE file or a recording\n"
           "  loopback play while recording, and check the frame, level and tones received\n\n"
           "corvane-cli COMMAND --help shows the options of a command."));
    parser.addPositionalArgument("command", Tr("frame, save, play, batch, decode or loopback"));
    parser.addVersionOption();
    parser.addHelpOption();
    parser.parse(app.arguments());
    const QStringList positional = parser.positionalArguments();
    const QString command = positional.isEmpty() ? QString() : positional.first();
    static const std::pair<const char*, Command> kCommands[] = {
        {"frame", RunFrame}, {"save", RunSave}, {"play", RunPlay}, {"batch", RunBatch}, {"decode", RunDecode}, {"loopback", RunLoopback}};
    for (const auto& [name, run] : kCommands) {
        if (command == name) {
            QCommandLineParser commandParser;
            commandParser.addPositionalArgument(name, Tr("the command"));
            return run(commandParser, app.arguments());
        }
    }
    if (parser.isSet("version")) {
        PrintOut(QStringLiteral("corvane-cli %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    if (parser.isSet("help")) {
        PrintOut(parser.helpText());
        return 0;
    }
    PrintError(command.isEmpty() ? Tr("Give a command: frame, save, play, batch, decode or loopback.")
                                 : Tr("Unknown command \"%1\".").arg(command));
    PrintError(Tr("corvane-cli --help lists the commands."));
    return kExitUsage;
}

}  // namespace

}  // namespace corvane::cli

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    corvane::cli::LoadTranslations(app);
    // A pipe whose reader went away fails the write instead of killing the command.
    std::signal(SIGPIPE, SIG_IGN);
    const int status = corvane::cli::Run(app);
    if (corvane::PlaybackLeftStuck()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
