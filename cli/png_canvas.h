// SPDX-License-Identifier: MIT
// The canvas that draws a plot's pixels into a PNG picture: cairo on Linux, GDI+ on Windows,
// which every Windows has.
#pragma once

#include "plot.h"

#include <memory>

namespace corvane::cli {

// A white canvas of width by height pixels (1 to 10000 each) whose Bytes are a PNG file, empty
// when the picture could not be made.
std::unique_ptr<Canvas> MakePngCanvas(double width, double height);

}  // namespace corvane::cli
