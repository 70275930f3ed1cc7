#pragma once

#include <QByteArray>

class QTextDocument;

// Document as rich text in 7-bit ASCII, in the form word processors write: code page 1252
// with \u escapes beyond it, a font table and a colour table, character formatting
// (font, size, bold, italic, underline, strike-out, text and background colours),
// paragraphs with alignment, indents and spacing, and bullet paragraphs with both the
// bullet text and its numbering description. Every paragraph ends with \par.
QByteArray WriteRtf(const QTextDocument* Document);
