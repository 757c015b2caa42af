// A small reader for the rich text of the about file: the formatting an
// about text uses, everything else skipped. Linear in the input; never fails
// on malformed text.
#pragma once

#include <QByteArray>

class QTextDocument;

namespace shell {

/*! True when the bytes start (after blanks) with "{\rtf". */
bool IsRtf(const QByteArray& bytes);

/*! Replaces the document's content with the rich text of `bytes`. Covers
    groups, \par, \line, \tab, \b, \i, \ul, \fs, \cf with \colortbl, \qc, \ql,
    \qr, \qj, \pard, \plain, \'hh in the document's code page (\ansicpg, 1251
    by default), \uN with \ucN fallback skipping, \{ \} \\ \~ and \bin;
    \fonttbl, \stylesheet, \info, \pict, headers, footers and {\* ...}
    destinations are skipped. Returns false (document untouched) when the
    bytes are not RTF. */
bool ReadRtf(const QByteArray& bytes, QTextDocument* document);

/*! RTF when the bytes are RTF, otherwise the bytes as Windows-1251 plain text. */
void LoadRichOrPlainText(const QByteArray& bytes, QTextDocument* document);

} // namespace shell
