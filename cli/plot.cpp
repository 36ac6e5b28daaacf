// SPDX-License-Identifier: MIT
#include "plot.h"

#include "png_canvas.h"
#include "signal_output.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

namespace corvane::cli {

namespace {

constexpr double kWidth = 800;
constexpr double kHeight = 500;
constexpr double kLeft = 80;  // margins around the axes, in pixels
constexpr double kRight = 200;
constexpr double kTop = 50;
constexpr double kBottom = 60;

constexpr Colour kColours[] = {{0.12, 0.47, 0.71}, {1.0, 0.5, 0.05},   {0.17, 0.63, 0.17}, {0.84, 0.15, 0.16},
                               {0.58, 0.4, 0.74},  {0.55, 0.34, 0.29}, {0.89, 0.47, 0.76}, {0.5, 0.5, 0.5}};
constexpr Colour kGrey{0.2, 0.2, 0.2};
constexpr Colour kGrid{0.85, 0.85, 0.85};

std::string Rgb(Colour colour)
{
    return "rgb(" + std::to_string(std::lround(255 * colour.red)) + "," +
           std::to_string(std::lround(255 * colour.green)) + "," + std::to_string(std::lround(255 * colour.blue)) + ")";
}

class SvgCanvas : public Canvas {
public:
    SvgCanvas(double width, double height)
    {
        m_text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                 Fixed(width, 0) + "\" height=\"" + Fixed(height, 0) + "\" viewBox=\"0 0 " + Fixed(width, 0) + " " +
                 Fixed(height, 0) +
                 "\" style=\"font-family: sans-serif\">\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    }
    void Line(double x1, double y1, double x2, double y2, Colour colour, double width) override
    {
        m_text += "<line x1=\"" + Fixed(x1, 1) + "\" y1=\"" + Fixed(y1, 1) + "\" x2=\"" + Fixed(x2, 1) + "\" y2=\"" +
                  Fixed(y2, 1) + "\" stroke=\"" + Rgb(colour) + "\" stroke-width=\"" + Fixed(width, 1) + "\"/>\n";
    }
    void Dot(double x, double y, Colour colour) override
    {
        m_text +=
            "<circle cx=\"" + Fixed(x, 1) + "\" cy=\"" + Fixed(y, 1) + "\" r=\"3\" fill=\"" + Rgb(colour) + "\"/>\n";
    }
    void Text(const std::string& text, double x, double y, double alignX, double size, bool bUpright,
              Colour colour) override
    {
        const char* const pAnchor = alignX == 0 ? "start" : alignX == 1 ? "end" : "middle";
        m_text += "<text x=\"" + Fixed(x, 1) + "\" y=\"" + Fixed(y, 1) + "\" font-size=\"" + Fixed(size, 0) +
                  "\" fill=\"" + Rgb(colour) + "\" text-anchor=\"" + pAnchor + "\"" +
                  (bUpright ? " transform=\"rotate(-90 " + Fixed(x, 1) + " " + Fixed(y, 1) + ")\"" : std::string()) +
                  ">" + MarkupEscaped(text) + "</text>\n";
    }
    std::vector<std::uint8_t> Bytes() override
    {
        const std::string text = m_text + "</svg>\n";
        return {text.begin(), text.end()};
    }

private:
    std::string m_text;
};

// A step between ticks of about an eighth of span: 1, 2 or 5 times a power of ten.
double TickStep(double span)
{
    const double rough = span / 8;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough)
            return factor * power;
    }
    return 10 * power;
}

std::string TickLabel(double value, double step)
{
    const double shown = std::abs(value) < step / 1000 ? 0 : value;  // never "-0"
    return Fixed(shown, step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step))));
}

