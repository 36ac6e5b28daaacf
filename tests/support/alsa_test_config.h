// SPDX-License-Identifier: MIT
// Gives a test process an ALSA configuration of its own before anything opens a device, so the
// machine's settings are neither used nor touched and nothing sounds.
#pragma once

#include <filesystem>

namespace corvane::test {

// An ALSA default device that writes the raw bytes it plays to $AUDIO_CAPTURE_FILE, anew at
// every opening: the file holds the last play.
inline constexpr char kCaptureDevice[] = "type file slave.pcm { type null } format raw "
                                         "file { @func getenv vars [ AUDIO_CAPTURE_FILE ] default \"/dev/null\" }";
// An ALSA default device pair joined by the pipe $AUDIO_CAPTURE_FILE: what is played into it
// is recorded from it, as through a cable from the output to the input.
inline constexpr char kLoopbackDevice[] =
    "type asym "
    "playback.pcm { type file slave.pcm { type null } format raw "
    "  file { @func getenv vars [ AUDIO_CAPTURE_FILE ] default \"/dev/null\" } } "
    "capture.pcm { type file slave.pcm { type null } format raw file \"/dev/null\" "
    "  infile { @func getenv vars [ AUDIO_CAPTURE_FILE ] default \"/dev/null\" } }";
// An ALSA default device that cannot be opened.
inline constexpr char kMissingDevice[] = "type hw card 99";

// Points ALSA (through ALSA_CONFIG_PATH) at a configuration of its own in a new folder, in
// which defaultPcm is the only device: none of the machine's devices or plugins are seen.
// Removes the folder when it goes.
class TestAlsaConfig {
public:
    explicit TestAlsaConfig(const char* defaultPcm);
    ~TestAlsaConfig();
    TestAlsaConfig(const TestAlsaConfig&) = delete;
    TestAlsaConfig& operator=(const TestAlsaConfig&) = delete;

private:
    std::filesystem::path m_home;
};

// Whether the machine has sound cards, to which PortAudio may fall back when the default
// device cannot be opened.
bool MachineHasSoundCards();

}  // namespace corvane::test
