#include "settings/Reference.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "settings/KeyMeanings.h"
#include "settings/Keys.h"

namespace settings {
namespace {

// The words about the file itself, shared by both forms: a heading and its paragraphs.
struct Part {
    std::string_view heading;
    std::vector<std::string_view> paragraphs;
};

const std::vector<Part>& aboutTheFile() {
    static const std::vector<Part> parts{
        {"Description",
         {"Porvane shows a usage policy with Agree and Disagree buttons and starts the "
          "configured application on Agree. Everything it shows and does is set in one file, "
          "Porvane.ini, in the same folder as the program (in the Debian package a link to "
          "/etc/porvane/Porvane.ini). The file is read afresh at each use, never written. Every "
          "key is optional: a missing file, section or key gives the key's default.",
          "Check a file with porvane-check (PorvaneCheck.exe on Windows) before rolling it out: "
          "it reads the file as the gate does and says what the gate will make of it."}},
        {"Format",
         {"A line [Section] opens a section; the lines Key=Value below it set its keys. Names of "
          "sections and keys are matched without regard to case; blanks around the key, the = "
          "and the value are ignored; the first matching section and the first matching key "
          "win. A value cannot span lines and is cut to 499 characters.",
          "Quotes: a value wholly inside one matching pair of \" or ' loses them, as Windows' own "
          "reader does (FormCaption=\" Lab \" keeps its blanks). A command line that starts with "
          "a quoted program and ends with a quoted argument needs one more pair of quotes around "
          "the whole value: Application=\"\"/opt/My App/app\" \"two words\"\".",
          "Booleans: True or False in any case, or a number (0 is False, any other True).",
          "Numbers: decimal with an optional sign, fractions and exponents (2.5, 1e3), &H hex "
          "(&H1E is 30) and &O octal. Fractions round to the nearest integer, exactly one half "
          "to even.",
          "Bad values: a value that is not of its type or out of range shows an \"Ini RW Class\" "
          "notice with the error (13 Type mismatch, 6 Overflow) and reads as 0 or False; an "
          "empty value reads as the default.",
          "Encodings: UTF-8 with or without a byte-order mark, or UTF-16LE with one; a file that "
          "is not valid UTF-8 is read as Windows-1252. Lines may end in CR LF, LF or CR."}},
    };
    return parts;
}

constexpr std::string_view kExample =
    "[General]\n"
    "FormCaption=Computer Lab - Usage Policy\n"
    "DisagreeCaption=&Disagree\n"
    "AgreeCaption=&Agree\n"
    "PolicyFile=policy.rtf\n"
    "Application=firefox --kiosk \"https://example.org\"\n"
    "[Application]\n"
    "ClosePorvaneInSeconds=3600\n"
    "CloseApplicationOnClose=True\n"
    "[Closing]\n"
    "ShowCloseDialog=True\n"
    "CloseTitle=Session over\n"
    "CloseText=This session is over. Please log off before you leave.\n";

// What the reference says after a key's name: its type and default, whether the original
// program read it, and when the gate reads it.
std::string facts(const KeySpec& key) {
    std::string text = std::string(typeName(key.type)) + ", default " + std::string(defaultOf(key));
    if (key.addition) {
        text += "; an addition of Porvane's own";
    }
    return text + "; read " + std::string(readAtName(key.readAt));
}

// ---- the manual page ----

// Text for a line of the man macros: backslashes and hyphens escaped, and a line never starts
// with a control character.
std::string roff(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    if (!out.empty() && (out.front() == '.' || out.front() == '\'')) {
        out.insert(0, "\\&");
    }
    return out;
}

// ---- the README's table ----

// A meaning as a Markdown table cell: the names of keys as code, no cell-ending bars.
std::string markdownCell(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = at;
        while (end < text.size() && std::isalpha(static_cast<unsigned char>(text[end]))) {
            ++end;
        }
        std::string_view word = text.substr(at, end - at);
        if (!word.empty()) {
            bool named = std::any_of(knownKeys().begin(), knownKeys().end(),
                                     [&](const KeySpec& key) { return key.name == word; });
            out += named ? "`" + std::string(word) + "`" : std::string(word);
            at = end;
        } else {
            out += text[at] == '|' ? std::string("\\|") : std::string(1, text[at]);
            ++at;
        }
    }
    return out;
}

// ---- the text file ----

// The text in lines of at most 78 characters, each starting with the indent; the first with its
// own indent when one is given (a hanging indent).
void wrap(std::string& out, std::string_view text, std::string_view indent,
          std::string_view first = {}) {
    constexpr std::size_t kWidth = 78;
    std::string line(first.empty() ? indent : first);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        std::string_view word = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        bool startOfLine = line.find_first_not_of(' ') == std::string::npos;
        if (!startOfLine && line.size() + 1 + word.size() > kWidth) {
            out += line + "\r\n";
            line = indent;
            startOfLine = true;
        }
        line += (startOfLine ? "" : " ") + std::string(word);
        start = end == std::string_view::npos ? text.size() : end + 1;
    }
    out += line + "\r\n";
}

}  // namespace

