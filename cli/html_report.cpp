// SPDX-License-Identifier: MIT
#include "html_report.h"

#include "text.h"

namespace corvane::cli {

namespace {

// The drawing without what only a file of its own needs: the XML declaration and the namespace,
// which an HTML page gives its drawings itself.
std::string InlineDrawing(const std::string& svg)
{
    const std::size_t start = svg.find("<svg");
    if (start == std::string::npos)
        return {};
    std::string drawing = svg.substr(start);
    const std::string kNamespace = " xmlns=\"http://www.w3.org/2000/svg\"";
    if (const std::size_t at = drawing.find(kNamespace); at != std::string::npos && at < drawing.find('>'))
        drawing.erase(at, kNamespace.size());
    return drawing;
}

// Printed on A4 with the browser's own margins kept small; a table that runs over a page repeats
// its head.
constexpr const char* kStyle = R"(@page { size: A4; margin: 15mm; }
body { font-family: sans-serif; font-size: 10pt; color: #000; max-width: 180mm; margin: 1em auto; }
h1 { font-size: 16pt; margin: 0 0 0.5em; }
h2 { font-size: 12pt; margin: 1.2em 0 0.4em; }
table { border-collapse: collapse; width: 100%; }
th, td { border: 1px solid #999; padding: 2px 6px; text-align: left; }
thead { display: table-header-group; }
tr { page-break-inside: avoid; }
tr.pass td { background: #e3f3e3; }
tr.fail td { background: #f8e0e0; }
svg { width: 100%; height: auto; page-break-inside: avoid; }
)";

}  // namespace

std::string ReportHtml(const Report& report)
{
    std::string html = "<!DOCTYPE html>\n<html lang=\"" + std::string(MessagesInJapanese() ? "ja" : "en") +
                       "\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + MarkupEscaped(report.title) +
                       "</title>\n<style>\n" + kStyle + "</style>\n</head>\n<body>\n<h1>" +
                       MarkupEscaped(report.title) + "</h1>\n<table>\n<tbody>\n";
    for (const auto& [name, value] : report.facts)
        html += "<tr><th>" + MarkupEscaped(name) + "</th><td>" + MarkupEscaped(value) + "</td></tr>\n";
    html += "</tbody>\n</table>\n";
    if (!report.svg.empty())
        html += "<h2>" + MarkupEscaped(Tr("Plot")) + "</h2>\n" + InlineDrawing(report.svg) + "\n";
    html += "<h2>" + MarkupEscaped(Tr("Summary")) + "</h2>\n";
    for (const std::string& sentence : report.summary)
        html += "<p>" + MarkupEscaped(sentence) + "</p>\n";
    html += "<h2>" + MarkupEscaped(Tr("Results")) + "</h2>\n<table>\n<thead>\n<tr>";
    for (const std::string& column : report.columns)
        html += "<th>" + MarkupEscaped(column) + "</th>";
    html += "</tr>\n</thead>\n<tbody>\n";
    for (std::size_t i = 0; i < report.rows.size(); ++i) {
        const std::string result = i < report.rowResults.size() ? report.rowResults[i] : std::string();
        html += result.empty() ? std::string("<tr>") : "<tr class=\"" + MarkupEscaped(result) + "\">";
        for (const std::string& cell : report.rows[i])
            html += "<td>" + MarkupEscaped(cell) + "</td>";
        html += "</tr>\n";
    }
    return html + "</tbody>\n</table>\n</body>\n</html>\n";
}

bool HalfwayPoint(const std::vector<std::pair<double, double>>& points, double& x)
{
    constexpr double kHalf = 50;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const auto [x0, y0] = points[i - 1];
        const auto [x1, y1] = points[i];
        if ((y0 < kHalf) == (y1 < kHalf))
            continue;
        x = x0 + (kHalf - y0) * (x1 - x0) / (y1 - y0);
        return true;
    }
    return false;
}

}  // namespace corvane::cli
