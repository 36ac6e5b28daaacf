// SPDX-License-Identifier: MIT
#include "signal_output.h"

#include "signal/wave_file.h"
#include "storage/safe_save.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace corvane::cli {

std::vector<std::uint8_t> OutputBytes(const stress::StressSignal& signal, bool bRaw)
{
    if (!bRaw)
        return WaveFileBytes(signal.samples, signal.rate);
    const auto* pBytes = reinterpret_cast<const std::uint8_t*>(signal.samples.data());
    return {pBytes, pBytes + signal.samples.size() * sizeof(std::int16_t)};
}

std::optional<Failure> WriteOutput(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    if (path != "-") {
        const Status status = SaveFileSafely(path, bytes);
        if (!status.IsOk())
            return Failure{kExitFailed, StatusText(status)};
        return std::nullopt;
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Failure{kExitFailed, Format(Tr("Cannot write to standard output: %1"), {std::strerror(errno)})};
        written += static_cast<std::size_t>(n);
    }
    return std::nullopt;
}

}  // namespace corvane::cli
