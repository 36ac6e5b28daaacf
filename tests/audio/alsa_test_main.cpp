// Gives the test process an ALSA configuration of its own before anything opens a device, so
// the machine's settings are neither used nor touched and nothing sounds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

std::filesystem::path MakeAlsaHome()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-alsa-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    const std::filesystem::path home = pattern;
    std::filesystem::create_directories(home / "alsa");
    std::ofstream(home / "alsa" / "asoundrc") << "pcm.!default { " CORVANE_ALSA_DEFAULT_PCM " }\n";
    return home;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path home = MakeAlsaHome();
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    setenv("HOME", home.c_str(), 1);  // keeps ~/.asoundrc out
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(home);
    return result;
}
