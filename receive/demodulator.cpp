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

}  // namespace

struct Demodulator::State {
    soxr_t pResampler = nullptr;
    fsk_rx_state_t* pReceiver = nullptr;
    std::vector<std::int16_t> converted;  // at kReceiverRate, not yet fed to the receiver
    std::vector<ReceivedBit> bits;         // received since the last Feed or Finish returned
    long long nFed = 0;                    // samples fed to the receiver
    bool bCarrierStart = true;
};

namespace {

void PutBit(void* pUser, int bit)
{
    auto& state = *static_cast<Demodulator::State*>(pUser);
    if (bit < 0) {  // a status: the carrier came or went
        state.bCarrierStart = true;
        return;
    }
    state.bits.push_back({bit != 0, state.bCarrierStart, static_cast<double>(state.nFed) / kReceiverRate});
    state.bCarrierStart = false;
}

}  // namespace

Demodulator::Demodulator(int rate, const FskTones& tones) : m_pState(std::make_unique<State>())
{
    soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_INT16_I);
    io.flags |= SOXR_NO_DITHER;  // dither is random: the same input must give the same samples
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    if (rate != kReceiverRate)
        m_pState->pResampler = soxr_create(rate, kReceiverRate, 1, &error, &io, &quality, nullptr);
    // spandsp names the tones by bit value and takes the rate in hundredths of a baud; its levels
    // are dBm0, about 3 dB below dBFS.
    const fsk_spec_t modem{"caller id", static_cast<int>(std::lround(tones.spaceHz)),
                          static_cast<int>(std::lround(tones.markHz)), -14, -53,
                          static_cast<int>(std::lround(tones.baud * 100))};
    // The asynchronous mode times each bit afresh from the last transition, as start-stop
    // characters need: a clock learnt by the synchronous mode drifts over the lead marks, which
    // hold no transition, and misreads the first character.
    m_pState->pReceiver = fsk_rx_init(nullptr, &modem, FSK_FRAME_MODE_ASYNC, PutBit, m_pState.get());
}

Demodulator::~Demodulator()
{
    fsk_rx_free(m_pState->pReceiver);
    if (m_pState->pResampler != nullptr)
        soxr_delete(m_pState->pResampler);
}

std::vector<ReceivedBit> Demodulator::Feed(std::span<const float> samples)
{
    if (samples.empty())
        return {};  // no input given to the resampler is its end
    return Take(samples, false);
}

std::vector<ReceivedBit> Demodulator::Finish()
{
    std::vector<ReceivedBit> bits = Take({}, true);
    // 100 ms of silence lets the last bits out of the receiver.
    std::vector<std::int16_t>& converted = m_pState->converted;
    converted.resize(converted.size() + kReceiverRate / 10, 0);
    Receive(true);
    bits.insert(bits.end(), m_pState->bits.begin(), m_pState->bits.end());
    m_pState->bits.clear();
    return bits;
}

std::vector<ReceivedBit> Demodulator::Take(std::span<const float> samples, bool bLast)
{
    State& state = *m_pState;
    if (state.pResampler == nullptr) {  // at the receiver's own rate: only the sample format changes
        for (const float sample : samples)
            state.converted.push_back(static_cast<std::int16_t>(std::lround(std::clamp(sample * 32768.0f, -32768.0f, 32767.0f))));
        Receive(false);
        std::vector<ReceivedBit> bits;
        bits.swap(state.bits);
        return bits;
    }
    // At most a block's worth of output per step, so that memory stays bounded whatever comes in.
    constexpr std::size_t kStep = 4096;
    std::size_t done = 0;
    do {
        const std::size_t in = std::min(kStep, samples.size() - done);
        const std::size_t before = state.converted.size();
        // The receiver's rate is the lowest there is: never more out than in, and the slack is
        // for what the resampler still holds at the end.
        state.converted.resize(before + in + kStep);
        std::size_t used = 0;
        std::size_t produced = 0;
        soxr_process(state.pResampler, in > 0 || !bLast ? samples.data() + done : nullptr, in, &used,
                     state.converted.data() + before, state.converted.size() - before, &produced);
        state.converted.resize(before + produced);
        done += used;
        Receive(false);
        if (bLast && in == 0 && produced == 0)
            break;
    } while (done < samples.size() || bLast);
    std::vector<ReceivedBit> bits;
    bits.swap(state.bits);
    return bits;
}

void Demodulator::Receive(bool bAll)
{
    State& state = *m_pState;
    std::size_t at = 0;
    while (at + kBlock <= state.converted.size() || (bAll && at < state.converted.size())) {
        const int count = static_cast<int>(std::min<std::size_t>(kBlock, state.converted.size() - at));
        fsk_rx(state.pReceiver, state.converted.data() + at, count);
        state.nFed += count;
        at += static_cast<std::size_t>(count);
    }
    state.converted.erase(state.converted.begin(), state.converted.begin() + static_cast<std::ptrdiff_t>(at));
}

std::vector<ReceivedBit> Demodulate(const Recording& recording, const FskTones& tones)
{
    Demodulator demodulator(recording.rate, tones);
    std::vector<ReceivedBit> bits = demodulator.Feed(recording.samples);
    const std::vector<ReceivedBit> last = demodulator.Finish();
    bits.insert(bits.end(), last.begin(), last.end());
    return bits;
}

}  // namespace corvane
