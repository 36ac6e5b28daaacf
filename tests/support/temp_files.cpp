// SPDX-License-Identifier: MIT
#include "temp_files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace corvane::test {

TempDir::TempDir()
{
    // create_directory fails on a name that exists, so a name another run took is never shared.
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char szName[32];
        std::snprintf(szName, sizeof szName, "corvane-test-%08x", static_cast<unsigned>(random()));
        const std::filesystem::path path = std::filesystem::temp_directory_path() / szName;
        if (std::filesystem::create_directory(path)) {
            m_path = path.generic_string();
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::vector<std::string> TempDir::Entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace corvane::test
