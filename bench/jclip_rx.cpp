// SPDX-License-Identifier: MIT
// spandsp's caller-ID receive path as a receiver for the benchmarks: a WAVE file to 8 kHz by
// libsoxr, then spandsp's JCLIP receiver. Prints each message it accepts as hexadecimal bytes on a
// line, then its printable characters on the next; exit 0 when it accepted one, 1 when none, 2
// when the file was not read.
#include "receive/wave_reader.h"

#include <algorithm>
#include <cmath>  // before spandsp, whose telephony.h redefines lrint
#include <cstdio>
#include <fstream>
#include <iterator>

#include <soxr.h>
#include <spandsp.h>

namespace {

void PrintMessage(void* pUser, const std::uint8_t* pMessage, int len)
{
    if (len <= 0)
        return;
    for (int i = 0; i < len; ++i)
        std::printf("%02X%s", pMessage[i], i + 1 < len ? " " : "\n");
    // and its printable characters, for a receiver that is judged by the text it prints
    for (int i = 0; i < len; ++i)
        std::putchar(pMessage[i] >= 0x20 && pMessage[i] < 0x7F ? pMessage[i] : '.');
    std::putchar('\n');
    ++*static_cast<int*>(pUser);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvane_jclip_rx FILE.wav\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    corvane::WaveProblem problem = corvane::WaveProblem::None;
    const std::optional<corvane::Recording> recording = corvane::ReadWave(bytes, 1, problem);
    if (!recording) {
        std::fprintf(stderr, "corvane_jclip_rx: %s is not a WAVE file it reads\n", argv[1]);
        return 2;
    }
    std::vector<float> samples8k(recording->samples.size() * 8000 / static_cast<std::size_t>(recording->rate) + 16);
    std::size_t produced = recording->samples.size();
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    if (recording->rate == 8000)
        samples8k = recording->samples;
    else
        soxr_oneshot(recording->rate, 8000, 1, recording->samples.data(), recording->samples.size(), nullptr,
                     samples8k.data(), samples8k.size(), &produced, &io, &quality, nullptr);
    std::vector<std::int16_t> pcm(produced);
    for (std::size_t i = 0; i < produced; ++i)
        pcm[i] = static_cast<std::int16_t>(std::lround(std::clamp(samples8k[i], -1.0F, 32767.0F / 32768) * 32768));
    int nMessages = 0;
    adsi_rx_state_t* pState = adsi_rx_init(nullptr, ADSI_STANDARD_JCLIP, PrintMessage, &nMessages);
    adsi_rx(pState, pcm.data(), static_cast<int>(pcm.size()));
    adsi_rx_free(pState);
    return nMessages > 0 ? 0 : 1;
}
