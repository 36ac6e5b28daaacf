// SPDX-License-Identifier: MIT
#include "commands.h"

#include "text.h"

namespace corvane::cli {

namespace {

constexpr const char* kPlay = "corvane-cli-play";
constexpr const char* kDecode = "corvane-cli-decode";

constexpr Command kCommands[] = {
    {"frame", TrNoop("print the frame as the dialog's status line shows it"), RunFrame, nullptr, nullptr},
    {"save", TrNoop("write the signal as a WAVE file (-o FILE)"), RunSave, nullptr, nullptr},
    {"play", TrNoop("play the signal once on the default output"), RunPlay, nullptr, nullptr},
    {"batch", TrNoop("save or play one request per line of a file"), RunBatch, nullptr, nullptr},
    {"tone", TrNoop("play or save a steady tone, to calibrate a level meter"), RunTone, nullptr, nullptr},
    {"decode", TrNoop("find and check every frame in a WAVE file or a recording"), nullptr, kDecode,
     "CorvaneCliDecode"},
    {"loopback", TrNoop("play while recording, and check the frame, level and tones received"), nullptr, kDecode,
     "CorvaneCliLoopback"},
    {"sweep", TrNoop("measure a receiver's tolerance over one or two stress parameters"), nullptr, kDecode,
     "CorvaneCliSweep"},
    {"devices", TrNoop("list the sound outputs and inputs that --device may name"), nullptr, kPlay,
     "CorvaneCliDevices"},
};

}  // namespace

std::span<const Command> Commands()
{
    return kCommands;
}

}  // namespace corvane::cli
