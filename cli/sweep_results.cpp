// SPDX-License-Identifier: MIT
#include "sweep_results.h"

#include <cstdio>

namespace corvane::cli {

SweepResults::SweepResults(const std::vector<Axis>& axes, std::string title) : m_axes(axes)
{
    m_picture.title = std::move(title);
    m_picture.xLabel = AxisName(axes[0].name);
    m_picture.yLabel = Tr("frames decoded exactly (%)");
    m_table << axes[0].name << (axes.size() == 2 ? "," + axes[1].name : "") << ",seed,result,judge,time\n";
}

void SweepResults::BeginCurve(double second)
{
    m_picture.series.push_back({m_axes.size() == 2 ? m_axes[1].name + " " + Fixed(second, 2) : Tr("pass rate"), {}});
}

void SweepResults::Add(const SignalResult& signal)
{
    nlohmann::json entry{{m_axes[0].name, signal.first}};
    m_table << Fixed(signal.first, 2);
    if (m_axes.size() == 2) {
        entry[m_axes[1].name] = signal.second;
        m_table << "," << Fixed(signal.second, 2);
    }
    entry["seed"] = signal.seed;
    entry["result"] = signal.result;
    entry["judge"] = signal.judge;
    entry["time"] = signal.time;
    m_table << "," << signal.seed << "," << signal.result << "," << signal.judge << "," << signal.time << "\n";
    m_signals.push_back(entry);
    m_nPassed += signal.result == "pass" ? 1 : 0;
    m_nJudged += signal.result != "skip" ? 1 : 0;
}

void SweepResults::EndPoint(double first, double second, long long nSeeds)
{
    std::string point = m_axes[0].name + "=" + Fixed(first, 2);
    nlohmann::json entry{{m_axes[0].name, first}};
    if (m_axes.size() == 2) {
        point += " " + m_axes[1].name + "=" + Fixed(second, 2);
        entry[m_axes[1].name] = second;
    }
    entry["passed"] = m_nPassed;
    entry["judged"] = m_nJudged;
    entry["seeds"] = nSeeds;
    if (m_nJudged > 0) {
        const double share = static_cast<double>(m_nPassed) / m_nJudged;
        entry["share"] = share;
        m_picture.series.back().points.emplace_back(first, 100 * share);
        PrintOut(Format(Tr("%1: %2 of %3 decoded (%4 %)\n"),
                        {point, Number(m_nPassed), Number(m_nJudged), Fixed(100 * share, 1)}));
    } else {
        entry["share"] = nullptr;
        PrintOut(Format(Tr("%1: none judged\n"), {point}));
    }
    m_points.push_back(entry);
    m_nPassed = 0;
    m_nJudged = 0;
    std::fflush(stdout);
}

std::optional<Failure> ReadSignalResults(const std::string& text, const std::vector<Axis>& axes,
                                         std::vector<SignalResult>& signals)
{
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    const Failure notResults{kExitUsage, Tr("holds no sweep's results")};
    if (!json.is_object() || !json.contains("signals") || !json["signals"].is_array())
        return notResults;
    for (const nlohmann::json& entry : json["signals"]) {
        const auto number = [&entry](const std::string& name) {
            return entry.is_object() && entry.contains(name) && entry[name].is_number();
        };
        const auto word = [&entry](const std::string& name) {
            return entry.is_object() && entry.contains(name) && entry[name].is_string();
        };
        if (!number(axes[0].name) || (axes.size() == 2 && !number(axes[1].name)) || !number("seed") ||
            !word("result") || !word("judge") || !word("time"))
            return notResults;
        SignalResult signal{
            entry[axes[0].name].get<double>(), axes.size() == 2 ? entry[axes[1].name].get<double>() : 0.0,
            entry["seed"].get<long long>(),    entry["result"].get<std::string>(),
            entry["judge"].get<std::string>(), entry["time"].get<std::string>()};
        if (signal.result != "pass" && signal.result != "fail" && signal.result != "skip")
            return notResults;
        signals.push_back(signal);
    }
    return std::nullopt;
}

}  // namespace corvane::cli
