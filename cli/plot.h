// SPDX-License-Identifier: MIT
// Line plots as PNG or SVG pictures, their pixels drawn by cairo (GDI+ on Windows): for the
// commands that draw, which load it.
#pragma once

#include "cli_common.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace corvane::cli {

// One curve: its name in the legend and its points (x, y).
struct PlotSeries {
    std::string label;
    std::vector<std::pair<double, double>> points;
};

// What a plot shows: its title, each axis's name with its unit, the y axis's range, and the curves.
struct Plot {
    std::string title;
    std::string xLabel;
    std::string yLabel;
    double yLow = 0;
    double yHigh = 100;
    std::vector<PlotSeries> series;
};

// Draws plot into path, a PNG picture (path ending in .png) or an SVG drawing (.svg), by the safe
// save; a failure for any other name or when the file cannot be written.
std::optional<Failure> DrawPlot(const Plot& plot, const std::string& path);

// plot as an SVG document, for a page that shows it inline.
std::string PlotSvg(const Plot& plot);

struct Colour {
    double red, green, blue;
};

// What a picture is drawn with: its pixels (png_canvas.h), or an SVG drawing written here, whose
// texts stay texts that a reader can search. Coordinates in pixels from the top left.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void Line(double x1, double y1, double x2, double y2, Colour colour, double width) = 0;
    virtual void Dot(double x, double y, Colour colour) = 0;
    // Text at (x, y), its baseline there; alignX 0 starts it there, 0.5 centres it, 1 ends it.
    virtual void Text(const std::string& text, double x, double y, double alignX, double size, bool bUpright,
                      Colour colour = {0, 0, 0}) = 0;
    virtual std::vector<std::uint8_t> Bytes() = 0;
};

// A canvas of width by height pixels for path (.png or .svg), or nullptr for another name.
std::unique_ptr<Canvas> MakeCanvas(const std::string& path, double width, double height);

// Writes what canvas drew into path by the safe save.
std::optional<Failure> WriteCanvas(Canvas& canvas, const std::string& path);

}  // namespace corvane::cli
