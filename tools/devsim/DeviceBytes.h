#ifndef KORVEL_DEVICEBYTES_H
#define KORVEL_DEVICEBYTES_H

// Byte and word access to frames, shared by the simulator core's files.

#include <QByteArray>
#include <QString>

namespace DeviceBytes {

inline quint8 ByteAt(const QByteArray &Data, int Pos)
{
    return static_cast<quint8>(Data.at(Pos));
}

inline int WordAt(const QByteArray &Data, int Pos)
{
    return ByteAt(Data, Pos) * 256 + ByteAt(Data, Pos + 1);
}

inline void PutWord(QByteArray &Data, int Pos, int Value)
{
    Data[Pos] = static_cast<char>((Value >> 8) & 0xFF);
    Data[Pos + 1] = static_cast<char>(Value & 0xFF);
}

inline void AppendWord(QByteArray &Data, int Value)
{
    Data.append(static_cast<char>((Value >> 8) & 0xFF));
    Data.append(static_cast<char>(Value & 0xFF));
}

inline QString Hex2(int Value)
{
    return QStringLiteral("0x") + QString::number(Value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

inline void SetError(QString *Error, const QString &Text)
{
    if (Error)
        *Error = Text;
}

} // namespace DeviceBytes

#endif