std::string manPage(std::string_view version) {
    std::string out = ".\\\" Generated from the program's table of settings; do not edit.\n";
    out +=
        ".TH PORVANE.INI 5 \"December 2026\" \"Porvane " + roff(version) + "\" \"File Formats\"\n";
    out += ".SH NAME\nporvane.ini \\- the settings of the Porvane usage policy gate\n";
    out += ".SH SYNOPSIS\n.I /etc/porvane/Porvane.ini\n";
    for (const Part& part : aboutTheFile()) {
        std::string heading;
        for (char c : part.heading) {
            heading += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        }
        out += ".SH " + heading + "\n";
        for (std::size_t i = 0; i < part.paragraphs.size(); ++i) {
            out += (i == 0 ? "" : ".PP\n") + roff(part.paragraphs[i]) + "\n";
        }
    }
    out += ".SH KEYS\n";
    std::string_view section;
    for (const KeySpec& key : knownKeys()) {
        if (key.section != section) {
            section = key.section;
            out += ".SS [" + roff(section) + "]\n";
        }
        out += ".TP\n.BR " + roff(key.name) + " \" (" + roff(facts(key)) + ")\"\n" +
               roff(meaningOf(key)) + "\n";
    }
    out += ".SH EXAMPLE\n.nf\n";
    std::string_view example = kExample;
    for (std::size_t start = 0; start < example.size();) {
        std::size_t end = example.find('\n', start);
        out += roff(example.substr(start, end - start)) + "\n";
        start = end + 1;
    }
    out += ".fi\n.SH SEE ALSO\n.BR porvane (1),\n.BR porvane\\-check (1)\n";
    return out;
}

std::string markdownTable() {
    std::string out =
        "| Section | Key | Type | Default | Read | Meaning |\n|---|---|---|---|---|---|\n";
    for (const KeySpec& key : knownKeys()) {
        out += "| `" + std::string(key.section) + "` | `" + std::string(key.name) + "` | " +
               std::string(typeName(key.type)) + " | " + std::string(defaultOf(key)) + " | " +
               std::string(readAtName(key.readAt)) + " | " + (key.addition ? "*Addition.* " : "") +
               markdownCell(meaningOf(key)) + " |\n";
    }
    return out;
}

std::string textReference(std::string_view version) {
    std::string out;
    wrap(out,
         "Porvane.ini: the settings of the Porvane usage policy gate (Porvane " +
             std::string(version) + ")",
         "");
    out += "\r\n";
    for (const Part& part : aboutTheFile()) {
        out += std::string(part.heading) + "\r\n";
        for (std::string_view paragraph : part.paragraphs) {
            wrap(out, paragraph, "  ");
            out += "\r\n";
        }
    }
    out += "Keys\r\n";
    std::string_view section;
    for (const KeySpec& key : knownKeys()) {
        if (key.section != section) {
            section = key.section;
            out += "\r\n[" + std::string(section) + "]\r\n";
        }
        out += "\r\n";
        wrap(out, std::string(key.name) + " (" + facts(key) + ")", "    ", "  ");
        wrap(out, meaningOf(key), "      ");
    }
    out += "\r\nExample\r\n\r\n";
    std::string_view example = kExample;
    for (std::size_t start = 0; start < example.size();) {
        std::size_t end = example.find('\n', start);
        out += "  " + std::string(example.substr(start, end - start)) + "\r\n";
        start = end + 1;
    }
    return out;
}

}  // namespace settings
