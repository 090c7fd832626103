// Helpers shared by the RTF reader tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "rtf/Reader.h"

namespace rtf::test {

inline std::string textOf(std::string_view bytes) {
    return plainText(parse(bytes));
}

// A named RTF snippet and the text the reader must make of it.
struct TextCase {
    const char* name;
    const char* rtf;
    const char* text;
};

// Suites of TextCase rows: each derives its own fixture from this and checks the rows with
// checkText().
class TextCases : public ::testing::TestWithParam<TextCase> {
protected:
    static void checkText() { EXPECT_EQ(textOf(GetParam().rtf), GetParam().text); }
};

// The paragraphs of the document body, tables left out.
inline std::vector<Paragraph> paragraphsOf(const Document& document) {
    std::vector<Paragraph> out;
    for (const Block& block : document.blocks) {
        if (const Paragraph* p = std::get_if<Paragraph>(&block)) {
            out.push_back(*p);
        }
    }
    return out;
}

inline std::vector<Run> runsOf(const Paragraph& paragraph) {
    std::vector<Run> out;
    for (const Inline& item : paragraph.inlines) {
        if (const Run* run = std::get_if<Run>(&item)) {
            out.push_back(*run);
        }
    }
    return out;
}

// The single run of a one-paragraph document whose text is `text`; fails the test otherwise.
inline Run runWithText(const Document& document, std::string_view text) {
    for (const Paragraph& p : paragraphsOf(document)) {
        for (const Run& run : runsOf(p)) {
            if (run.text == text) {
                return run;
            }
        }
    }
    ADD_FAILURE() << "no run \"" << text << "\" in\n" << dumpModel(document);
    return {};
}

}  // namespace rtf::test
