// Gives a test process an ALSA configuration of its own before anything opens a device, so the
// machine's settings are neither used nor touched and nothing sounds.
#pragma once

#include <filesystem>

namespace corvane::test {

// An ALSA default device that writes the raw bytes it plays to $AUDIO_CAPTURE_FILE.
inline constexpr char kCaptureDevice[] =
    "type file slave.pcm null format raw file { @func getenv vars [ AUDIO_CAPTURE_FILE ] default \"/dev/null\" }";
// An ALSA default device that cannot be opened.
inline constexpr char kMissingDevice[] = "type hw card 99";

// Points ALSA (through XDG_CONFIG_HOME and HOME) at a new folder whose configuration makes
// defaultPcm the default device; removes the folder when it goes.
class TestAlsaConfig {
public:
    explicit TestAlsaConfig(const char* defaultPcm);
    ~TestAlsaConfig();
    TestAlsaConfig(const TestAlsaConfig&) = delete;
    TestAlsaConfig& operator=(const TestAlsaConfig&) = delete;

private:
    std::filesystem::path m_home;
};

}  // namespace corvane::test
