// SPDX-License-Identifier: MIT
// Files and folders that tests make and remove again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::test {

// A fresh directory that is removed, with its content, when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    // Names of the entries in the directory, sorted.
    std::vector<std::string> Entries() const;

private:
    std::string m_path;
};

std::vector<std::uint8_t> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace corvane::test
