// A synthetic usage policy in the RTF a word processor writes: headings, justified body text
// with some accents, bold and italic spans, list items and the odd hyperlink.
#pragma once

#include <cstddef>
#include <string>

namespace bench {

std::string generatePolicyRtf(std::size_t targetBytes);

}  // namespace bench
