// SPDX-License-Identifier: MIT
#include "demodulator.h"

#include <algorithm>
#include <cmath>  // before spandsp, whose telephony.h redefines lrint

#include <soxr.h>
#include <spandsp.h>

namespace corvane {

namespace {

constexpr int kReceiverRate = 8000;  // the only rate spandsp's receiver works at
constexpr int kBlock = 8;            // samples fed at a time: bits are timed to 1 ms

struct Collector {
    std::vector<ReceivedBit> bits;
    double seconds = 0;
    bool bCarrierStart = true;
};

void PutBit(void* pUser, int bit)
{
    auto& collector = *static_cast<Collector*>(pUser);
    if (bit < 0) {  // a status: the carrier came or went
        collector.bCarrierStart = true;
        return;
    }
    collector.bits.push_back({bit != 0, collector.bCarrierStart, collector.seconds});
    collector.bCarrierStart = false;
}

std::vector<std::int16_t> To8k(const Recording& recording)
{
    std::vector<std::int16_t> out(recording.samples.size() * kReceiverRate / static_cast<std::size_t>(recording.rate) + 16);
    soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_INT16_I);
    io.flags |= SOXR_NO_DITHER;  // dither is random: the same input must give the same samples
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    std::size_t produced = 0;
    soxr_oneshot(recording.rate, kReceiverRate, 1, recording.samples.data(), recording.samples.size(), nullptr,
                 out.data(), out.size(), &produced, &io, &quality, nullptr);
    out.resize(produced);
    return out;
}

}  // namespace

std::vector<ReceivedBit> Demodulate(const Recording& recording, const FskTones& tones)
{
    std::vector<std::int16_t> samples = To8k(recording);
    samples.resize(samples.size() + kReceiverRate / 10, 0);  // lets the last bits out
    // spandsp names the tones by bit value and takes the rate in hundredths of a baud; its levels
    // are dBm0, about 3 dB below dBFS.
    const fsk_spec_t modem{"caller id", static_cast<int>(std::lround(tones.spaceHz)),
                          static_cast<int>(std::lround(tones.markHz)), -14, -53,
                          static_cast<int>(std::lround(tones.baud * 100))};
    Collector collector;
    // The asynchronous mode times each bit afresh from the last transition, as start-stop
    // characters need: a clock learnt by the synchronous mode drifts over the lead marks, which
    // hold no transition, and misreads the first character.
    fsk_rx_state_t* pReceiver = fsk_rx_init(nullptr, &modem, FSK_FRAME_MODE_ASYNC, PutBit, &collector);
    for (std::size_t at = 0; at < samples.size(); at += kBlock) {
        const int count = static_cast<int>(std::min<std::size_t>(kBlock, samples.size() - at));
        collector.seconds = static_cast<double>(at) / kReceiverRate;
        fsk_rx(pReceiver, samples.data() + at, count);
    }
    fsk_rx_free(pReceiver);
    return collector.bits;
}

}  // namespace corvane
