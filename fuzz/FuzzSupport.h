#ifndef KORVEL_FUZZSUPPORT_H
#define KORVEL_FUZZSUPPORT_H

// Shared by the fuzz targets: a way to fail loudly, a second CRC written
// independently of the one under test, and a quiet debug log.

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace FuzzSupport {

// A broken property is a finding like a crash: libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char *What)
{
    std::fprintf(stderr, "fuzz property broken: %s\n", What);
    std::abort();
}

inline void Check(bool Holds, const char *What)
{
    if (!Holds)
        Fail(What);
}

inline QByteArray Bytes(const uint8_t *Data, size_t Size)
{
    return QByteArray(reinterpret_cast<const char *>(Data), static_cast<int>(Size));
}

// CRC-16/MODBUS in its plain form (not byte-exchanged), table-driven, so it
// shares no code with ModbusCrc16.
inline quint16 ReferenceCrc(const QByteArray &Data)
{
    static quint16 Table[256];
    static bool Built = false;
    if (!Built) {
        for (int I = 0; I < 256; ++I) {
            quint16 Value = static_cast<quint16>(I);
            for (int Bit = 0; Bit < 8; ++Bit)
                Value = (Value & 1) ? static_cast<quint16>((Value >> 1) ^ 0xA001)
                                    : static_cast<quint16>(Value >> 1);
            Table[I] = Value;
        }
        Built = true;
    }
    quint16 Crc = 0xFFFF;
    for (const char Byte : Data)
        Crc = static_cast<quint16>((Crc >> 8) ^ Table[(Crc ^ static_cast<quint8>(Byte)) & 0xFF]);
    return Crc;
}

inline bool ReferenceResidueOk(const QByteArray &Reply)
{
    return ReferenceCrc(Reply) == 0;
}

inline unsigned ByteAt(const QByteArray &Data, qint64 Pos)
{
    return (Pos >= 0 && Pos < Data.size()) ? static_cast<quint8>(Data.at(static_cast<int>(Pos)))
                                           : 0u;
}

// Debug lines are formatted as usual and then dropped, so that a run is
// not slowed down by writing them.
void QuietLog();

// The fuzz input read as a JSON document; false unless it holds an object
// (and for text in which an object repeats a key; see FuzzSupport.cpp).
bool ParseObject(const uint8_t *Data, size_t Size, QJsonObject *Object);

} // namespace FuzzSupport

#endif
