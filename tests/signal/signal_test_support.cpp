#include "signal_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace corvane {

void PrintTo(const NotificationRequest& request, std::ostream* pOut)
{
    *pOut << (request.kind == InformationKind::AbsenceReason ? "reason \"" : "number \"") << request.text << '"';
}

}  // namespace corvane

namespace corvane::test {

std::vector<std::uint8_t> FrameBytes(const SignalFrame& frame)
{
    return {frame.data.begin(), frame.data.begin() + frame.bSendCnt};
}

std::string Digits(std::size_t length)
{
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
        text += static_cast<char>('0' + (i + 1) % 10);
    return text;
}

NotificationRequest Number(std::string text)
{
    return {InformationKind::CallerNumber, std::move(text)};
}

NotificationRequest Reason(char letter)
{
    return {InformationKind::AbsenceReason, std::string(1, letter)};
}

std::unique_ptr<SampleBuffer> Synthesize(const NotificationRequest& request, int step)
{
    auto buffer = std::make_unique<SampleBuffer>();
    iWaveFormValue = AmplitudeFromStep(step).value();
    const auto frame = BuildFrame(request);
    EXPECT_TRUE(frame.has_value());
    if (frame) {
        EXPECT_TRUE(SynthesizeSignal(*frame, *buffer).has_value());
    }
    return buffer;
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::vector<std::string> TempDir::Entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace corvane::test
