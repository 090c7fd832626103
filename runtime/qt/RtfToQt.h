#pragma once
// The RTF reader's document model rendered into a QTextDocument through QTextCursor and text
// formats: character and paragraph formats, lists as QTextList where Qt can number them (else
// the marker as text), tables as QTextTable (nested too), PNG and JPEG pictures at their size,
// and hyperlinks styled as links (not opened). The author's text and background colours are
// kept only where they reach a readable contrast on what they are drawn on.

#include "rtf/Document.h"

class QPalette;
class QTextDocument;

namespace runtime::qt {

// Replaces the content of `target` with `model`. Lengths in twips become pixels with the
// screen's factor `twipsPerPixel` (15 at 96 DPI); font sizes become points. Colours are judged
// against `palette`, the one of the view that shows the document.
void fillDocument(QTextDocument& target, const rtf::Document& model, double twipsPerPixel,
                  const QPalette& palette);
// The same, judged against the application's palette.
void fillDocument(QTextDocument& target, const rtf::Document& model, double twipsPerPixel);

}  // namespace runtime::qt
