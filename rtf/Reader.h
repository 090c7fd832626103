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

// The document's visible text: a line per paragraph, table cells separated by a tab and rows
// by a line end, list markers before their items, hidden text and pictures left out.
std::string plainText(const Document& document);

// The same text handed to `write` piece by piece, so that a large document's text need not be
// held whole.
void writePlainText(const Document& document, const std::function<void(std::string_view)>& write);

// An indented outline of the model (blocks, formats, runs, pictures), for debugging readers.
std::string dumpModel(const Document& document);

}  // namespace rtf
