// Framing on the simulated device's side of the line: where a request
// ends, and how noise before it is skipped.

#include "DeviceCore.h"

#include "DeviceBytes.h"
#include "ModbusRtu.h"

using DeviceBytes::ByteAt;

namespace {

// No Modbus RTU frame is longer than this.
constexpr int MaxFrame = 256;

// Where the frame at From ends, judged by the length its function implies.
struct Shape
{
    enum Kind { Need, Invalid, Frame } What;
    int Length;
};

Shape Inspect(const QByteArray &Data, int From)
{
    const int Have = Data.size() - From;
    if (Have < 2)
        return {Shape::Need, 0};
    const quint8 Function = ByteAt(Data, From + 1);
    // 0 is no function, and the top bit marks only exception replies.
    if (Function == 0 || Function >= 0x80)
        return {Shape::Invalid, 0};
    if (Function == 0x03 || Function == 0x06)
        return Have >= 8 ? Shape {Shape::Frame, 8} : Shape {Shape::Need, 0};
    if (Function == 0x10) {
        if (Have < 7)
            return {Shape::Need, 0};
        const int Length = 9 + ByteAt(Data, From + 6);
        return Have >= Length ? Shape {Shape::Frame, Length} : Shape {Shape::Need, 0};
    }
    // A function this device does not know: its length is unknown too, so
    // the frame is the shortest stretch of at least address, function and
    // CRC that checks. One running CRC over the growing stretch finds it in
    // a single pass, so a noisy line costs little per byte.
    quint16 Crc = 0xFFFF;
    for (int Length = 1; Length <= qMin(Have, MaxFrame); ++Length) {
        Crc = ModbusCrc16Step(Crc, ByteAt(Data, From + Length - 1));
        if (Length >= 4 && Crc == 0)
            return {Shape::Frame, Length};
    }
    return Have >= MaxFrame ? Shape {Shape::Invalid, 0} : Shape {Shape::Need, 0};
}

// The first position after From where a complete, well-checked request of
// a known function starts, or -1.
int NextFrame(const QByteArray &Data, int From)
{
    for (int At = From; At + 8 <= Data.size(); ++At) {
        const quint8 Function = ByteAt(Data, At + 1);
        if (Function != 0x03 && Function != 0x06 && Function != 0x10)
            continue;
        const Shape S = Inspect(Data, At);
        if (S.What == Shape::Frame && DeviceCore::CrcOk(Data.mid(At, S.Length)))
            return At;
    }
    return -1;
}

} // namespace

QByteArray DeviceCore::WithCrc(QByteArray Frame)
{
    const quint16 Crc = ModbusCrc16(Frame);
    Frame.append(static_cast<char>(Crc >> 8));
    Frame.append(static_cast<char>(Crc & 0xFF));
    return Frame;
}

bool DeviceCore::CrcOk(const QByteArray &Frame)
{
    return Frame.size() >= 4 && ModbusCrc16(Frame) == 0;
}

DeviceCore::FrameCut DeviceCore::Cut(const QByteArray &Pending)
{
    FrameCut Front;
    // Resynchronise: drop a byte at a time until a frame that checks starts
    // at the front, or an incomplete one that may still become one.
    int Drop = 0;
    while (Drop < Pending.size()) {
        const Shape S = Inspect(Pending, Drop);
        if (S.What == Shape::Frame) {
            if (CrcOk(Pending.mid(Drop, S.Length)))
                break;
            if (Front.Why.isEmpty())
                Front.Why = QStringLiteral("bad CRC, no reply");
            ++Drop;
            continue;
        }
        if (S.What == Shape::Invalid) {
            if (Front.Why.isEmpty())
                Front.Why = QStringLiteral("no frame starts here");
            ++Drop;
            continue;
        }
        // Incomplete: wait for the rest, unless a whole request already
        // follows it, which shows that the front was only noise.
        const int Next = NextFrame(Pending, Drop + 1);
        if (Next < 0)
            break;
        if (Front.Why.isEmpty())
            Front.Why = QStringLiteral("incomplete frame followed by another");
        Drop = Next;
    }
    if (Drop > 0) {
        Front.What = FrameCut::Garbage;
        Front.Length = Drop;
        return Front;
    }
    const Shape S = Inspect(Pending, 0);
    if (S.What == Shape::Frame) {
        Front.What = FrameCut::Frame;
        Front.Length = S.Length;
    }
    return Front;
}

DeviceReply DeviceCore::Skip(const QByteArray &Pending, const FrameCut &Front)
{
    DeviceReply Reply;
    if (Front.What != FrameCut::Garbage)
        return Reply;
    Reply.What = DeviceReply::Garbage;
    Reply.Consumed = Front.Length;
    Reply.Request = Pending.left(Front.Length);
    Reply.Note = QStringLiteral("dropped: ") + Front.Why;
    Reply.Remark = Reply.Note;
    return Reply;
}

DeviceReply DeviceCore::Ignored(const QByteArray &Frame, const QString &Own)
{
    DeviceReply Reply;
    Reply.What = DeviceReply::NotOurs;
    Reply.Consumed = Frame.size();
    Reply.Request = Frame;
    Reply.Note = QStringLiteral("for address %1, not ours (%2): ignored").arg(ByteAt(Frame, 0)).arg(Own);
    Reply.Remark = Reply.Note;
    return Reply;
}
