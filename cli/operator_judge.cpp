// SPDX-License-Identifier: MIT
#include "operator_judge.h"

#include "system.h"

#include "request/code_page_932.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace corvane::cli {

const char* VerdictName(Verdict verdict)
{
    switch (verdict) {
    case Verdict::kPass:
        return "pass";
    case Verdict::kFail:
        return "fail";
    case Verdict::kSkip:
        return "skip";
    case Verdict::kStop:
        break;
    }
    return "stop";
}

std::string IsoTime(std::time_t time)
{
    const std::tm local = LocalTime(time);
    const std::tm utc = UtcTime(time);
    // The zone's offset from the two calendars, a day's wrap taken into account.
    int offsetMinutes = (local.tm_hour - utc.tm_hour) * 60 + local.tm_min - utc.tm_min;
    const int dayDifference = local.tm_year != utc.tm_year ? local.tm_year - utc.tm_year : local.tm_yday - utc.tm_yday;
    offsetMinutes += dayDifference * 24 * 60;
    char text[64];  // room for any int the calendar's fields could hold
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, offsetMinutes < 0 ? '-' : '+',
                  std::abs(offsetMinutes) / 60, std::abs(offsetMinutes) % 60);
    return text;
}

std::string ExpectedOnTerminal(const NotificationRequest& request)
{
    if (request.kind == InformationKind::CallerNumber)
        return FromCodePage932(request.text);
    return Format(Tr("no number, reason %1"), {FromCodePage932(request.text)});
}

std::optional<Failure> OperatorJudge::Judge(const stress::StressSignal& signal, const std::string& expected,
                                            const std::string& about, Judgement& judgement)
{
    for (;;) {
        if (auto failure = m_player.Play(signal))
            return failure;
        char answer = 0;
        do {
            WriteText(stderr, Format(Tr("The terminal should show: %1"), {expected}) +
                                  (about.empty() ? std::string() : "  (" + about + ")") + "\n" +
                                  Tr("Shown? y yes, n no or wrong, r play again, s skip, q stop: "));
            std::fflush(stderr);
            answer = Answer();
            if (m_player.InterruptSignal() != 0)
                return Failure{InterruptedStatus(m_player.InterruptSignal()), Tr("Interrupted.")};
        } while (answer != 0 && answer != 'y' && answer != 'n' && answer != 'r' && answer != 's' && answer != 'q');
        if (answer == 'r')
            continue;
        judgement.time = std::time(nullptr);
        judgement.verdict = answer == 'y'   ? Verdict::kPass
                            : answer == 'n' ? Verdict::kFail
                            : answer == 's' ? Verdict::kSkip
                                            : Verdict::kStop;
        if (answer == 0)
            WriteText(stderr, "\n" + Tr("No more answers: the run stops here.") + "\n");
        return std::nullopt;
    }
}

char OperatorJudge::Answer()
{
    std::string line;
    if (!m_input.ReadLine(line, [this] { return m_player.InterruptSignal() != 0; }))
        return 0;
    const std::string answer = Trimmed(line);
    // A script's answers are not echoed by a terminal: shown, the prompts read as a dialogue.
    if (!IsTerminal(stderr) || !IsTerminal(stdin))
        WriteText(stderr, answer + "\n");
    if (answer.size() != 1)
        return '?';
    return static_cast<char>(std::tolower(static_cast<unsigned char>(answer[0])));
}

}  // namespace corvane::cli
