// Reading a policy file that is not RTF at all: authors sometimes save plain text with an
// .rtf name, and showing the words beats showing nothing.
#pragma once

#include <string_view>

#include "rtf/Document.h"

namespace rtf {

// A paragraph per line (LF, CRLF or CR), decoded as any text file the program reads (see
// text::decodeToUtf8).
Document parsePlainText(std::string_view bytes);

}  // namespace rtf
