#include "ProfileCases.h"

namespace profile_cases {
namespace {

Case c(std::string name, std::string bytes, std::string section, std::string key,
       std::string ours, std::optional<std::string> wine = std::nullopt) {
    Case k;
    k.name = std::move(name);
    k.bytes = std::move(bytes);
    k.section = std::move(section);
    k.key = std::move(key);
    k.ours = std::move(ours);
    k.wine = std::move(wine);
    return k;
}

std::string valueLine(std::size_t n, char ch) { return "[S]\r\nkey=" + std::string(n, ch) + "\r\n"; }

}  // namespace

std::vector<Case> all() {
    std::vector<Case> v;
    // Names and case.
    v.push_back(c("Plain", "[General]\r\nFormCaption=Hello\r\n", "General", "FormCaption", "Hello"));
    v.push_back(c("SectionAndKeyCase", "[GENERAL]\r\nKEY=v\r\n", "general", "key", "v"));
    v.push_back(c("ValueCaseKept", "[S]\r\nkey=MiXeD\r\n", "S", "KEY", "MiXeD"));
    // Blanks.
    v.push_back(c("BlanksAroundEverything", "  [ General ]  \r\n  key  =   a b  \r\n", "General",
                  "key", "a b"));
    v.push_back(c("TabsAroundValue", "[S]\r\n\tkey\t=\tv\t\r\n", "S", "key", "v"));
    v.push_back(c("BlankInsideKey", "[S]\r\nmy key=v\r\n", "S", "my key", "v"));
    v.push_back(c("BlanksInLookupNames", "[S]\r\nkey=v\r\n", " S ", " key ", "v"));
    v.push_back(c("EmptyValue", "[S]\r\nkey=\r\n", "S", "key", ""));
    v.push_back(c("BlankValue", "[S]\r\nkey=   \r\n", "S", "key", ""));
    // Quotes.
    v.push_back(c("DoubleQuotes", "[S]\r\nkey=\" x \"\r\n", "S", "key", " x "));
    v.push_back(c("SingleQuotes", "[S]\r\nkey='y'\r\n", "S", "key", "y"));
    v.push_back(c("MismatchedQuotesKept", "[S]\r\nkey=\"y'\r\n", "S", "key", "\"y'"));
    v.push_back(c("LoneQuoteKept", "[S]\r\nkey=\"\r\n", "S", "key", "\""));
    v.push_back(c("OpeningQuoteOnly", "[S]\r\nkey=\"abc\r\n", "S", "key", "\"abc"));
    v.push_back(c("InnerQuotesKept", "[S]\r\nkey=a\"b\"c\r\n", "S", "key", "a\"b\"c"));
    v.push_back(c("QuotedWithBlanksOutside", "[S]\r\nkey=  \"q\"  \r\n", "S", "key", "q"));
    v.push_back(c("TwoQuotedParts", "[S]\r\nkey=\"a\" \"b\"\r\n", "S", "key", "a\" \"b"));
    // Duplicates.
    v.push_back(c("FirstKeyWins", "[S]\r\nkey=1\r\nkey=2\r\n", "S", "key", "1"));
    v.push_back(c("DuplicateSectionFirstHasKey", "[S]\r\nkey=1\r\n[S]\r\nkey=2\r\n", "S", "key", "1"));
    v.push_back(c("DuplicateSectionKeyOnlyInSecond", "[S]\r\na=1\r\n[S]\r\nkey=2\r\n", "S", "key",
                  "dflt"));
    // Lines that are no keys.
    v.push_back(c("LineWithoutEquals", "[S]\r\nkey\r\n", "S", "key", "dflt"));
    v.push_back(c("CommentLineIsAKeyNamedSo", "[S]\r\n;key=1\r\n", "S", ";key", "1"));
    v.push_back(c("CommentLineNotAKey", "[S]\r\n;key=1\r\n", "S", "key", "dflt"));
    v.push_back(c("FirstEqualsSplits", "[S]\r\nkey=a=b\r\n", "S", "key", "a=b"));
    v.push_back(c("EmptyKeyName", "[S]\r\n=v\r\n", "S", "", "v"));
    v.push_back(c("KeyBeforeAnySection", "key=v\r\n[S]\r\n", "S", "key", "dflt"));
    v.push_back(c("SectionWithoutClose", "[S\r\nkey=v\r\n", "S", "key", "dflt"));
    v.push_back(c("SectionWithTrailingText", "[S] tail\r\nkey=v\r\n", "S", "key", "v"));
    // Wine ignores a section without a name; we read it like any other.
    v.push_back(c("EmptySectionName", "[]\r\nkey=v\r\n", "", "key", "v", "dflt"));
    // Line ends.
    v.push_back(c("CrLf", "[S]\r\nkey=v\r\nnext=w\r\n", "S", "next", "w"));
    v.push_back(c("LfOnly", "[S]\nkey=v\nnext=w\n", "S", "next", "w"));
    v.push_back(c("CrOnly", "[S]\rkey=v\rnext=w\r", "S", "next", "w"));
    v.push_back(c("Mixed", "[S]\r\nkey=v\nnext=w\rlast=x", "S", "last", "x"));
    v.push_back(c("NoFinalLineEnd", "[S]\r\nkey=v", "S", "key", "v"));
    // Missing things.
    Case missingFile = c("MissingFile", "", "S", "key", "dflt");
    missingFile.noFile = true;
    v.push_back(missingFile);
    v.push_back(c("MissingSection", "[S]\r\nkey=v\r\n", "T", "key", "dflt"));
    v.push_back(c("MissingKey", "[S]\r\nother=v\r\n", "S", "key", "dflt"));
    v.push_back(c("EmptyFile", "", "S", "key", "dflt"));
    Case blankDefault = c("DefaultTrailingBlanks", "[S]\r\n", "S", "key", "d");
    blankDefault.defaultValue = "d   ";
    v.push_back(blankDefault);
    Case leadingDefault = c("DefaultLeadingBlanks", "[S]\r\n", "S", "key", "   d");
    leadingDefault.defaultValue = "   d";
    v.push_back(leadingDefault);
    Case tabDefault = c("DefaultTrailingTab", "[S]\r\n", "S", "key", "d\t");
    tabDefault.defaultValue = "d\t";
    v.push_back(tabDefault);
    // Lengths, through a 500-character buffer as the settings readers use.
    v.push_back(c("Value498", valueLine(498, 'a'), "S", "key", std::string(498, 'a')));
    v.push_back(c("Value499", valueLine(499, 'b'), "S", "key", std::string(499, 'b')));
    v.push_back(c("Value500", valueLine(500, 'c'), "S", "key", std::string(499, 'c')));
    v.push_back(c("Value600", valueLine(600, 'd'), "S", "key", std::string(499, 'd')));
    // Encodings of ANSI files.
    v.push_back(c("Windows1252Letter", "[S]\r\nkey=caf\xE9\r\n", "S", "key", "caf\xC3\xA9"));
    // We take valid UTF-8 as UTF-8; the platform reads the bytes in the ANSI code page (1252).
    v.push_back(c("Utf8WithoutBom", "[S]\r\nkey=caf\xC3\xA9\r\n", "S", "key", "caf\xC3\xA9",
                  "caf\xC3\x83\xC2\xA9"));
    v.push_back(c("Utf8BomFirstSection", "\xEF\xBB\xBF[S]\r\nkey=caf\xC3\xA9\r\n", "S", "key",
                  "caf\xC3\xA9"));
    std::string utf16 = "\xFF\xFE";
    for (char ch : std::string("[S]\r\nkey=v\xE9\r\n")) {
        utf16.push_back(ch);
        utf16.push_back('\0');
    }
    v.push_back(c("Utf16LeBom", utf16, "S", "key", "v\xC3\xA9"));
    return v;
}

}  // namespace profile_cases
