#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Whether Data is rich text: "{\rtf" or an empty group "{}", after white space.
bool IsRtf(const QByteArray& Data);
bool IsRtf(const QString& Text);

// Replaces the content of Document with Data: rich text when IsRtf says so, otherwise
// plain text (UTF-8 when valid, else code page 1252). Damaged rich text (unbalanced groups,
// cut short, out-of-range numbers) gives what could be read; unknown control words and
// ignorable destinations are skipped.
void ReadRtf(QTextDocument* Document, const QByteArray& Data);
// The same for text held as a string: characters beyond ASCII outside escapes are taken
// as they are rather than as bytes of a code page.
void ReadRtf(QTextDocument* Document, const QString& Text);
// The text ReadRtf(Document, Text) would give Document, as its toPlainText() says, read
// without making a document: paragraphs end with "\n", formatting is left out.
QString RtfPlainText(const QString& Text);
