// Reading RTF into rtf::Document, and the two text views of a document that rtfcat prints.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "rtf/Document.h"

namespace rtf {

// Reads RTF bytes. Never throws on bad input and never fails: malformed RTF yields whatever
// could be recovered, input that is not RTF at all reads as plain text (a paragraph per line),
// and empty input as an empty document.
Document parse(std::string_view bytes);

// Reads RTF bytes as parse() does, but hands each block of the document's body (a paragraph or
// a whole table) to `take` as soon as it is complete instead of keeping it: the model of a
// large document is never held whole.
void parse(std::string_view bytes, const std::function<void(Block&&)>& take);

// The document's visible text: a line per paragraph, table cells separated by a tab and rows
// by a line end, list markers before their items, hidden text and pictures left out.
std::string plainText(const Document& document);

// Appends the visible text of one block of the body, as plainText() shows it.
void appendPlainText(const Block& block, std::string& out);

// An indented outline of the model (blocks, formats, runs, pictures), for debugging readers.
std::string dumpModel(const Document& document);

}  // namespace rtf
