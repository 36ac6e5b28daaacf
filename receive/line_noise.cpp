// SPDX-License-Identifier: MIT
#include "line_noise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <numbers>
#include <vector>

namespace corvane {

namespace {

constexpr double kBandLow = 300;
constexpr double kBandHigh = 3400;
// The band filter's slowest section decays by e in about 1.4 ms: after 10 ms what it rang with at
// the run's start is 60 dB down.
constexpr double kSettleSeconds = 0.005;
constexpr int kMinCells = 8;
// A lag of whole cells serves when it is this close to a whole number of samples.
constexpr double kWholeLag = 0.02;
constexpr int kMaxLagCells = 8;
// The run taken, at most: so many cells, or so many samples where those are fewer.
constexpr double kMostCells = 10;
constexpr double kMostSamples = 320;
// A wave that repeats each cell this closely (its residue against the band's power) is taken to.
constexpr double kNegligible = 1e-5;
// The search for the sine's frequency: from a step of this many Hz, shrunk so, to this one.
constexpr double kFirstStep = 20;
constexpr double kStepShrink = 5;
constexpr double kLastStep = 0.1;
// Where the fits take less than this share of the power, the noise has biased the first guess: the
// frequency is sought again within this share of the tone expected.
constexpr double kClearShare = 0.8;
constexpr double kSearchRange = 0.15;
constexpr double kGolden = 0.6180339887498949;
// The band filter's impulse response, long enough to hold all of its energy.
constexpr double kResponseSeconds = 0.02;

struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double z1 = 0, z2 = 0;