void Draw(Canvas& canvas, const Plot& plot)
{
    double xLow = 0;
    double xHigh = 1;
    bool bFirst = true;
    for (const PlotSeries& series : plot.series) {
        for (const auto& [x, y] : series.points) {
            xLow = bFirst ? x : std::min(xLow, x);
            xHigh = bFirst ? x : std::max(xHigh, x);
            bFirst = false;
        }
    }
    if (xHigh <= xLow)
        xHigh = xLow + 1;
    const double plotWidth = kWidth - kLeft - kRight;
    const double plotHeight = kHeight - kTop - kBottom;
    const auto toX = [&](double x) { return kLeft + (x - xLow) / (xHigh - xLow) * plotWidth; };
    const auto toY = [&](double y) { return kTop + (plot.yHigh - y) / (plot.yHigh - plot.yLow) * plotHeight; };
    // The grid and the ticks' values.
    for (const bool bX : {true, false}) {
        const double low = bX ? xLow : plot.yLow;
        const double high = bX ? xHigh : plot.yHigh;
        const double step = TickStep(high - low);
        for (double value = std::ceil(low / step - 1e-9) * step; value <= high + 1e-9 * step; value += step) {
            if (bX) {
                canvas.Line(toX(value), kTop, toX(value), kTop + plotHeight, kGrid, 0.5);
                canvas.Text(TickLabel(value, step), toX(value), kTop + plotHeight + 18, 0.5, 12, false);
            } else {
                canvas.Line(kLeft, toY(value), kLeft + plotWidth, toY(value), kGrid, 0.5);
                canvas.Text(TickLabel(value, step), kLeft - 8, toY(value) + 4, 1, 12, false);
            }
        }
    }
    // The frame of the axes, their names and the title.
    canvas.Line(kLeft, kTop, kLeft + plotWidth, kTop, kGrey, 1);
    canvas.Line(kLeft, kTop + plotHeight, kLeft + plotWidth, kTop + plotHeight, kGrey, 1);
    canvas.Line(kLeft, kTop, kLeft, kTop + plotHeight, kGrey, 1);
    canvas.Line(kLeft + plotWidth, kTop, kLeft + plotWidth, kTop + plotHeight, kGrey, 1);
    canvas.Text(plot.title, kWidth / 2, kTop - 20, 0.5, 15, false);
    canvas.Text(plot.xLabel, kLeft + plotWidth / 2, kHeight - 18, 0.5, 13, false);
    canvas.Text(plot.yLabel, 26, kTop + plotHeight / 2, 0.5, 13, true);
    // The curves, with a dot at each point, and the legend beside them.
    for (std::size_t i = 0; i < plot.series.size(); ++i) {
        const Colour colour = kColours[i % std::size(kColours)];
        const auto& points = plot.series[i].points;
        for (std::size_t j = 1; j < points.size(); ++j)
            canvas.Line(toX(points[j - 1].first), toY(points[j - 1].second), toX(points[j].first),
                        toY(points[j].second), colour, 2);
        for (const auto& [x, y] : points)
            canvas.Dot(toX(x), toY(y), colour);
        const double legendY = kTop + 12 + 22 * static_cast<double>(i);
        canvas.Line(kWidth - kRight + 15, legendY - 4, kWidth - kRight + 40, legendY - 4, colour, 2);
        canvas.Text(plot.series[i].label, kWidth - kRight + 48, legendY, 0, 12, false);
    }
}

}  // namespace

std::unique_ptr<Canvas> MakeCanvas(const std::string& path, double width, double height)
{
    if (path.ends_with(".png"))
        return MakePngCanvas(width, height);
    if (path.ends_with(".svg"))
        return std::make_unique<SvgCanvas>(width, height);
    return nullptr;
}

std::optional<Failure> WriteCanvas(Canvas& canvas, const std::string& path)
{
    const std::vector<std::uint8_t> bytes = canvas.Bytes();
    if (bytes.empty())
        return Failure{kExitFailed, Format(Tr("Cannot draw %1."), {path})};
    return WriteOutput(path, bytes);
}

std::string PlotSvg(const Plot& plot)
{
    SvgCanvas canvas(kWidth, kHeight);
    Draw(canvas, plot);
    const std::vector<std::uint8_t> bytes = canvas.Bytes();
    return {bytes.begin(), bytes.end()};
}

std::optional<Failure> DrawPlot(const Plot& plot, const std::string& path)
{
    const std::unique_ptr<Canvas> canvas = MakeCanvas(path, kWidth, kHeight);
    if (!canvas)
        return Failure{kExitUsage, Format(Tr("A plot is a .png or an .svg file, not %1."), {path})};
    Draw(*canvas, plot);
    return WriteCanvas(*canvas, path);
}

}  // namespace corvane::cli
