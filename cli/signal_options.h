// SPDX-License-Identifier: MIT
// The signal options of the commands that send a signal (frame, save, play, batch, loopback,
// sweep): each defined once, with its range, and read into the stress signal's options.
#pragma once

#include "cli_common.h"
#include "stress/stress_signal.h"

#include <array>
#include <optional>
#include <string>

namespace corvane::cli {

using stress::Corruption;
using stress::SignalOptions;
using stress::StressSignal;
using stress::Waveform;

// The options --level-dbfs, --level-dbm and --cal-dbm with their ranges, and help as the command
// means them.
Option LevelDbfsOption(std::string help);
Option LevelDbmOption(std::string help);
Option CalibrationOption(std::string help);

// The calibration that option or else the environment's CORVANE_CAL_DBM gives (dBm for a
// full-scale sine), nothing when neither does, or why it cannot be read.
std::optional<Failure> ReadCalibration(const ParsedOptions& parser, const Option& option, std::optional<double>& dbm);

// The options of every command that sends a signal.
struct SignalOptionSet {
    Option number{"number", Tr("The caller's number, 1 to 20 bytes in code page 932."), "N"};
    Option reason{"reason", Tr("Why the number is withheld: P, O, C or S."), "P"};
    Option amplitude =
        Option{"amplitude", Tr("Waveform amplitude in percent: 10, 20, ..., 100 (default 20)."), "PERCENT"}.TakesWhole(
            10, 100);
    Option level = LevelDbfsOption(Tr("Peak level in dBFS, -90 to 0, instead of --amplitude."));
    Option levelDbm =
        LevelDbmOption(Tr("Level in dBm at the sound card's output, with --cal-dbm, instead of --amplitude."));
    Option calDbm = CalibrationOption(Tr("The output's level in dBm for a full-scale sine (or CORVANE_CAL_DBM)."));
    Option waveform{"waveform", Tr("square (default, the dialog's) or sine (phase-continuous)."), "KIND"};
    Option markHz{"mark-hz", Tr("Mark frequency in Hz (default 1300); moved, the square is drawn band-limited."), "HZ"};
    Option spaceHz{"space-hz", Tr("Space frequency in Hz (default 2100); the same."), "HZ"};
    Option baud = Option{"baud", Tr("Bit rate, 300 to 4800 (default 1200); the same."), "BAUD"}.Takes(300, 4800);
    Option stopBits =
        Option{"stop-bits", Tr("Stop bits after each character, 1 to 10 (default 1)."), "N"}.TakesWhole(1, 10);
    Option charGapBits =
        Option{"char-gap-bits", Tr("Marks between characters, 0 to 100 (default 0)."), "N"}.TakesWhole(0, 100);
    Option rate =
        Option{"rate", Tr("Sample rate: 8000, 16000, 24000 (default), 44100 or 48000."), "HZ"}.TakesWhole(8000, 48000);
    Option noise =
        Option{"noise-snr", Tr("Add white noise at this signal-to-noise ratio in dB (-20 to 100)."), "DB"}.Takes(-20,
                                                                                                                 100);
    Option seed = Option{"seed", Tr("Seed of the noise (default 1)."), "N"}.TakesWhole(0, 4294967295LL);
    Option leadMarks =
        Option{"lead-marks", Tr("Mark bits before the frame, 0 to 10000 (default 80)."), "N"}.TakesWhole(0, 10000);
    Option trailMarks =
        Option{"trail-marks", Tr("Mark bits after the frame, 0 to 10000 (default 40)."), "N"}.TakesWhole(0, 10000);
    Option silence =
        Option{"silence-ms", Tr("Silence at each end in ms, 0 to 60000 (default 200)."), "MS"}.TakesWhole(0, 60000);
    Option corrupt{"corrupt", Tr("Inject an error: crc, parity:K or truncate:K (K a frame byte, from 1)."), "WHAT"};
    // Further parameters of the message after the number or the reason, in the order given.
    Option datetime{"datetime", Tr("Date and time parameter (0x01): now or MMDDhhmm."), "WHEN"};
    Option called{"called", Tr("Called (dial-in) number parameter (0x09)."), "NUMBER"};
    Option numberExt{"number-ext", Tr("Caller number extension (0x21), bytes in hexadecimal."), "HEX"};
    Option calledExt{"called-ext", Tr("Called number extension (0x22), bytes in hexadecimal."), "HEX"};
    Option param{"param", Tr("Any further parameter, TYPE:TEXT or TYPE:hex:BYTES (TYPE 0 to 255, 0x.. for hex)."),
                 "TYPE:TEXT"};

    // The further parameters' options, which a batch line also takes as NAME=VALUE fields.
    std::array<const Option*, 5> Parameters() const { return {&datetime, &called, &numberExt, &calledExt, &param}; }

    void AddTo(CommandLine& line, bool bRequest) const
    {
        if (bRequest)
            line.Add({number, reason});
        line.Add({amplitude, level,       levelDbm, calDbm,    waveform,  markHz,    spaceHz,    baud,
                  stopBits,  charGapBits, rate,     noise,     seed,      leadMarks, trailMarks, silence,
                  corrupt,   datetime,    called,   numberExt, calledExt, param});
    }
};

// The peak level in dBFS that --level-dbm asks for, at the output that --cal-dbm (or the
// environment's CORVANE_CAL_DBM) calibrates: a sine's peak is that many dB below full scale, the
// square's 3.01 dB lower again, its power being twice a sine's of the same peak.
std::optional<Failure> ReadLevelDbm(const ParsedOptions& parser, const Option& levelDbm, const Option& calDbm,
                                    bool bSquare, double& levelDbfs);

// The amplitude text gives, in percent: one of 10, 20, ..., 100, or why not, naming option.
std::optional<Failure> ReadAmplitude(const std::string& text, const Option& option, int& percent);

// Sets options from the parser; the first failure found, if any.
std::optional<Failure> ReadSignalOptions(const ParsedOptions& parser, const SignalOptionSet& set,
                                         SignalOptions& options);

}  // namespace corvane::cli
