// The number field's text as the bytes the frame carries: code page 932.
#pragma once

#include <QString>

#include <cstddef>
#include <string>

namespace corvane {

// Returns text in code page 932, each character the code page cannot hold replaced by one "?",
// cut to its first maxBytes bytes (which may end inside a double-byte character).
std::string ToCodePage932(const QString& text, std::size_t maxBytes);

}  // namespace corvane
