// SPDX-License-Identifier: MIT
#include "sweep_results.h"

#include <cstdio>

namespace corvane::cli {

SweepResults::SweepResults(const std::vector<Axis>& axes, std::string title) : m_axes(axes)
{
    m_picture.title = std::move(title);
    m_picture.xLabel = AxisName(axes[0].name);
    m_picture.yLabel = Tr("frames decoded exactly (%)");
    m_table << axes[0].name << (axes.size() == 2 ? "," + axes[1].name : "") << ",passed,seeds,share\n";
}

void SweepResults::BeginCurve(double second)
{
    m_picture.series.push_back({m_axes.size() == 2 ? m_axes[1].name + " " + Fixed(second, 2) : Tr("pass rate"), {}});
}

void SweepResults::Add(double first, double second, int nPassed, long long nSeeds)
{
    const double share = static_cast<double>(nPassed) / static_cast<double>(nSeeds);
    std::string point = m_axes[0].name + "=" + Fixed(first, 2);
    nlohmann::json entry{{m_axes[0].name, first}, {"passed", nPassed}, {"seeds", nSeeds}};
    m_table << Fixed(first, 2);
    if (m_axes.size() == 2) {
        point += " " + m_axes[1].name + "=" + Fixed(second, 2);
        entry[m_axes[1].name] = second;
        m_table << "," << Fixed(second, 2);
    }
    m_table << "," << nPassed << "," << nSeeds << "," << Fixed(share, 4) << "\n";
    m_points.push_back(entry);
    m_picture.series.back().points.emplace_back(first, 100 * share);
    PrintOut(
        Format(Tr("%1: %2 of %3 decoded (%4 %)\n"), {point, Number(nPassed), Number(nSeeds), Fixed(100 * share, 1)}));
    std::fflush(stdout);
}

}  // namespace corvane::cli
