// SPDX-License-Identifier: MIT
// The commands of corvane-cli, each run on the arguments after the program's name, without the
// command's own; each returns the exit status.
#pragma once

#include <string>
#include <vector>

namespace corvane::cli {

using Arguments = std::vector<std::string>;

int RunFrame(const Arguments& arguments);
int RunSave(const Arguments& arguments);
int RunPlay(const Arguments& arguments);
int RunBatch(const Arguments& arguments);
int RunTone(const Arguments& arguments);
// Run in the decoding module, loaded for them alone with the libraries that read recordings.
int RunDecode(const Arguments& arguments);
int RunLoopback(const Arguments& arguments);
int RunSweep(const Arguments& arguments);
// Run in the playing module, with the sound library.
int RunDevices(const Arguments& arguments);

}  // namespace corvane::cli
