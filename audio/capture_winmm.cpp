// SPDX-License-Identifier: MIT
#include "capture_device.h"

#include "base/wide_text.h"

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <array>

namespace corvane {

namespace {

// Blocks of 50 ms each, queued to winmm at once: 400 ms in hand against a late thread.
constexpr std::size_t kBlocks = 8;
constexpr unsigned kBlocksPerSecond = 20;
// How long the thread waits on one block before it looks whether its reader is still there.
constexpr DWORD kBlockWaitMs = 500;

UINT InputDeviceId(const std::string& name)
{
    if (name == "default")
        return WAVE_MAPPER;
    const UINT count = waveInGetNumDevs();
    for (UINT id = 0; id < count; ++id) {
        WAVEINCAPSW caps{};
        if (waveInGetDevCapsW(id, &caps, sizeof caps) == MMSYSERR_NOERROR && WideToUtf8(caps.szPname) == name)
            return id;
    }
    return count;  // no such device: waveInOpen says so
}

struct Block {
    WAVEHDR header{};
    std::vector<std::int16_t> samples;
};

}  // namespace

void QuietCaptureBackEnd() {}

void RecordFromDevice(std::shared_ptr<CaptureStream::Recording> recording, std::size_t wanted, unsigned rate,
                      const std::string& device)
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = rate * 2;
    // winmm only sets the event: all the work is on this thread.
    HANDLE hFilled = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HWAVEIN hWaveIn = nullptr;
    MMRESULT result =
        waveInOpen(&hWaveIn, InputDeviceId(device), &format, reinterpret_cast<DWORD_PTR>(hFilled), 0, CALLBACK_EVENT);
    std::array<Block, kBlocks> blocks;
    for (Block& block : blocks) {
        block.samples.resize(std::max(1u, rate / kBlocksPerSecond));
        block.header.lpData = reinterpret_cast<LPSTR>(block.samples.data());
        block.header.dwBufferLength = static_cast<DWORD>(block.samples.size() * sizeof(std::int16_t));
        if (result == MMSYSERR_NOERROR)
            result = waveInPrepareHeader(hWaveIn, &block.header, sizeof block.header);
        if (result == MMSYSERR_NOERROR)
            result = waveInAddBuffer(hWaveIn, &block.header, sizeof block.header);
    }
    if (result == MMSYSERR_NOERROR)
        result = waveInStart(hWaveIn);
    std::size_t got = 0;
    // The blocks come back in the order they were queued.
    for (std::size_t next = 0; result == MMSYSERR_NOERROR && got < wanted; next = (next + 1) % kBlocks) {
        Block& block = blocks[next];
        while ((block.header.dwFlags & WHDR_DONE) == 0 && recording.use_count() > 1)
            WaitForSingleObject(hFilled, kBlockWaitMs);
        if ((block.header.dwFlags & WHDR_DONE) == 0)
            break;  // the reader is gone
        const std::size_t n = std::min<std::size_t>(block.header.dwBytesRecorded / 2, wanted - got);
        got += n;
        DeliverSamples(*recording, block.samples.data(), n, rate);
        block.header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
        block.header.dwBytesRecorded = 0;
        if (got < wanted)
            result = waveInAddBuffer(hWaveIn, &block.header, sizeof block.header);
    }
    if (hWaveIn != nullptr) {
        waveInReset(hWaveIn);
        for (Block& block : blocks)
            waveInUnprepareHeader(hWaveIn, &block.header, sizeof block.header);
        waveInClose(hWaveIn);
    }
    CloseHandle(hFilled);
    EndRecording(*recording, static_cast<int>(result));
}

std::string CaptureErrorText(int error)
{
    wchar_t szText[MAXERRORLENGTH] = {};
    waveInGetErrorTextW(static_cast<MMRESULT>(error), szText, MAXERRORLENGTH);
    return WideToUtf8(szText);
}

}  // namespace corvane
