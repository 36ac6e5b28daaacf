// SPDX-License-Identifier: MIT
// corvane-cli run as a script runs it: arguments, exit status, standard output and error, files.
#include "cli_run.h"
#include "signal/compose.h"
#include "signal/frame.h"
#include "signal/wave_file.h"
#include "support/alsa_test_config.h"
#include "support/receivers.h"
#include "support/requests.h"
#include "support/temp_files.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane {
namespace {

using test::CliRun;
using test::DialogBuffer;
using test::Digits;
using test::ReadFile;
using test::RunCli;
using test::TempDir;

std::vector<std::uint8_t> Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

class DefaultOutput : public testing::TestWithParam<NotificationRequest> {};

TEST_P(DefaultOutput, IsTheDialogsByteForByte)
{
    const NotificationRequest& request = GetParam();
    const bool bNumber = request.kind == InformationKind::CallerNumber;
    const std::vector<std::string> what = {bNumber ? "--number" : "--reason", request.text};
    TempDir dir;
    for (const int percent : {20, 70}) {
        std::vector<std::string> save = {"save", "-o", dir.File("out.wav")};
        save.insert(save.end(), what.begin(), what.end());
        if (percent != 20)
            save.insert(save.end(), {"--amplitude", std::to_string(percent)});
        ASSERT_EQ(RunCli(save).status, 0);
        EXPECT_EQ(ReadFile(dir.File("out.wav")), WaveFileBytes(*DialogBuffer(request, percent))) << percent;
    }
    std::vector<std::string> frame = {"frame"};
    frame.insert(frame.end(), what.begin(), what.end());
    const CliRun printed = RunCli(frame);
    EXPECT_EQ(printed.status, 0);
    EXPECT_EQ(printed.out, HexFrameText(*BuildFrame(request)) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Requests, DefaultOutput, testing::ValuesIn(test::DialogRequests()),
                         [](const testing::TestParamInfo<NotificationRequest>& param) {
                             return test::RequestName(param.param);
                         });

TEST(Save, ToStandardOutputAndRaw)
{
    TempDir dir;
    ASSERT_EQ(RunCli({"save", "--reason", "S", "-o", dir.File("s.wav")}).status, 0);
    const CliRun wave = RunCli({"save", "--reason", "S", "-o", "-"});
    EXPECT_EQ(wave.status, 0);
    EXPECT_EQ(Bytes(wave.out), ReadFile(dir.File("s.wav")));
    const CliRun raw = RunCli({"save", "--reason", "S", "-o", "-", "--raw"});
    EXPECT_EQ(raw.status, 0);
    const auto file = ReadFile(dir.File("s.wav"));
    EXPECT_EQ(Bytes(raw.out), std::vector<std::uint8_t>(file.begin() + kWaveHeaderBytes, file.end()));
}

TEST(Save, ANumberInTheLocalesEncodingIsFramedAsCodePage932)
{
    const CliRun run = RunCli({"frame", "--number", "あい"}, {"LANG=C.UTF-8"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, HexFrameText(*BuildFrame({InformationKind::CallerNumber, "\x82\xA0\x82\xA2"})) + "\n");
}

TEST(Save, AFailureSaysWhichFileAndWhyInTheLocalesLanguage)
{
    TempDir dir;
    const std::string path = dir.File("missing/x.wav");
    const CliRun english = RunCli({"save", "--reason", "P", "-o", path}, {"LANG=C"});
    EXPECT_EQ(english.status, 1);
    EXPECT_NE(english.err.find("corvane-cli: Cannot save the file \"" + path + "\": "), std::string::npos)
        << english.err;
    const CliRun japanese = RunCli({"save", "--reason", "P", "-o", path}, {"LANG=ja_JP.UTF-8"});
    EXPECT_EQ(japanese.status, 1);
    EXPECT_NE(japanese.err.find("ファイル「" + path + "」を保存できませんでした"), std::string::npos) << japanese.err;
    EXPECT_TRUE(dir.Entries().empty());
}

TEST(Save, JapaneseFileAndFolderNamesAreReadAndWrittenAsNamed)
{
    // In a UTF-8 locale: the Windows build runs under wine, whose file names follow the locale.
    const std::vector<std::string> utf8 = {"LANG=C.UTF-8"};
    TempDir dir;
    std::filesystem::create_directory(dir.File("試験"));
    const std::string path = dir.File("試験/発信テスト.wav");
    ASSERT_EQ(RunCli({"save", "--reason", "P", "-o", path}, utf8).status, 0);
    EXPECT_EQ(ReadFile(path), Bytes(RunCli({"save", "--reason", "P", "-o", "-"}).out));
    const std::string picture = dir.File("試験/図.png");
    const CliRun decoded = RunCli({"decode", path, "--plot", picture}, utf8);
    EXPECT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_NE(decoded.out.find("reason: P"), std::string::npos) << decoded.out;
    EXPECT_GT(std::filesystem::file_size(picture), 1000U);

    const std::string list = dir.File("試験/一覧.txt");
    const std::string line = "reason C name=非通知\n";
    test::WriteFile(list, {line.begin(), line.end()});
    const CliRun batch = RunCli({"batch", list, "--dir", dir.File("試験")}, utf8);
    EXPECT_EQ(batch.status, 0) << batch.err;
    EXPECT_TRUE(std::filesystem::exists(dir.File("試験/非通知.wav")));

    // The name comes back in a message as it was given, here in Japanese.
    const std::string missing = dir.File("無い/x.wav");
    const CliRun failed = RunCli({"save", "--reason", "P", "-o", missing}, {"LANG=ja_JP.UTF-8"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("ファイル「" + missing + "」を保存できませんでした"), std::string::npos) << failed.err;
}

struct BadInput {
    const char* label;
    std::vector<std::string> arguments;
    std::string locale;
    std::string message;  // part of what standard error says
};

class RefusesBadInput : public testing::TestWithParam<BadInput> {};

TEST_P(RefusesBadInput, WithStatusTwoAMessageAndNothingWritten)
{
    TempDir dir;
    std::vector<std::string> arguments = GetParam().arguments;
    if (arguments.front() == "save")
        arguments.insert(arguments.end(), {"-o", dir.File("x.wav")});
    const CliRun run = RunCli(arguments, {"LANG=" + GetParam().locale});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(dir.Entries().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusesBadInput,
    testing::Values(
        BadInput{"EmptyNumber", {"save", "--number", ""}, "C", "Please enter a number."},
        BadInput{"TwentyOneDigits", {"save", "--number", Digits(21)}, "C", "The number can have at most 20 digits."},
        BadInput{"EmptyNumberJapanese", {"save", "--number", ""}, "ja_JP.UTF-8", "番号を入力してください"},
        BadInput{
            "TwentyOneDigitsJapanese", {"save", "--number", Digits(21)}, "ja_JP.UTF-8", "番号は20桁まで設定できます"},
        BadInput{"UnknownReason", {"save", "--reason", "X"}, "C", "The reason is one of P, O, C and S."},
        BadInput{"AmplitudeOffTheList", {"save", "--reason", "P", "--amplitude", "15"}, "C", "10, 20, ..., 100"},
        BadInput{"NumberAndReason", {"save", "--reason", "P", "--number", "1"}, "C", "either --number or --reason"},
        BadInput{"NoRequest", {"frame"}, "C", "either --number or --reason"},
        BadInput{"NoOutput", {"frame", "--reason", "P", "--raw"}, "C", "raw"},
        BadInput{"UnknownCommand", {"sing"}, "C", "Unknown command \"sing\"."},
        BadInput{
            "ByteBeyondTheFrame", {"save", "--reason", "P", "--corrupt", "parity:15"}, "C", "the frame has 14 bytes"},
        BadInput{"MarkBelowTheRange", {"save", "--reason", "P", "--mark-hz", "50"}, "C", "--mark-hz"},
        BadInput{"NoStopBit", {"save", "--reason", "P", "--stop-bits", "0"}, "C", "--stop-bits"},
        BadInput{"OddRate", {"save", "--reason", "P", "--rate", "22050"}, "C", "--rate is one of"},
        BadInput{"LevelAndAmplitude",
                 {"save", "--reason", "P", "--amplitude", "20", "--level-dbfs", "-6"},
                 "C",
                 "not both"}),
    [](const testing::TestParamInfo<BadInput>& param) { return std::string(param.param.label); });

TEST(Batch, ABadLineIsReportedAndTheOthersStillRun)
{
    TempDir dir;
    const std::string lines = "number 0312345678\n"
                              "numbr 123\n"
                              "# a comment\n"
                              "reason P name=refused amplitude=70  # trailing comment\n"
                              "number " +
                              Digits(21) +
                              "\n"
                              "\n"
                              "reason C\n";
    const CliRun run = RunCli({"batch", "-", "--dir", dir.Path()}, {"LANG=C"}, lines);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("line 2: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("line 5: The number can have at most 20 digits."), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "batch: 3 written, 2 failed\n");
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"number_0312345678.wav", "reason_C.wav", "refused.wav"}));
    EXPECT_EQ(ReadFile(dir.File("refused.wav")),
              WaveFileBytes(*DialogBuffer({InformationKind::AbsenceReason, "P"}, 70)));
}

TEST(Json, NamesTheRequestFrameLengthAndEveryStressOption)
{
    const CliRun run = RunCli({"frame", "--number", "0312345678", "--json", "--waveform", "sine", "--rate", "8000",
                               "--noise-snr", "20", "--seed", "9", "--param", "0x01:12081530", "--corrupt", "crc"});
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
    EXPECT_EQ(json["request"]["text"].toString().toStdString(), "0312345678");
    EXPECT_EQ(json["sendCount"].toInt(), 33);
    EXPECT_EQ(json["frame"].toString().size(), 98);  // no space after the last byte
    EXPECT_EQ(json["version"].toString().toStdString(), CORVANE_PROJECT_VERSION);
    const QJsonObject options = json["options"].toObject();
    EXPECT_FALSE(options["dialogSignal"].toBool());
    EXPECT_EQ(options["waveform"].toString(), "sine");
    EXPECT_EQ(options["rate"].toInt(), 8000);
    EXPECT_EQ(options["noiseSnrDb"].toDouble(), 20.0);
    EXPECT_EQ(options["seed"].toInt(), 9);
    EXPECT_EQ(options["corrupt"].toString(), "crc");
    EXPECT_EQ(options["params"][0]["type"].toInt(), 1);
    EXPECT_EQ(json["seconds"].toDouble(), json["samples"].toDouble() / 8000);
}

class MinimodemAtRate : public testing::TestWithParam<int> {};

TEST_P(MinimodemAtRate, ReceivesTheSineSignalAlsoInNoise)
{
    TempDir dir;
    const auto expected = [] {
        const auto frame = BuildFrame({InformationKind::CallerNumber, "0312345678"});
        return std::vector<std::uint8_t>(frame->data.begin(), frame->data.begin() + frame->bSendCnt);
    }();
    for (const bool bNoise : {false, true}) {
        std::vector<std::string> arguments = {
            "save", "--number",       "0312345678", "--waveform", "sine", "--rate", std::to_string(GetParam()),
            "-o",   dir.File("s.wav")};
        if (bNoise)
            arguments.insert(arguments.end(), {"--noise-snr", "20", "--seed", "5"});
        ASSERT_EQ(RunCli(arguments).status, 0);
        const auto received = test::MinimodemReceive(dir.File("s.wav"));
        ASSERT_TRUE(received.has_value());
        // Noise in the silences may read as a stray byte or two around the frame.
        EXPECT_NE(std::search(received->begin(), received->end(), expected.begin(), expected.end()), received->end())
            << GetParam() << (bNoise ? " with noise" : "");
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, MinimodemAtRate, testing::Values(8000, 16000, 24000, 44100, 48000));

class Decode : public testing::Test {
protected:
    // Saves a signal with the given options and decodes it; the decoder's run.
    CliRun SaveAndDecode(const std::vector<std::string>& saveOptions,
                         const std::vector<std::string>& decodeOptions = {}, const std::string& locale = "C")
    {
        std::vector<std::string> save = {"save", "-o", m_dir.File("s.wav")};
        save.insert(save.end(), saveOptions.begin(), saveOptions.end());
        EXPECT_EQ(RunCli(save).status, 0);
        std::vector<std::string> decode = {"decode", m_dir.File("s.wav")};
        decode.insert(decode.end(), decodeOptions.begin(), decodeOptions.end());
        return RunCli(decode, {"LANG=" + locale});
    }

    TempDir m_dir;
};

TEST_F(Decode, AValidFrameIsShownWithItsParametersAndCheck)
{
    const CliRun run = SaveAndDecode({"--reason", "P"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("frame 1 at 0.267 s after "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("mark bits: valid\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  message type 0x40\n"), std::string::npos);
    EXPECT_NE(run.out.find("  parameter 0x04 absence reason: P (the caller refused)\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  check 0xEE1E received, 0xEE1E computed\n"), std::string::npos);
}

TEST_F(Decode, FaultsAreNamedByPositionAndGiveStatusOne)
{
    const CliRun crc = SaveAndDecode({"--number", "0312345678", "--corrupt", "crc"});
    EXPECT_EQ(crc.status, 1);
    EXPECT_NE(crc.out.find("fault: check 0xAD04 received, 0x52FB computed"), std::string::npos) << crc.out;
    const CliRun cut = SaveAndDecode({"--number", "0312345678", "--corrupt", "truncate:17"});
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(cut.out.find("fault: frame cut after byte 17"), std::string::npos) << cut.out;
    const CliRun parity = SaveAndDecode({"--number", "0312345678", "--corrupt", "parity:9"}, {}, "ja_JP.UTF-8");
    EXPECT_EQ(parity.status, 1);
    EXPECT_NE(parity.out.find("9バイト目のパリティ誤り"), std::string::npos) << parity.out;
}

TEST_F(Decode, JsonGivesOneObjectAFrameAndFurtherParametersAreShown)
{
    const CliRun run = SaveAndDecode({"--number", "0312", "--param", "0x01:12081530", "--param", "0x7E:X"}, {"--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
    EXPECT_TRUE(json["valid"].toBool());
    EXPECT_EQ(json["parameters"][0]["name"].toString(), "caller number");
    EXPECT_EQ(json["parameters"][1]["type"].toInt(), 1);
    EXPECT_EQ(json["parameters"][1]["text"].toString(), "12081530");
    EXPECT_EQ(json["parameters"][2]["type"].toInt(), 0x7E);
    EXPECT_EQ(json["checkReceived"].toString(), json["checkComputed"].toString());
}

TEST_F(Decode, StatusesForNoFrameAndBadInput)
{
    const CliRun silence = SaveAndDecode({"--reason", "P", "--level-dbfs", "-90"});
    EXPECT_EQ(silence.status, 3);
    EXPECT_NE(silence.err.find("No frame found."), std::string::npos);
    EXPECT_EQ(RunCli({"decode", m_dir.File("s.wav"), "--channel", "2"}).status, 2);
    EXPECT_EQ(RunCli({"decode", m_dir.File("missing.wav")}).status, 2);
    EXPECT_EQ(RunCli({"decode"}).status, 2);
    const CliRun text = RunCli({"decode", "-"}, {"LANG=C"}, "not a wave file");
    EXPECT_EQ(text.status, 2);
    EXPECT_NE(text.err.find("is not a WAVE file"), std::string::npos) << text.err;
}

TEST(Options, HelpAndVersion)
{
    const CliRun help = RunCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("batch"), std::string::npos);
    const CliRun saveHelp = RunCli({"save", "--help"});
    EXPECT_EQ(saveHelp.status, 0);
    EXPECT_NE(saveHelp.out.find("--noise-snr"), std::string::npos);
    const CliRun version = RunCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("corvane-cli ", 0), 0u);
}

}  // namespace
}  // namespace corvane
