// SPDX-License-Identifier: MIT
#include "line_noise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <numbers>
#include <vector>

namespace corvane {

namespace {

constexpr double kBandLow = 300;
constexpr double kBandHigh = 3400;
// The band filter's slowest section decays by e in about 1.4 ms: after 10 ms what it rang with at
// the run's start is 60 dB down.
constexpr double kSettleSeconds = 0.01;
constexpr int kMinCells = 8;
// A lag of whole cells serves when it is this close to a whole number of samples.
constexpr double kWholeLag = 0.02;
constexpr int kMaxLagCells = 8;
// The search for the sine's frequency: steps in Hz, and steps each side of the centre.
constexpr double kCoarseStep = 4;
constexpr double kFineStep = 0.4;
constexpr int kSearchSteps = 10;
// The band filter's impulse response, long enough to hold all of its energy.
constexpr double kResponseSeconds = 0.05;

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

// The band filter's impulse response's autocorrelation at lag.
double ResponseCorrelation(const std::vector<double>& response, std::size_t lag)
{
    double sum = 0;
    for (std::size_t i = lag; i < response.size(); ++i)
        sum += response[i] * response[i - lag];
    return sum;
}

}  // namespace

std::optional<RunNoise> WhiteNoisePower(std::span<const float> samples, int rate, double baud)
{
    const double cell = rate / baud;
    const auto settle = static_cast<std::size_t>(kSettleSeconds * rate);
    if (static_cast<double>(samples.size()) < static_cast<double>(settle) + kMinCells * cell)
        return std::nullopt;
    const std::vector<double> y = TelephoneBandFiltered(samples, rate);
    std::vector<double> response(static_cast<std::size_t>(kResponseSeconds * rate));
    TelephoneBand impulse(rate);
    for (std::size_t i = 0; i < response.size(); ++i)
        response[i] = impulse.Step(i == 0 ? 1.0 : 0.0);
    const double r0 = ResponseCorrelation(response, 0);

    // A sine fitted in each block of two cells in its own phase: what is left is the noise in the
    // band. Its frequency is the one whose fits take the most power (in white noise, the likeliest),
    // sought from where y[n-1] + y[n+1] = 2 cos(w) y[n] puts it, which noise biases.
    double power = 0, neighbours = 0;
    for (std::size_t n = settle + 1; n + 1 < y.size(); ++n) {
        power += y[n] * y[n];
        neighbours += y[n] * (y[n - 1] + y[n + 1]);
    }
    if (!(power > 0))
        return RunNoise{0.0, false};
    const auto block = std::max<std::size_t>(8, static_cast<std::size_t>(std::lround(2 * cell)));
    double w = std::acos(std::clamp(neighbours / (2 * power), -1.0, 1.0));
    SineFit fit = FitSine(y, settle, block, w);
    for (const double step : {kCoarseStep, kFineStep}) {
        const double centre = w;
        for (int k = -kSearchSteps; k <= kSearchSteps; ++k) {
            const double candidate = centre + k * step * 2 * std::numbers::pi / rate;
            if (candidate <= 0 || candidate >= std::numbers::pi)
                continue;
            const SineFit tried = FitSine(y, settle, block, candidate);
            if (tried.fitted > fit.fitted) {
                fit = tried;
                w = candidate;
            }
        }
    }
    if (!(fit.freedom > 0))
        return std::nullopt;
    RunNoise noise{std::max(fit.left, 0.0) / fit.freedom / r0, false};

    // A wave that repeats each cell satisfies y[n] = y[n - lag] for a lag of whole cells.
    for (int cells = 1; cells <= kMaxLagCells; ++cells) {
        const double exact = cells * cell;
        const auto lag = static_cast<std::size_t>(std::lround(exact));
        if (std::abs(exact - static_cast<double>(lag)) > kWholeLag || settle + lag + 4 * cell > static_cast<double>(y.size()))
            continue;
        double sum = 0;
        for (std::size_t n = settle + lag; n < y.size(); ++n)
            sum += (y[n] - y[n - lag]) * (y[n] - y[n - lag]);
        const double gain = 2 * r0 - 2 * ResponseCorrelation(response, lag);
        const double repeating = sum / static_cast<double>(y.size() - settle - lag) / gain;
        if (repeating < noise.whitePower)
            noise = RunNoise{repeating, true};
        break;
    }
    return noise;
}

std::vector<double> TelephoneBandFiltered(std::span<const float> samples, int rate)
{
    TelephoneBand band(rate);
    std::vector<double> y(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i)
        y[i] = band.Step(samples[i]);
    return y;
}

double TelephoneBandPower(double whitePower, int rate)
{
    return whitePower * (kBandHigh - kBandLow) / (rate / 2.0);
}

}  // namespace corvane
