#pragma once

#include <QString>

// Text that comes from files anyone can write (words, meanings, list names, requests) as the
// program shows or repeats it. The characters that could move the cursor, end a line, ring a
// bell or reorder what follows are the controls: Unicode's Cc (C0, DEL and C1, tab included), Zl
// (U+2028) and Zp (U+2029), and the bidirectional controls U+061C, U+200E, U+200F,
// U+202A-U+202E and U+2066-U+2069.
namespace PlainText {

bool isControl(char16_t c);

// Each control as a space.
QString cleaned(QString text);

// Each control written out: \xNN below U+0100, \uNNNN above.
QString escaped(const QString& text);

// The first maxChars characters, and "..." when there were more. A surrogate pair is not split.
QString shortened(const QString& text, qsizetype maxChars);

} // namespace PlainText
