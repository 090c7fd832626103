// The settings reference against the table it is generated from: the manual page the build
// wrote, which the package installs, and the Windows text file give every key of the table
// under its section, with its type, default, when it is read and its meaning, and no other key.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "settings/KeyMeanings.h"
#include "settings/Keys.h"
#include "settings/Reference.h"

namespace {

#ifdef PORVANE_MAN_PAGE
// Roff's escapes undone, as a reader of the page sees the text.
std::string unescaped(std::string text) {
    for (auto [from, to] : {std::pair{"\\-", "-"}, std::pair{"\\e", "\\"}, std::pair{"\\&", ""}}) {
        for (std::size_t at = text.find(from); at != std::string::npos;
             at = text.find(from, at + std::string(to).size())) {
            text.replace(at, std::string(from).size(), to);
        }
    }
    return text;
}
#endif

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

// The key's facts as both forms give them after its name.
std::string facts(const settings::KeySpec& key) {
    return std::string(key.name) + " (" + std::string(settings::typeName(key.type)) + ", default " +
           std::string(settings::defaultOf(key));
}

#ifdef PORVANE_MAN_PAGE
TEST(SettingsReference, ManPageGivesEveryKeyOfTheTable) {
    std::ifstream in(PORVANE_MAN_PAGE, std::ios::binary);
    ASSERT_TRUE(in) << PORVANE_MAN_PAGE << " was not generated";
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::string page = unescaped(bytes.str());
    EXPECT_EQ(count(page, ".TP\n.BR "), settings::knownKeys().size());
    for (const settings::KeySpec& key : settings::knownKeys()) {
        SCOPED_TRACE(std::string(key.name));
        std::string meaning = settings::meaningOf(key);
        EXPECT_FALSE(meaning.empty()) << "the table gives no meaning";
        std::size_t section = page.find(".SS [" + std::string(key.section) + "]\n");
        std::size_t entry = page.find(".BR " + std::string(key.name) + " \" (");
        ASSERT_NE(section, std::string::npos);
        ASSERT_NE(entry, std::string::npos);
        EXPECT_LT(section, entry);
        EXPECT_EQ(page.find(".SS [", section + 1) < entry, false) << "under another section";
        std::size_t line = page.find('\n', entry) + 1;
        EXPECT_EQ(page.substr(entry, line - entry),
                  ".BR " + std::string(key.name) + " \" (" +
                      std::string(settings::typeName(key.type)) + ", default " +
                      std::string(settings::defaultOf(key)) +
                      (key.addition ? "; an addition of Porvane's own" : "") + "; read " +
                      std::string(settings::readAtName(key.readAt)) + ")\"\n");
        EXPECT_EQ(page.substr(line, page.find('\n', line) - line), meaning);
    }
}
#endif

TEST(SettingsReference, TextFileGivesEveryKeyOfTheTable) {
    std::string text = settings::textReference("1.0.1");
    // Lines for Notepad: CR LF, no longer than 78 characters.
    EXPECT_EQ(count(text, "\n"), count(text, "\r\n"));
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 79u) << line;
    }
    // The meaning, wrapped: compared with the blanks and line ends taken out.
    std::string words;
    for (char c : text) {
        if (c != ' ' && c != '\r' && c != '\n') {
            words += c;
        }
    }
    for (const settings::KeySpec& key : settings::knownKeys()) {
        SCOPED_TRACE(std::string(key.name));
        EXPECT_NE(text.find("\r\n  " + facts(key)), std::string::npos);
        std::string meaning;
        for (char c : settings::meaningOf(key)) {
            if (c != ' ') {
                meaning += c;
            }
        }
        EXPECT_NE(words.find(meaning), std::string::npos);
    }
}

}  // namespace
