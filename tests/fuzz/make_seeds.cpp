// SPDX-License-Identifier: MIT
// Writes the fuzz targets' seeds from the project's own signals: saved WAVE files, raw samples of
// several encodings, and samples at several rates, each laid out as its target reads its input.
#include "signal/wave_file.h"
#include "stress/stress_signal.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace corvane;

namespace {

void Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::int16_t> Samples(const NotificationRequest& request, int rate, stress::Waveform waveform)
{
    stress::SignalOptions options;
    options.rate = rate;
    options.waveform = waveform;
    options.silenceMs = 20;  // short seeds fuzz faster; the receiver needs little silence
    return stress::ComposeStressSignal(request, options)->samples;
}

std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint8_t> front, const void* pData, std::size_t size)
{
    std::vector<std::uint8_t> bytes(front);
    const auto* pBytes = static_cast<const std::uint8_t*>(pData);
    bytes.insert(bytes.end(), pBytes, pBytes + size);
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const std::filesystem::path out(argv[1]);
    const NotificationRequest number{InformationKind::CallerNumber, "0312"};
    const NotificationRequest reason{InformationKind::AbsenceReason, "P"};

    // WAVE files: channel 1, then a seed for the piece sizes; the dialog's own and a sine at 8 kHz.
    const std::vector<std::int16_t> dialog = Samples(reason, 24000, stress::Waveform::Square);
    std::vector<std::uint8_t> file = WaveFileBytes(dialog, 24000);
    file.insert(file.begin(), {0, 7});
    Write(out / "wave_reader" / "dialog.wav", file);
    file = WaveFileBytes(Samples(number, 8000, stress::Waveform::Sine), 8000);
    file.insert(file.begin(), {0, 3});
    Write(out / "wave_reader" / "sine_8k.wav", file);

    // Raw samples: a seed, then the format's name on a line of its own, then the samples.
    const std::vector<std::int16_t> sine = Samples(number, 8000, stress::Waveform::Sine);
    std::string name = "\x05"
                       "8000:s16le\n";
    file = Bytes({}, name.data(), name.size());
    file.insert(file.end(), reinterpret_cast<const std::uint8_t*>(sine.data()),
                reinterpret_cast<const std::uint8_t*>(sine.data() + sine.size()));
    Write(out / "raw_samples" / "s16le", file);
    std::vector<float> floats;
    for (const std::int16_t sample : sine)
        floats.push_back(static_cast<float>(sample) / 32768.0f);
    name = "\x09"
           "8000:f32le\n";
    file = Bytes({}, name.data(), name.size());
    file.insert(file.end(), reinterpret_cast<const std::uint8_t*>(floats.data()),
                reinterpret_cast<const std::uint8_t*>(floats.data() + floats.size()));
    Write(out / "raw_samples" / "f32le", file);

    // Samples: the rate's place in the target's list, 16-bit or float, a seed, then the samples.
    const std::vector<std::int16_t> high = Samples(number, 48000, stress::Waveform::Sine);
    for (const char* target : {"demodulator", "line_meter"}) {
        Write(out / target / "dialog_24k", Bytes({4, 0, 1}, dialog.data(), dialog.size() * 2));
        Write(out / target / "sine_8k", Bytes({0, 0, 2}, sine.data(), sine.size() * 2));
        Write(out / target / "sine_8k_float", Bytes({0, 1, 3}, floats.data(), floats.size() * 4));
        Write(out / target / "sine_48k", Bytes({7, 0, 4}, high.data(), high.size() * 2));
    }
    return 0;
}
