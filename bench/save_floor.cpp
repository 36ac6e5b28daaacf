// SPDX-License-Identifier: MIT
// The honest floor for saving a batch: the system calls a safe save of each file makes and
// nothing else. For each WAVE file given, in turn: an unnamed file in the output folder, one
// write of its bytes, fsync, a link under a hidden name, a rename over the target's name, and an
// fsync of the folder. Usage: corvane_save_floor OUTPUT_FOLDER FILE...
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER FILE...\n", argv[0]);
        return 2;
    }
    const int folder = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        std::perror(argv[1]);
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        // Reading the bytes stands for composing them, which the floor does not count.
        std::ifstream in(argv[i], std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const std::string path = argv[i];
        const std::string name = path.substr(path.find_last_of('/') + 1);
        const std::string hidden = "." + name + ".tmp";
        const int fd = openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) || fsync(fd) != 0 ||
            linkat(AT_FDCWD, self.c_str(), folder, hidden.c_str(), AT_SYMLINK_FOLLOW) != 0 ||
            renameat(folder, hidden.c_str(), folder, name.c_str()) != 0 || fsync(folder) != 0) {
            std::perror(name.c_str());
            return 1;
        }
        close(fd);
    }
    close(folder);
    return 0;
}