    double Step(double x)
    {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
};

// A second-order Butterworth section (by the bilinear transform) at hz, high-pass or low-pass.
Biquad Section(bool bHighPass, double hz, double q, double rate)
{
    const double w = 2 * std::numbers::pi * hz / rate;
    const double cosw = std::cos(w);
    const double alpha = std::sin(w) / (2 * q);
    const double a0 = 1 + alpha;
    Biquad section;
    const double edge = bHighPass ? (1 + cosw) / 2 : (1 - cosw) / 2;
    section.b0 = edge / a0;
    section.b1 = (bHighPass ? -2 * edge : 2 * edge) / a0;
    section.b2 = edge / a0;
    section.a1 = -2 * cosw / a0;
    section.a2 = (1 - alpha) / a0;
    return section;
}

// Fourth-order Butterworth high-pass at 300 Hz and low-pass at 3400 Hz.
class TelephoneBand {
public:
    explicit TelephoneBand(double rate)
    {
        constexpr double kQ1 = 0.5412, kQ2 = 1.3066;  // a fourth-order Butterworth's two sections
        m_sections = {Section(true, kBandLow, kQ1, rate), Section(true, kBandLow, kQ2, rate),
                      Section(false, kBandHigh, kQ1, rate), Section(false, kBandHigh, kQ2, rate)};
    }
    double Step(double x)
    {
        for (Biquad& section : m_sections)
            x = section.Step(x);
        return x;
    }
    // samples through the four sections in turn. Each section takes the sample the one before it
    // gave in the last round, so that the four work side by side rather than each waiting for the
    // last: the outputs are the same, each three rounds later.
    std::vector<double> Filtered(std::span<const float> samples)
    {
        constexpr std::size_t kLate = 3;
        std::vector<double> y(samples.size());
        double a = 0, b = 0, c = 0;  // what sections 1, 2 and 3 gave in the last round
        for (std::size_t n = 0; n < samples.size() + kLate; ++n) {
            const double d = m_sections[3].Step(c);
            c = m_sections[2].Step(b);
            b = m_sections[1].Step(a);
            a = m_sections[0].Step(n < samples.size() ? samples[n] : 0.0);
            if (n >= kLate)
                y[n - kLate] = d;
        }
        return y;
    }

private:
    std::array<Biquad, 4> m_sections;
};

struct SineFit {
    double left = 0;     // power left after the fits
    double fitted = 0;   // power the fits took
    double freedom = 0;  // samples less the fits' parameters
};

// Sines of angular frequency w (radians a sample), each block of y from from on fitted in its own
// amplitude and phase by least squares.
SineFit FitSine(const std::vector<double>& y, std::size_t from, std::size_t block, double w)
{
    SineFit fit;
    const double stepRe = std::cos(w), stepIm = std::sin(w);
    for (; from + block <= y.size(); from += block) {
        double cc = 0, ss = 0, cs = 0, yc = 0, ys = 0, yy = 0;
        double re = 1, im = 0;  // cos and sin of w (n - from), by rotation
        for (std::size_t n = from; n < from + block; ++n) {
            cc += re * re;
            ss += im * im;
            cs += re * im;
            yc += y[n] * re;
            ys += y[n] * im;
            yy += y[n] * y[n];
            const double next = re * stepRe - im * stepIm;
            im = re * stepIm + im * stepRe;
            re = next;
        }
        const double determinant = cc * ss - cs * cs;
        if (!(determinant > 1e-9 * cc * ss))
            continue;
        const double a = (yc * ss - ys * cs) / determinant;
        const double b = (ys * cc - yc * cs) / determinant;
        fit.fitted += a * yc + b * ys;
        fit.left += yy - a * yc - b * ys;
        fit.freedom += static_cast<double>(block) - 2;
    }
    return fit;
}

// The band filter's impulse response at rate, worked out once a rate (in each thread).
const std::vector<double>& BandResponse(int rate)
{
    thread_local std::map<int, std::vector<double>> responses;
    std::vector<double>& response = responses[rate];
    if (response.empty()) {
        response.resize(static_cast<std::size_t>(kResponseSeconds * rate));
        TelephoneBand impulse(rate);
        for (std::size_t i = 0; i < response.size(); ++i)
            response[i] = impulse.Step(i == 0 ? 1.0 : 0.0);
    }
    return response;
}

// The band filter's impulse response's autocorrelation at lag.
double ResponseCorrelation(const std::vector<double>& response, std::size_t lag)
{
    double sum = 0;
    for (std::size_t i = lag; i < response.size(); ++i)
        sum += response[i] * response[i - lag];
    return sum;
}

}  // namespace

std::optional<RunNoise> WhiteNoisePower(std::span<const float> samples, int rate, double baud, double toneHz)
{
    const double cell = rate / baud;
    const auto settle = static_cast<std::size_t>(kSettleSeconds * rate);
    if (static_cast<double>(samples.size()) < static_cast<double>(settle) + kMinCells * cell)
        return std::nullopt;
    // As many cells as tell the noise to a tenth of a decibel or so: a longer run tells no more.
    const double most = std::max(kMostCells * cell, kMostSamples);
    samples = samples.first(std::min(samples.size(), settle + static_cast<std::size_t>(most)));
    const std::vector<double> y = TelephoneBandFiltered(samples, rate);
    const std::vector<double>& response = BandResponse(rate);
    const double r0 = ResponseCorrelation(response, 0);
    double power = 0, neighbours = 0;
    for (std::size_t n = settle + 1; n + 1 < y.size(); ++n) {
        power += y[n] * y[n];
        neighbours += y[n] * (y[n - 1] + y[n + 1]);
    }
    if (!(power > 0))
        return RunNoise{0.0, false};

    // A wave that repeats each cell satisfies y[n] = y[n - lag] for a lag of whole cells.
    std::optional<RunNoise> repeating;
    for (int cells = 1; cells <= kMaxLagCells; ++cells) {
        const double exact = cells * cell;
        const auto lag = static_cast<std::size_t>(std::lround(exact));
        if (std::abs(exact - static_cast<double>(lag)) > kWholeLag ||
            settle + lag + 4 * cell > static_cast<double>(y.size()))
            continue;
        double sum = 0;
        for (std::size_t n = settle + lag; n < y.size(); ++n)
            sum += (y[n] - y[n - lag]) * (y[n] - y[n - lag]);
        const double gain = 2 * r0 - 2 * ResponseCorrelation(response, lag);
        repeating = RunNoise{sum / static_cast<double>(y.size() - settle - lag) / gain, true};
        break;
    }
    const double bandPower = power / static_cast<double>(y.size() - settle - 2) / r0;
    if (repeating && repeating->whitePower <= kNegligible * bandPower)
        return repeating;

    // A sine fitted in each block of two cells in its own phase: what is left is the noise in the
    // band. Its frequency is the one whose fits take the most power (in white noise, the likeliest):
    // near where y[n-1] + y[n+1] = 2 cos(w) y[n] puts it where the noise is weak, near the tone
    // the receiver expects where that is biased by the noise.
    const auto block = std::max<std::size_t>(8, static_cast<std::size_t>(std::lround(2 * cell)));
    const auto fitted = [&](double w) { return FitSine(y, settle, block, w); };
    const double hz = 2 * std::numbers::pi / rate;
    double w = std::acos(std::clamp(neighbours / (2 * power), -1.0, 1.0));
    SineFit fit = fitted(w);
    for (double step = kFirstStep * hz; step > kLastStep * hz; step /= kStepShrink) {
        // The vertex of the parabola through three fits, no further than a step away.
        const double below = fitted(w - step).fitted, above = fitted(w + step).fitted;
        const double curve = below + above - 2 * fit.fitted;
        if (curve < 0)
            w += std::clamp((below - above) / (2 * curve), -1.0, 1.0) * step;
        fit = fitted(w);
    }
    if (fit.fitted < kClearShare * (fit.fitted + fit.left)) {
        double low = (1 - kSearchRange) * toneHz * hz, high = (1 + kSearchRange) * toneHz * hz;
        while (high - low > kLastStep * hz) {
            const double a = high - kGolden * (high - low), b = low + kGolden * (high - low);
            if (fitted(a).fitted > fitted(b).fitted)
                high = b;
            else
                low = a;
        }
        const SineFit found = fitted((low + high) / 2);
        if (found.fitted > fit.fitted)
            fit = found;
    }
    if (!(fit.freedom > 0))
        return repeating;
    const RunNoise sine{std::max(fit.left, 0.0) / fit.freedom / r0, false};
    return repeating && repeating->whitePower < sine.whitePower ? *repeating : sine;
}

std::vector<double> TelephoneBandFiltered(std::span<const float> samples, int rate)
{
    TelephoneBand band(rate);
    return band.Filtered(samples);
}

double TelephoneBandPower(double whitePower, int rate)
{
    return whitePower * (kBandHigh - kBandLow) / (rate / 2.0);
}

}  // namespace corvane
