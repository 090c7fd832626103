#pragma once
// Reading a text file's bytes, whatever its author's editor saved: byte-order marks, UTF-16,
// UTF-8, Windows-1252; and telling an RTF document from plain text.

#include <string>
#include <string_view>

namespace text {

// The Unicode character Windows-1252 byte `b` stands for. The five bytes the code page leaves
// unassigned map to the C1 controls of the same value, as Windows itself maps them.
char16_t fromWindows1252(unsigned char b);

// How the decoders below read a text file's bytes.
enum class Encoding { Utf16Le, Utf8WithBom, Utf8, Windows1252 };
Encoding encodingOf(std::string_view bytes);

// The text of a file: UTF-16LE after its byte-order mark; else UTF-8 (byte-order mark
// dropped) when the bytes are valid UTF-8; else Windows-1252, the usual encoding of text files
// that are not UTF-8. Lone UTF-16 surrogates are kept as they are in the UTF-16 form.
std::u16string decodeToUtf16(std::string_view bytes);
std::string decodeToUtf8(std::string_view bytes);

// The RTF document in `bytes`: from its "{\rtf" on, after an optional UTF-8 byte-order mark
// and blanks; empty when the bytes are not RTF.
std::string_view rtfSource(std::string_view bytes);

}  // namespace text
