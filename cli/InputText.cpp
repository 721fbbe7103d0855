#include "InputText.h"

#include <QCoreApplication>

namespace InputText {

namespace {

bool StartsWith(const QByteArray &Bytes, const char *Mark, int Size)
{
    return Bytes.size() >= Size && Bytes.left(Size) == QByteArray(Mark, Size);
}

// UTF-16 code units to text; a lone half of a pair is refused.
bool FromUtf16(const QByteArray &Bytes, bool BigEndian, QString *Text, QString *Error)
{
    const char *const Name = BigEndian ? "UTF-16 BE" : "UTF-16 LE";
    if (Bytes.size() % 2) {
        *Error = QCoreApplication::translate("InputText",
                                             "an odd number of bytes in a %1 file: it ends in half a character")
                     .arg(QLatin1String(Name));
        return false;
    }
    QString Out;
    Out.reserve(Bytes.size() / 2);
    int Line = 1;
    const auto UnitAt = [&](int I) {
        const uchar A = uchar(Bytes.at(I));
        const uchar B = uchar(Bytes.at(I + 1));
        return QChar(BigEndian ? ushort(A << 8 | B) : ushort(B << 8 | A));
    };
    for (int I = 0; I < Bytes.size(); I += 2) {
        const QChar C = UnitAt(I);
        if (C.isHighSurrogate() && I + 3 < Bytes.size() && UnitAt(I + 2).isLowSurrogate()) {
            // A character beyond the first 65536: both halves, as one.
            Out += C;
            Out += UnitAt(I + 2);
            I += 2;
            continue;
        }
        if (C.isSurrogate()) {
            *Error = QCoreApplication::translate("InputText", "line %1: half of a %2 character pair")
                         .arg(Line)
                         .arg(QLatin1String(Name));
            return false;
        }
        Line += C == QLatin1Char('\n') ? 1 : 0;
        Out += C;
    }
    *Text = Out;
    return true;
}

bool FromUtf8(const QByteArray &Bytes, QString *Text, QString *Error)
{
    int Line = 1;
    for (int I = 0; I < Bytes.size();) {
        uint CodePoint = 0;
        const int Length = Utf8Sequence(Bytes, I, &CodePoint);
        if (!Length) {
            *Error = QCoreApplication::translate("InputText",
                                                 "line %1: byte 0x%2 is no UTF-8; save the file as UTF-8 or UTF-16")
                         .arg(Line)
                         .arg(uchar(Bytes.at(I)), 2, 16, QLatin1Char('0'));
            return false;
        }
        Line += CodePoint == '\n' ? 1 : 0;
        I += Length;
    }
    // With its size: a NUL must reach the check for it, not end the text.
    *Text = QString::fromUtf8(Bytes.constData(), Bytes.size());
    return true;
}

// CR LF and a lone CR end a line as LF does; a NUL is refused.
bool Lines(const QString &Raw, QString *Text, QString *Error)
{
    QString Out;
    Out.reserve(Raw.size());
    int Line = 1;
    for (int I = 0; I < Raw.size(); ++I) {
        const QChar C = Raw.at(I);
        if (C.isNull()) {
            *Error = QCoreApplication::translate("InputText", "line %1: a NUL byte; a text file holds none "
                                                              "(UTF-16 needs its byte order mark)")
                         .arg(Line);
            return false;
        }
        if (C == QLatin1Char('\r') && I + 1 < Raw.size() && Raw.at(I + 1) == QLatin1Char('\n'))
            ++I;
        const bool Ends = C == QLatin1Char('\r') || C == QLatin1Char('\n');
        Out += Ends ? QChar(QLatin1Char('\n')) : C;
        Line += Ends ? 1 : 0;
    }
    *Text = Out;
    return true;
}

} // namespace

int Utf8Sequence(const QByteArray &Bytes, int At, uint *CodePoint)
{
    const uchar Lead = uchar(Bytes.at(At));
    int Length = 0;
    uint Value = 0;
    uint Least = 0; // the smallest code point of that length: no overlong forms
    if (Lead < 0x80) {
        *CodePoint = Lead;
        return 1;
    } else if ((Lead & 0xE0) == 0xC0) {
        Length = 2, Value = Lead & 0x1F, Least = 0x80;
    } else if ((Lead & 0xF0) == 0xE0) {
        Length = 3, Value = Lead & 0x0F, Least = 0x800;
    } else if ((Lead & 0xF8) == 0xF0) {
        Length = 4, Value = Lead & 0x07, Least = 0x10000;
    } else {
        return 0;
    }
    if (At + Length > Bytes.size())
        return 0;
    for (int K = 1; K < Length; ++K) {
        const uchar Next = uchar(Bytes.at(At + K));
        if ((Next & 0xC0) != 0x80)
            return 0;
        Value = Value << 6 | (Next & 0x3F);
    }
    if (Value < Least || Value > 0x10FFFF || (Value >= 0xD800 && Value <= 0xDFFF))
        return 0;
    *CodePoint = Value;
    return Length;
}

bool Decode(const QByteArray &Bytes, QString *Text, QString *Error)
{
    QString Raw;
    if (StartsWith(Bytes, "\xFF\xFE\0\0", 4) || StartsWith(Bytes, "\0\0\xFE\xFF", 4)) {
        *Error = QCoreApplication::translate("InputText", "a UTF-32 file; save it as UTF-8 or UTF-16");
        return false;
    }
    bool Decoded = false;
    if (StartsWith(Bytes, "\xFF\xFE", 2))
        Decoded = FromUtf16(Bytes.mid(2), false, &Raw, Error);
    else if (StartsWith(Bytes, "\xFE\xFF", 2))
        Decoded = FromUtf16(Bytes.mid(2), true, &Raw, Error);
    else if (StartsWith(Bytes, "\xEF\xBB\xBF", 3))
        Decoded = FromUtf8(Bytes.mid(3), &Raw, Error);
    else
        Decoded = FromUtf8(Bytes, &Raw, Error);
    return Decoded && Lines(Raw, Text, Error);
}

} // namespace InputText
