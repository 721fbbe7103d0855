#ifndef KORVEL_INPUTTEXT_H
#define KORVEL_INPUTTEXT_H

// A text file as an operator brings it, decoded by what it is: UTF-8 with
// or without a byte order mark, UTF-16 little or big endian with one (a
// spreadsheet's "Unicode text" on Windows). Line ends CR LF, LF or CR all
// become LF. A NUL, a byte sequence that is no UTF-8, a broken UTF-16
// pair or an encoding it cannot tell is refused with the line it is on:
// a file read in the wrong encoding would give wrong values, not none.

#include <QByteArray>
#include <QString>

namespace InputText {

bool Decode(const QByteArray &Bytes, QString *Text, QString *Error);

// The code point of the UTF-8 sequence at Bytes[At], and its length; 0 for
// a byte that begins no valid sequence (overlong, a surrogate, above
// U+10FFFF, cut short).
int Utf8Sequence(const QByteArray &Bytes, int At, uint *CodePoint);

} // namespace InputText

#endif
