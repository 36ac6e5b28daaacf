#include "alsa_test_config.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

namespace corvane::test {

TestAlsaConfig::TestAlsaConfig(const char* defaultPcm)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-alsa-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_home = pattern;
    std::filesystem::create_directories(m_home / "alsa");
    std::ofstream(m_home / "alsa" / "asoundrc") << "pcm.!default { " << defaultPcm << " }\n";
    setenv("XDG_CONFIG_HOME", m_home.c_str(), 1);
    setenv("HOME", m_home.c_str(), 1);  // keeps ~/.asoundrc out
}

TestAlsaConfig::~TestAlsaConfig()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_home, ignored);
}

}  // namespace corvane::test
