// Reading a policy file that is not RTF at all: authors sometimes save plain text with an
// .rtf name, and showing the words beats showing nothing.
#pragma once

#include <string_view>

#include "rtf/Document.h"

namespace rtf {

// A paragraph per line (LF, CRLF or CR). Decoded as UTF-8 when the bytes are valid UTF-8,
// else as Windows-1252, the usual encoding of such files.
Document parsePlainText(std::string_view bytes);

bool isValidUtf8(std::string_view bytes);

}  // namespace rtf
