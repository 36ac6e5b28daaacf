// SPDX-License-Identifier: MIT
// Runs a fuzz target once over each file in the folders (or files) named, as libFuzzer does with
// -runs=0, so that builds without libFuzzer replay the seeds and the inputs that once failed.
#include "fuzz_input.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

namespace {

int Replay(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (!file.good() && !file.eof()) {
        std::cerr << "cannot read " << path << "\n";
        return 1;
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    int nInputs = 0;
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (argv[i][0] == '-')  // libFuzzer's flags
            continue;
        if (!std::filesystem::is_directory(path)) {
            status |= Replay(path);
            ++nInputs;
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            if (entry.is_regular_file()) {
                status |= Replay(entry.path());
                ++nInputs;
            }
        }
    }
    std::cout << "replayed " << nInputs << " inputs\n";
    return nInputs == 0 ? 1 : status;
}
