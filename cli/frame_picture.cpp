// SPDX-License-Identifier: MIT
#include "frame_picture.h"

#include "frame_report.h"
#include "plot.h"

#include <algorithm>
#include <cmath>

namespace corvane::cli {

namespace {

constexpr double kCellWidth = 7;  // pixels a bit cell
constexpr double kMargin = 40;
constexpr double kEnvelopeTop = 60;
constexpr double kEnvelopeHeight = 80;
constexpr double kHigh = 165;  // the cells' line for a mark
constexpr double kLow = 195;   // and for a space
constexpr double kBytesY = 215;
constexpr double kFieldsY = 245;
constexpr double kFaultsY = 300;
constexpr std::size_t kMeasureColumns = 4;
constexpr Colour kInk{0, 0, 0};
constexpr Colour kFaint{0.55, 0.55, 0.55};
constexpr Colour kEnvelope{0.12, 0.47, 0.71};
constexpr Colour kRed{0.84, 0.15, 0.16};
constexpr std::uint8_t kDle = 0x10;

// The frame's fields over its bytes: a name for each run of bytes, as the frame's rules lay them
// out; bytes past what the rules account for are left unnamed.
std::vector<std::pair<std::size_t, std::string>> Fields(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::pair<std::size_t, std::string>> fields;  // first byte, name
    const auto value = [&bytes](std::size_t at) { return at < bytes.size() ? bytes[at] & 0x7F : -1; };
    const auto add = [&fields, &bytes](std::size_t at, std::string name) {
        if (at < bytes.size())
            fields.emplace_back(at, std::move(name));
    };
    add(0, "DLE SOH");
    add(2, Tr("header"));
    add(3, "DLE STX");
    add(5, Tr("message type"));
    std::size_t at = 6;
    add(at, Tr("length"));
    if (value(at) == kDle)
        ++at;
    int remaining = value(at++);
    while (remaining > 0 && at < bytes.size()) {
        add(at, Format(Tr("parameter %1"), {Hex(value(at), 2)}));
        ++at;
        if (value(at) == kDle)
            ++at;
        const int length = value(at++);
        if (length < 0)
            break;
        at += static_cast<std::size_t>(length);
        remaining -= 2 + length;
    }
    add(at, "DLE ETX");
    add(at + 2, Tr("check"));
    add(at + 4, Tr("more"));
    return fields;
}

}  // namespace

void Envelope::Take(const std::vector<float>& samples, int rate)
{
    const long long perMs = std::max(1, rate / 1000);
    const auto limit = static_cast<std::size_t>(kEnvelopeSeconds * 1000);
    for (const float sample : samples) {
        const auto ms = static_cast<std::size_t>(m_n++ / perMs);
        if (ms >= limit)
            return;
        if (ms >= m_peaks.size())
            m_peaks.resize(ms + 1, 0.0F);
        // As the receiver reads them: beyond full scale as full scale, not-a-number as silence.
        m_peaks[ms] = std::max(m_peaks[ms], std::min(std::abs(sample), 1.0F));
    }
}

std::optional<Failure> DrawFramePicture(int index, const ReportedFrame& reported, const Envelope& envelope, double baud,
                                        const std::string& path, const std::optional<double>& calDbm,
                                        const LineLimits& limits)
{
    const DecodedFrame& frame = reported.frame;
    std::vector<std::pair<std::string, bool>> measured;  // each measurement in words, and whether outside its limits
    for (const MeasureField& field : MeasureFields()) {
        const std::optional<double> value = MeasureValue(field, reported.measures, calDbm);
        if (value && (!field.bNeedsCalibration || calDbm))
            measured.emplace_back(Tr(field.label) + " " + ValueText(field, *value),
                                  OutsideText(field, reported.measures, calDbm, limits).has_value());
    }
    const std::size_t nBytes = frame.bytes.size();
    const double cell = 1 / baud;
    const double start = frame.seconds - 4 * cell;
    const double end = (nBytes > 0 ? frame.byteSeconds.back() : frame.seconds) + 14 * cell;
    const double width = std::max(800.0, 2 * kMargin + (end - start) / cell * kCellWidth);
    const double measuresY = kFaultsY + 20 * static_cast<double>(frame.faults.size()) + 10;
    const double rows = static_cast<double>((measured.size() + kMeasureColumns - 1) / kMeasureColumns);
    const double height = measuresY + 18 * rows + 20;
    const std::unique_ptr<Canvas> canvas = MakeCanvas(path, width, height);
    if (!canvas)
        return Failure{kExitUsage, Format(Tr("A plot is a .png or an .svg file, not %1."), {path})};
    const auto toX = [&](double seconds) { return kMargin + (seconds - start) / cell * kCellWidth; };

    canvas->Text(Format(Tr("frame %1 at %2 s: %3"),
                        {Number(index), Fixed(frame.seconds, 3),
                         frame.IsValid() ? Tr("valid") : Format(Tr("%1 faults"), {Number(frame.faults.size())})}),
                 kMargin, 30, 0, 15, false, frame.IsValid() ? kInk : kRed);
    // The envelope: the largest magnitude in each millisecond, full scale at the band's top.
    const std::vector<float>& peaks = envelope.Peaks();
    canvas->Text(Tr("envelope"), kMargin, kEnvelopeTop - 6, 0, 11, false, kFaint);
    const float highest = std::max(1e-6F, *std::max_element(peaks.begin(), peaks.end()));
    for (std::size_t ms = std::max<std::size_t>(1, static_cast<std::size_t>(std::max(0.0, start * 1000)));
         ms < std::min(peaks.size(), static_cast<std::size_t>(end * 1000)); ++ms) {
        const auto y = [&](std::size_t at) { return kEnvelopeTop + kEnvelopeHeight * (1 - peaks[at] / highest); };
        canvas->Line(toX((ms - 1) / 1000.0), y(ms - 1), toX(ms / 1000.0), y(ms), kEnvelope, 1.5);
    }
    // Each byte's cells (start bit, eight data bits, stop bit), its value under them, red if
    // faulted.
    std::vector<bool> bFaulted(nBytes, false);
    for (const FrameFault& fault : frame.faults) {
        if (fault.byte >= 1 && static_cast<std::size_t>(fault.byte) <= nBytes)
            bFaulted[static_cast<std::size_t>(fault.byte - 1)] = true;
    }
    for (std::size_t i = 0; i < nBytes; ++i) {
        const Colour colour = bFaulted[i] ? kRed : kInk;
        double lastY = kHigh;
        for (int k = 0; k < 10; ++k) {
            const bool bMark = k == 9 || (k > 0 && ((frame.bytes[i] >> (k - 1)) & 1) != 0);
            const double x1 = toX(frame.byteSeconds[i] + k * cell);
            const double y = bMark ? kHigh : kLow;
            if (y != lastY || k == 0)
                canvas->Line(x1, lastY, x1, y, colour, 1);
            canvas->Line(x1, y, x1 + kCellWidth, y, colour, 1.5);
            lastY = y;
        }
        canvas->Text(Hex(frame.bytes[i], 2).substr(2), toX(frame.byteSeconds[i] + 5 * cell), kBytesY, 0.5, 11, false,
                     colour);
    }
    // The fields, each marked from its first byte, on two rows so that short fields' names do not
    // run into each other.
    const auto fields = Fields(frame.bytes);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const double x = toX(frame.byteSeconds[fields[i].first]);
        const double y = kFieldsY + (i % 2 == 0 ? 0 : 14);
        canvas->Line(x, kFieldsY - 12, x, y + 4, kFaint, 1);
        canvas->Text(fields[i].second, x + 3, y, 0, 11, false, kInk);
    }
    for (std::size_t i = 0; i < frame.faults.size(); ++i)
        canvas->Text(Format(Tr("fault: %1"), {FaultText(frame.faults[i])}), kMargin,
                     kFaultsY + 20 * static_cast<double>(i), 0, 12, false, kRed);
    // The signal's measurements under it, in columns.
    const double column = (std::min(width, 1000.0) - 2 * kMargin) / static_cast<double>(kMeasureColumns);
    for (std::size_t i = 0; i < measured.size(); ++i)
        canvas->Text(measured[i].first, kMargin + column * static_cast<double>(i % kMeasureColumns),
                     measuresY + 18 * static_cast<double>(i / kMeasureColumns), 0, 11, false,
                     measured[i].second ? kRed : kInk);
    return WriteCanvas(*canvas, path);
}

}  // namespace corvane::cli
