#include "PolicyGenerator.h"

#include <array>

namespace bench {

namespace {

constexpr std::array<const char*, 16> kWords = {
    "the", "user", "agrees", "to",   "use", "this",  "system", "only",
    "for", "work", "and",    "must", "not", "share", "access", "credentials"};

}  // namespace

std::string generatePolicyRtf(std::size_t targetBytes) {
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033"
        "{\\fonttbl{\\f0\\fswiss\\fcharset0 Calibri;}{\\f1\\froman\\fcharset0 Cambria;}}\n"
        "{\\colortbl ;\\red0\\green0\\blue255;}\n"
        "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1\n";
    rtf.reserve(targetBytes + 4096);
    unsigned seed = 1;
    int paragraph = 0;
    while (rtf.size() < targetBytes) {
        ++paragraph;
        if (paragraph % 20 == 1) {
            rtf += "\\pard\\sb240\\sa120\\keepn\\b\\f1\\fs28 Section " +
                   std::to_string(paragraph / 20 + 1) + "\\b0\\f0\\fs22\\par\n";
        }
        if (paragraph % 7 == 0) {
            rtf += "{\\listtext\\f0 " + std::to_string(paragraph % 9 + 1) +
                   ".\\tab}\\pard\\ls1\\fi-360\\li720\\sa60 ";
        } else {
            rtf += "\\pard\\qj\\sa200\\sl276\\slmult1\\f0\\fs22 ";
        }
        for (int w = 0; w < 120; ++w) {
            seed = seed * 1103515245u + 12345u;
            const unsigned r = (seed >> 16) & 0xFF;
            if (r < 4) {
                rtf += "{\\b ";
                rtf += kWords[r % kWords.size()];
                rtf += "} ";
            } else if (r < 6) {
                rtf += "{\\i caf\\'e9} ";
            } else if (r == 6) {
                rtf +=
                    "{\\field{\\*\\fldinst{HYPERLINK \"https://example.org/policy\"}}"
                    "{\\fldrslt{\\ul\\cf1 policy}}} ";
            } else if (r == 7) {
                rtf += "don\\rquote t ";
            } else {
                rtf += kWords[r % kWords.size()];
                rtf += ' ';
            }
        }
        rtf += "\\par\n";
    }
    rtf += "}\n";
    return rtf;
}

}  // namespace bench
