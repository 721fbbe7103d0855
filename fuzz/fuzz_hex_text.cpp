// Hex text typed or pasted by someone else: the fuzz input read once as
// UTF-8 and once as UTF-16 code units, each parsed by HexTextToBytes and
// compared with the parsing rules written out here a second time.

#include "FuzzSupport.h"
#include "MySerialPort.h"

#include <QString>
#include <vector>

using FuzzSupport::Check;

namespace {
int ReferenceDigit(ushort Code)
{
    if (Code >= '0' && Code <= '9')
        return Code - '0';
    if (Code >= 'A' && Code <= 'F')
        return Code - 'A' + 10;
    if (Code >= 'a' && Code <= 'f')
        return Code - 'a' + 10;
    return 16;
}

// Pairs of hex digits; a space is skipped where a pair would begin; the
// first bad pair or a lone last digit ends the text.
QByteArray ReferenceBytes(const QString &Text)
{
    QByteArray Out;
    int Pos = 0;
    while (Pos < Text.size()) {
        if (Text.at(Pos).unicode() == 32) {
            ++Pos;
            continue;
        }
        if (Pos + 1 >= Text.size())
            break;
        const int High = ReferenceDigit(Text.at(Pos).unicode());
        const int Low = ReferenceDigit(Text.at(Pos + 1).unicode());
        if (High > 15 || Low > 15)
            break;
        Out.append(static_cast<char>(High * 16 + Low));
        Pos += 2;
    }
    return Out;
}

void CheckText(const QString &Text)
{
    const QByteArray Bytes = MySerialPort::HexTextToBytes(Text);
    Check(Bytes == ReferenceBytes(Text), "HexTextToBytes");

    // The log form of any byte string reads back as the same bytes.
    const QString Hex = MySerialPort::BytesToHexText(Bytes);
    Check(Hex.size() == 2 * Bytes.size(), "BytesToHexText length");
    for (const QChar Ch : Hex)
        Check((Ch >= QLatin1Char('0') && Ch <= QLatin1Char('9'))
                  || (Ch >= QLatin1Char('A') && Ch <= QLatin1Char('F')),
              "BytesToHexText digit");
    Check(MySerialPort::HexTextToBytes(Hex) == Bytes, "hex text round trip");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    for (size_t I = 0; I < Size; ++I) {
        const char Ch = static_cast<char>(Data[I]);
        Check(MySerialPort::HexCharValue(Ch) == ReferenceDigit(Data[I]), "HexCharValue");
    }

    CheckText(QString::fromUtf8(reinterpret_cast<const char *>(Data), static_cast<int>(Size)));

    // Code units as they come, unpaired surrogates included.
    std::vector<ushort> Units(Size / 2);
    for (size_t I = 0; I < Units.size(); ++I)
        Units[I] = static_cast<ushort>(Data[2 * I] | (Data[2 * I + 1] << 8));
    CheckText(QString(reinterpret_cast<const QChar *>(Units.data()), static_cast<int>(Units.size())));

    // The raw bytes as raw bytes (each one a Latin-1 character).
    CheckText(QString::fromLatin1(reinterpret_cast<const char *>(Data), static_cast<int>(Size)));

    // Any byte string's hex text round-trips.
    const QByteArray Raw = FuzzSupport::Bytes(Data, Size);
    Check(MySerialPort::HexTextToBytes(MySerialPort::BytesToHexText(Raw)) == Raw,
          "bytes round trip");
    return 0;
}
