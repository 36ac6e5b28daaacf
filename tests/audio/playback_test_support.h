// SPDX-License-Identifier: MIT
// What the playback tests of every platform share: counting notices, reading what a device got.
#pragma once

#include "audio/playback.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace corvane::test {

// Counts completion notices and lets the test wait for them.
class Notices {
public:
    DoneTarget Target();
    // Whether count notices have come within 10 s.
    bool WaitFor(std::size_t count);
    std::vector<long> Users();
    // Each notice's outcome: empty for a play that went out whole or was reset.
    std::vector<std::string> Outcomes();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<long> m_users;
    std::vector<std::string> m_outcomes;
};

// The stretches of non-zero samples: each play's tones, whatever silence the device adds.
std::vector<std::vector<std::int16_t>> ToneRuns(const std::vector<std::int16_t>& samples);

// Raw bytes as a device received them: native 16-bit samples.
std::vector<std::int16_t> ToSamples(const std::vector<char>& bytes);

// The raw native 16-bit samples a device wrote to the file at path.
std::vector<std::int16_t> ReadSamples(const std::string& path);

}  // namespace corvane::test
