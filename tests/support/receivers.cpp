// SPDX-License-Identifier: MIT
#include "receivers.h"

#include <cmath>  // before spandsp, whose telephony.h redefines lrint
#include <cstdio>

#include <soxr.h>
#include <spandsp.h>

namespace corvane::test {

namespace {

struct Reception {
    adsi_rx_state_t* pState = nullptr;
    JclipMessage message;
};

void PutMessage(void* pUser, const std::uint8_t* pMsg, int len)
{
    auto& reception = *static_cast<Reception*>(pUser);
    if (len <= 0)
        return;  // status reports, not messages
    if (reception.message.nMessages++ > 0)
        return;
    std::uint8_t fieldType = 0;
    const std::uint8_t* pBody = nullptr;
    int fieldLen = 0;
    int pos = adsi_next_field(reception.pState, pMsg, len, -1, &fieldType, &pBody, &fieldLen);
    reception.message.messageType = fieldType;
    pos = adsi_next_field(reception.pState, pMsg, len, pos, &fieldType, &pBody, &fieldLen);
    if (fieldLen > 0) {
        reception.message.parameterType = fieldType;
        reception.message.text.assign(reinterpret_cast<const char*>(pBody), static_cast<std::size_t>(fieldLen));
    }
}

}  // namespace

JclipMessage JclipReceive(std::vector<std::int16_t> samples8k)
{
    Reception reception;
    reception.pState = adsi_rx_init(nullptr, ADSI_STANDARD_JCLIP, PutMessage, &reception);
    samples8k.resize(samples8k.size() + 800, 0);
    adsi_rx(reception.pState, samples8k.data(), static_cast<int>(samples8k.size()));
    adsi_rx_free(reception.pState);
    return reception.message;
}

std::vector<float> Resampled(const std::vector<float>& samples, int from, int to)
{
    std::vector<float> out(samples.size() * static_cast<std::size_t>(to) / static_cast<std::size_t>(from) + 64);
    std::size_t produced = 0;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_oneshot(from, to, 1, samples.data(), samples.size(), nullptr, out.data(), out.size(), &produced, &io, &quality,
                 nullptr);
    out.resize(produced);
    return out;
}

std::vector<std::int16_t> ResampleTo8k(const std::vector<std::int16_t>& samples, int rate)
{
    std::vector<std::int16_t> out(samples.size() * 8000 / static_cast<std::size_t>(rate) + 16);
    soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    io.flags |= SOXR_NO_DITHER;  // dither is random: the same input must give the same samples
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    std::size_t produced = 0;
    soxr_oneshot(rate, 8000, 1, samples.data(), samples.size(), nullptr, out.data(), out.size(), &produced, &io,
                 &quality, nullptr);
    out.resize(produced);
    return out;
}

std::optional<std::vector<std::uint8_t>> MinimodemReceive(const std::string& path, double markHz, double spaceHz,
                                                          double baud)
{
    const std::string command = std::string(CORVANE_MINIMODEM) + " --rx -q -f '" + path + "' -M " +
                                std::to_string(markHz) + " -S " + std::to_string(spaceHz) + " " + std::to_string(baud) +
                                " 2>/dev/null";
    std::FILE* pPipe = popen(command.c_str(), "r");
    if (pPipe == nullptr)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (int ch; (ch = std::fgetc(pPipe)) != EOF;)
        bytes.push_back(static_cast<std::uint8_t>(ch));
    if (pclose(pPipe) == -1)
        return std::nullopt;
    return bytes;
}

}  // namespace corvane::test
