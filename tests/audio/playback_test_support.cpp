// SPDX-License-Identifier: MIT
#include "playback_test_support.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>

namespace corvane::test {

DoneTarget Notices::Target()
{
    return [this](long dwUser, const Status& outcome) {
        std::lock_guard lock(m_mutex);
        m_users.push_back(dwUser);
        m_outcomes.push_back(outcome.Message());
        m_changed.notify_all();
    };
}

bool Notices::WaitFor(std::size_t count)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_users.size() >= count; });
}

std::vector<long> Notices::Users()
{
    std::lock_guard lock(m_mutex);
    return m_users;
}

std::vector<std::string> Notices::Outcomes()
{
    std::lock_guard lock(m_mutex);
    return m_outcomes;
}

std::vector<std::vector<std::int16_t>> ToneRuns(const std::vector<std::int16_t>& samples)
{
    std::vector<std::vector<std::int16_t>> runs;
    bool bInRun = false;
    for (const std::int16_t sample : samples) {
        if (sample != 0 && !bInRun)
            runs.emplace_back();
        bInRun = sample != 0;
        if (bInRun)
            runs.back().push_back(sample);
    }
    return runs;
}

std::vector<std::int16_t> ToSamples(const std::vector<char>& bytes)
{
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

std::vector<std::int16_t> ReadSamples(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return ToSamples({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
}

}  // namespace corvane::test
