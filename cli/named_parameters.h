// SPDX-License-Identifier: MIT
// The message's further parameters by name, alike on the command line and in batch lines, and the
// known types named and shown in a decode.
#pragma once

#include "signal/frame.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace corvane::cli {

// Reads a parameter given as name (without dashes) and value:   datetime    now or MMDDhhmm: date
// and time, type 0x01, 8 digits (now: this computer's clock)   called      the called (dial-in)
// number, type 0x09: 1 to 32 of 0-9, * and #   number-ext  the caller number's extension, type
// 0x21: bytes in hexadecimal, 00 to 7F   called-ext  the called number's extension, type 0x22: the
// same   param       TYPE:TEXT (text in code page 932) or TYPE:hex:BYTES, TYPE 0 to 255 or 0x00 to
// 0xFF Returns the message saying what is wrong, or nullopt with parameter set.
std::optional<std::string> ReadNamedParameter(const std::string& name, const std::string& value,
                                              FrameParameter& parameter);

// The name of a parameter type that decodes show in words ("date and time"), or empty.
std::string ParameterTypeName(std::uint8_t type);

// A received parameter's bytes (parity bits cleared) as a decode shows them: a date and time as
// "12-08 23:38", an extension in hexadecimal, other text as it is.
std::string ShownParameterValue(std::uint8_t type, const std::string& bytes);

// A parameter as JSON: "type", "text" (its bytes as UTF-8 from code page 932), and for a known type
// its "name" and "value" as ShownParameterValue gives it.
nlohmann::json ParameterJson(std::uint8_t type, const std::string& bytes);

}  // namespace corvane::cli
