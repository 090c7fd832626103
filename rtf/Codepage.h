// Turns bytes in a Windows, Mac or DOS code page into UTF-8 through the C library's iconv.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace rtf {

constexpr int kSymbolCodepage = 42;  // the Symbol font's own encoding (fcharset 2)

// The code page RTF's \fcharsetN stands for; 0 when the charset means "the document's".
int codepageForCharset(int charset);

// Appends `bytes` decoded from `codepage` to `out` as UTF-8. Bytes the code page cannot map
// become U+FFFD; an unknown code page falls back to Windows-1252. Descriptors and single-byte
// tables are built once per code page and kept, since documents switch code pages per run.
class CodepageDecoder {
  public:
    CodepageDecoder();
    ~CodepageDecoder();
    CodepageDecoder(const CodepageDecoder&) = delete;
    CodepageDecoder& operator=(const CodepageDecoder&) = delete;

    void decode(std::string_view bytes, int codepage, std::string& out);

    // True when a byte in `codepage` can start a two-byte character (932, 936, 949, 950...).
    bool isMultiByte(int codepage);

  private:
    struct Converter;
    Converter& converter(int codepage);

    std::unordered_map<int, std::unique_ptr<Converter>> converters_;
    int lastCodepage_ = -1;
    Converter* last_ = nullptr;
};

}  // namespace rtf
