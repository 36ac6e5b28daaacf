// SPDX-License-Identifier: MIT
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
    const std::filesystem::path config = m_home / "asound.conf";
    std::ofstream(config) << "pcm.!default { " << defaultPcm << " }\n";
    setenv("ALSA_CONFIG_PATH", config.c_str(), 1);
}

TestAlsaConfig::~TestAlsaConfig()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_home, ignored);
}

bool MachineHasSoundCards()
{
    std::ifstream cards("/proc/asound/cards");
    std::string first;
    return std::getline(cards, first) && first.find("no soundcards") == std::string::npos;
}

}  // namespace corvane::test
