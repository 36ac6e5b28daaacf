// SPDX-License-Identifier: MIT
// Every request the dialog can make gives the same frame text and the same WAVE file bytes on
// every platform: the Linux and the Windows builds both run this against one table.
#include "signal/compose.h"
#include "signal_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

namespace corvane {
namespace {

// FNV-1a, 64 bits: enough to tell two 72 kB files apart in a table that fits on a page.
std::uint64_t Fnv1a(std::span<const std::uint8_t> bytes)
{
    std::uint64_t hash = 0xCBF29CE484222325u;
    for (const std::uint8_t byte : bytes)
        hash = (hash ^ byte) * 0x100000001B3u;
    return hash;
}

struct Expected {
    const char* pszFrame;
    std::uint64_t waveHash;  // at the dialog's initial amplitude, 20 %
};

// Taken from the Linux build (glibc, x86-64) at the time the Windows build was added; the frames
// agree with the check bytes worked by hand in the frame tests.
const std::map<std::string, Expected>& Table()
{
    static const std::map<std::string, Expected> table = {
        {"Number1", {"90 81 87 90 82 C0 03 82 81 B1 90 03 FB 86 ", 0x65E3895974244768u}},
        {"Number2", {"90 81 87 90 82 C0 84 82 82 B1 B2 90 03 3E A2 ", 0x9BEA1A96626C6B8Bu}},
        {"Number3", {"90 81 87 90 82 C0 05 82 03 B1 B2 33 90 03 96 72 ", 0xA13F45DCDEE1EEBCu}},
        {"Number4", {"90 81 87 90 82 C0 06 82 84 B1 B2 33 B4 90 03 3B 07 ", 0x4ECFA4462071ED0Bu}},
        {"Number5", {"90 81 87 90 82 C0 87 82 05 B1 B2 33 B4 35 90 03 1F 7C ", 0x9A26B99EFA658E11u}},
        {"Number6", {"90 81 87 90 82 C0 88 82 06 B1 B2 33 B4 35 36 90 03 E1 FA ", 0xD62B33B5BC6754F3u}},
        {"Number7", {"90 81 87 90 82 C0 09 82 87 B1 B2 33 B4 35 36 B7 90 03 A9 DD ", 0x51354585607DB9E0u}},
        {"Number8", {"90 81 87 90 82 C0 0A 82 88 B1 B2 33 B4 35 36 B7 B8 90 03 FA EE ", 0x719919DCE4C3E01Bu}},
        {"Number9", {"90 81 87 90 82 C0 8B 82 09 B1 B2 33 B4 35 36 B7 B8 39 90 03 FD 19 ", 0xD0CF4522355FD560u}},
        {"Number10", {"90 81 87 90 82 C0 0C 82 0A B1 B2 33 B4 35 36 B7 B8 39 30 90 03 4F E3 ", 0x3C52B9A966F4409Fu}},
        {"Number11", {"90 81 87 90 82 C0 8D 82 8B B1 B2 33 B4 35 36 B7 B8 39 30 B1 90 03 68 B0 ", 0x8CA145CA875E332Cu}},
        {"Number12",
         {"90 81 87 90 82 C0 8E 82 0C B1 B2 33 B4 35 36 B7 B8 39 30 B1 B2 90 03 70 A7 ", 0x27769F0152C847F7u}},
        {"Number13",
         {"90 81 87 90 82 C0 0F 82 8D B1 B2 33 B4 35 36 B7 B8 39 30 B1 B2 33 90 03 D0 4C ", 0x815EEE9260207F24u}},
        {"Number14",
         {"90 81 87 90 82 C0 90 90 82 8E B1 B2 33 B4 35 36 B7 B8 39 30 B1 B2 33 B4 90 03 5C D1 ", 0xD9B99CF26A06BF6Cu}},
        {"Number15",
         {"90 81 87 90 82 C0 11 82 0F B1 B2 33 B4 35 36 B7 B8 39 30 B1 B2 33 B4 35 90 03 30 A0 ", 0x4DF13B91D91D58B0u}},
        {"Number16",
         {"90 81 87 90 82 C0 12 82 90 90 B1 B2 33 B4 35 36 B7 B8 39 30 B1 B2 33 B4 35 36 90 03 5A 3A ",
          0xA44372809E28AB48u}},
        {"Number17",
         {"90 81 87 90 82 C0 93 82 11 B1 B2 33 B4 35 36 B7 B8 39 30 B1 B2 33 B4 35 36 B7 90 03 4A FD ",
          0x75AF9A72D8C3B838u}},
        {"Number18",
         {"90 81 87 90 82 C0 14 82 12 B1 B2 33 B4 35 36 B7 B8 39 30 B1 B2 33 B4 35 36 B7 B8 90 03 AA 05 ",
          0xE3D2BCB97D840AF3u}},
        {"Number19",
         {"90 81 87 90 82 C0 95 82 93 B1 B2 33 B4 35 36 B7 B8 39 30 B1 B2 33 B4 35 36 B7 B8 39 90 03 71 B1 ",
          0x295286A69F96747Cu}},
        {"Number20",
         {"90 81 87 90 82 C0 96 82 14 B1 B2 33 B4 35 36 B7 B8 39 30 B1 B2 33 B4 35 36 B7 B8 39 30 90 03 A1 15 ",
          0xD439B466613218D7u}},
        {"ReasonC", {"90 81 87 90 82 C0 03 84 81 C3 90 03 03 88 ", 0x2DABBA776DE8778Cu}},
        {"ReasonO", {"90 81 87 90 82 C0 03 84 81 CF 90 03 A0 2D ", 0x25C460EC8E8944C4u}},
        {"ReasonP", {"90 81 87 90 82 C0 03 84 81 50 90 03 1E EE ", 0x8CAE4D71CE021D0Cu}},
        {"ReasonS", {"90 81 87 90 82 C0 03 84 81 53 90 03 7A 01 ", 0xBE863E4E550B0308u}},
    };
    return table;
}

class PlatformParity : public testing::TestWithParam<NotificationRequest> {};

TEST_P(PlatformParity, FrameTextAndWaveFileBytesAreTheLinuxBuilds)
{
    iWaveFormValue = AmplitudeFromStep(1).value();
    std::string frame;
    std::vector<std::uint8_t> wave;
    auto buffer = std::make_unique<SampleBuffer>();
    const ComposeOutcome outcome = ComposeSignal(
        ComposeMode::Save, "parity.wav", GetParam(), *buffer, [&](const std::string& text) { frame = text; },
        [&](const std::string&, std::span<const std::uint8_t> bytes) {
            wave.assign(bytes.begin(), bytes.end());
            return Status();
        });
    ASSERT_TRUE(outcome.status.IsOk());
    const std::string name = test::RequestName(GetParam());
    char szRow[512];
    std::snprintf(szRow, sizeof szRow, "{\"%s\", {\"%s\", 0x%016llXu}},", name.c_str(), frame.c_str(),
                  static_cast<unsigned long long>(Fnv1a(wave)));
    const auto row = Table().find(name);
    ASSERT_NE(row, Table().end()) << "no row; this platform gives " << szRow;
    EXPECT_EQ(frame, row->second.pszFrame) << szRow;
    EXPECT_EQ(Fnv1a(wave), row->second.waveHash) << szRow;
}

INSTANTIATE_TEST_SUITE_P(DialogRequests, PlatformParity, testing::ValuesIn(test::DialogRequests()),
                         [](const testing::TestParamInfo<NotificationRequest>& param) {
                             return test::RequestName(param.param);
                         });

}  // namespace
}  // namespace corvane
