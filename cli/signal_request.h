// SPDX-License-Identifier: MIT
// The request and the signal options of the commands that send a signal: frame, save, play,
// batch and loopback; the signal as JSON and as the bytes written.
#pragma once

#include "cli_common.h"
#include "request/request_checks.h"
#include "stress/stress_signal.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <vector>

namespace corvane::cli {

using stress::Corruption;
using stress::SignalOptions;
using stress::StressSignal;
using stress::Waveform;

// The options of every command that sends a signal.
struct SignalOptionSet {
    Option number{"number", Tr("The caller's number, 1 to 20 bytes in code page 932."), "N"};
    Option reason{"reason", Tr("Why the number is withheld: P, O, C or S."), "P"};
    Option amplitude{"amplitude", Tr("Waveform amplitude in percent: 10, 20, ..., 100 (default 20)."), "PERCENT"};
    Option level{"level-dbfs", Tr("Peak level in dBFS, -90 to 0, instead of --amplitude."), "DB"};
    Option levelDbm{"level-dbm", Tr("Level in dBm at the sound card's output, with --cal-dbm, instead of --amplitude."), "DBM"};
    Option calDbm{"cal-dbm", Tr("The output's level in dBm for a full-scale sine (or CORVANE_CAL_DBM)."), "DBM"};
    Option waveform{"waveform", Tr("square (default, the dialog's) or sine (phase-continuous)."), "KIND"};
    Option markHz{"mark-hz", Tr("Mark frequency in Hz (default 1300); moved, the square is drawn band-limited."), "HZ"};
    Option spaceHz{"space-hz", Tr("Space frequency in Hz (default 2100); the same."), "HZ"};
    Option baud{"baud", Tr("Bit rate, 300 to 4800 (default 1200); the same."), "BAUD"};
    Option stopBits{"stop-bits", Tr("Stop bits after each character, 1 to 10 (default 1)."), "N"};
    Option charGapBits{"char-gap-bits", Tr("Marks between characters, 0 to 100 (default 0)."), "N"};
    Option rate{"rate", Tr("Sample rate: 8000, 16000, 24000 (default), 44100 or 48000."), "HZ"};
    Option noise{"noise-snr", Tr("Add white noise at this signal-to-noise ratio in dB (-20 to 100)."), "DB"};
    Option seed{"seed", Tr("Seed of the noise (default 1)."), "N"};
    Option leadMarks{"lead-marks", Tr("Mark bits before the frame, 0 to 10000 (default 80)."), "N"};
    Option trailMarks{"trail-marks", Tr("Mark bits after the frame, 0 to 10000 (default 40)."), "N"};
    Option silence{"silence-ms", Tr("Silence at each end in ms, 0 to 60000 (default 200)."), "MS"};
    Option corrupt{"corrupt", Tr("Inject an error: crc, parity:K or truncate:K (K a frame byte, from 1)."), "WHAT"};
    // Further parameters of the message after the number or the reason, in the order given.
    Option datetime{"datetime", Tr("Date and time parameter (0x01): now or MMDDhhmm."), "WHEN"};
    Option called{"called", Tr("Called (dial-in) number parameter (0x09)."), "NUMBER"};
    Option numberExt{"number-ext", Tr("Caller number extension (0x21), bytes in hexadecimal."), "HEX"};
    Option calledExt{"called-ext", Tr("Called number extension (0x22), bytes in hexadecimal."), "HEX"};
    Option param{"param", Tr("Any further parameter, TYPE:TEXT or TYPE:hex:BYTES (TYPE 0 to 255, 0x.. for hex)."), "TYPE:TEXT"};

    void AddTo(CommandLine& line, bool bRequest) const
    {
        if (bRequest)
            line.Add({number, reason});
        line.Add({amplitude, level, levelDbm, calDbm, waveform, markHz, spaceHz, baud, stopBits, charGapBits, rate, noise, seed, leadMarks, trailMarks, silence,
                  corrupt, datetime, called, numberExt, calledExt, param});
    }
};

// The peak level in dBFS that --level-dbm asks for, at the output that --cal-dbm (or the
// environment's CORVANE_CAL_DBM) calibrates: a sine's peak is that many dB below full scale, the
// square's 3.01 dB lower again, its power being twice a sine's of the same peak.
std::optional<Failure> ReadLevelDbm(const ParsedOptions& parser, const Option& levelDbm, const Option& calDbm,
                                    bool bSquare, double& levelDbfs);

// Sets options from the parser; the first failure found, if any.
std::optional<Failure> ReadSignalOptions(const ParsedOptions& parser, const SignalOptionSet& set,
                                         SignalOptions& options);

// Why the dialog would refuse a request, in the language of the messages.
std::string ProblemText(RequestProblem problem);

// Reads the request of --number or --reason (exactly one of them given).
std::optional<Failure> ReadRequest(const std::string& number, bool bNumber, const std::string& reason, bool bReason,
                                   NotificationRequest& request);

// Composes request under options, or says why it cannot be.
std::optional<Failure> Compose(const NotificationRequest& request, const SignalOptions& options, StressSignal& signal);

// The request and signal that the command line asks for.
struct RequestedSignal {
    NotificationRequest request;
    SignalOptions options;
    StressSignal signal;
};

// Reads the request and the signal options, and composes the signal.
std::optional<Failure> ReadSignal(const ParsedOptions& parser, const SignalOptionSet& set,
                                  RequestedSignal& requested);

// The request as JSON: "kind" (number or reason) and "text".
nlohmann::json RequestJson(const NotificationRequest& request);

// The request, frame, check and options as JSON.
nlohmann::json SignalJson(const NotificationRequest& request, const SignalOptions& options, const StressSignal& signal);

// The signal as a WAVE file, or as bare 16-bit little-endian samples.
std::vector<std::uint8_t> OutputBytes(const StressSignal& signal, bool bRaw);

// Writes bytes to path by the safe save, or to standard output for "-".
std::optional<Failure> WriteOutput(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The --volume option, and its value (default 30).
Option VolumeOption();
std::optional<Failure> ReadVolume(const ParsedOptions& parser, const Option& option, int& volume);

// The option --device NAME: the ALSA device to play on or record from, as aplay -D and arecord -D
// take it; and the name given, "default" when none is.
Option DeviceOption();
std::optional<Failure> ReadDevice(const ParsedOptions& parser, const Option& option, std::string& device);

}  // namespace corvane::cli
