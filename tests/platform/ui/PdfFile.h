#pragma once

// PDF files the printing tests write, read back with poppler's tools.

#include <QString>

// The text of the file, or of page Page (from 1), laid out as printed; pages end with "\f".
QString PdfText(const QString& Pdf, int Page = 0);
// The number of pages; -1 when the file cannot be read.
int PdfPages(const QString& Pdf);
// The document's title; empty when it has none.
QString PdfTitle(const QString& Pdf);
