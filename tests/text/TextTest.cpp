// Decoding text files, telling RTF from plain text, and UTF-8 that is not well formed.
#include <gtest/gtest.h>

#include <string>

#include "text/Decode.h"
#include "text/Utf8.h"

namespace {

TEST(TextDecode, EveryEncodingReadsTheSame) {
    const std::string utf8 = "caf\xC3\xA9 \xE2\x82\xAC\r\n";  // "café €"
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : text::utf8ToUtf16(utf8)) {
        utf16.push_back(static_cast<char>(c & 0xFF));
        utf16.push_back(static_cast<char>(c >> 8));
    }
    struct Row {
        const char* name;
        std::string bytes;
    } rows[] = {{"Utf8", utf8},
                {"Utf8Bom", "\xEF\xBB\xBF" + utf8},
                {"Utf16LeBom", utf16},
                {"Windows1252", "caf\xE9 \x80\r\n"}};
    for (const Row& row : rows) {
        EXPECT_EQ(text::decodeToUtf8(row.bytes), utf8) << row.name;
        EXPECT_EQ(text::decodeToUtf16(row.bytes), text::utf8ToUtf16(utf8)) << row.name;
    }
    // The bytes Windows-1252 leaves unassigned keep their value, as Windows maps them.
    EXPECT_EQ(text::decodeToUtf16("\x81\x8D\x8F\x90\x9D\xFF"),
              u"\u0081\u008D\u008F\u0090\u009D\u00FF");
}

TEST(TextDecode, RtfIsFoundAfterByteOrderMarkAndBlanks) {
    struct Row {
        std::string bytes;
        std::string rtf;
    } rows[] = {{"{\\rtf1 x}", "{\\rtf1 x}"},
                {" \r\n\t{\\rtf1 x}", "{\\rtf1 x}"},
                {"\xEF\xBB\xBF{\\rtf1 x}", "{\\rtf1 x}"},
                {"\xEF\xBB\xBF \n{\\rtf1 x}", "{\\rtf1 x}"},
                {"x{\\rtf1}", ""},
                {"{\\rt", ""},
                {"{not rtf}", ""},
                {"", ""}};
    for (const Row& row : rows) {
        EXPECT_EQ(text::rtfSource(row.bytes), row.rtf) << row.bytes;
    }
}

TEST(TextUtf8, MalformedSequencesBecomeReplacements) {
    struct Row {
        std::string bytes;
        std::u16string utf16;
    } rows[] = {{"\xC0\xAF", u"\uFFFD"},               // overlong
                {"\xED\xA0\x80", u"\uFFFD"},           // a surrogate
                {"\xF4\x90\x80\x80", u"\uFFFD"},       // above U+10FFFF
                {"a\xE2\x82", u"a\uFFFD"},             // cut short
                {"\x80x", u"\uFFFDx"},                 // a stray continuation byte
                {"\xF0\x9F\x98\x80", u"\U0001F600"}};  // well formed, for contrast
    for (const Row& row : rows) {
        EXPECT_EQ(text::utf8ToUtf16(row.bytes), row.utf16) << row.bytes;
        EXPECT_EQ(text::isValidUtf8(row.bytes), row.utf16 == u"\U0001F600") << row.bytes;
    }
    EXPECT_EQ(text::utf16ToUtf8(u"a\xD800"
                                u"b\xDC00"),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    std::string out;
    text::appendUtf8(out, 0x110000);
    EXPECT_EQ(out, "\xEF\xBF\xBD");
}

}  // namespace
