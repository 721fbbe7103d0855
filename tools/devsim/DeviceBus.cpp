#include "DeviceBus.h"

#include <QStringList>

DeviceBus::DeviceBus(const QVector<int> &Addresses)
{
    if (Addresses.isEmpty()) {
        Devices.emplace_back();
        return;
    }
    for (const int Address : Addresses) {
        Devices.emplace_back();
        Devices.back().SetRegister(DeviceCore::AddressRegister, quint16(Address), DeviceCore::Both);
    }
}

void DeviceBus::AddFault(const DeviceFault &Fault)
{
    for (DeviceCore &Device : Devices)
        Device.AddFault(Fault);
}

QString DeviceBus::Addresses() const
{
    QStringList List;
    for (const DeviceCore &Device : Devices)
        List << QString::number(Device.OwnAddress());
    return List.join(QStringLiteral(", "));
}

QString DeviceBus::Speeds() const
{
    QStringList List;
    for (const DeviceCore &Device : Devices) {
        const QString Speed = QString::number(Device.ListenBaud());
        if (!List.contains(Speed))
            List << Speed;
    }
    return List.join(QStringLiteral(", "));
}

bool DeviceBus::Hears(int LineBaud) const
{
    for (const DeviceCore &Device : Devices) {
        if (Device.Hears(LineBaud))
            return true;
    }
    return false;
}

DeviceReply DeviceBus::Take(const QByteArray &Pending, int LineBaud)
{
    const DeviceCore::FrameCut Front = DeviceCore::Cut(Pending);
    if (Front.What != DeviceCore::FrameCut::Frame)
        return DeviceCore::Skip(Pending, Front);
    const QByteArray Frame = Pending.left(Front.Length);
    const quint8 Address = quint8(Frame.at(0));
    QList<DeviceReply> Replies;
    for (DeviceCore &Device : Devices) {
        if (!Device.Hears(LineBaud))
            continue;
        if (Address == 0)
            return Device.Respond(Frame);
        if (Device.OwnAddress() == Address)
            Replies << Device.Respond(Frame);
    }
    if (Replies.isEmpty())
        return DeviceCore::Ignored(Frame, Addresses());
    return Replies.size() == 1 ? Replies.first() : Collide(Replies);
}

DeviceReply DeviceBus::Collide(const QList<DeviceReply> &Replies)
{
    // Two drivers on one RS-485 pair leave the reader garbage; it is played
    // as the replies ORed byte for byte, which carries the CRC of neither.
    DeviceReply Out = Replies.first();
    QByteArray Line;
    QStringList Notes, Remarks;
    int Senders = 0;
    for (const DeviceReply &Reply : Replies) {
        const QByteArray Bytes = Reply.Bytes();
        if (!Bytes.isEmpty())
            ++Senders;
        if (Line.size() < Bytes.size())
            Line.append(QByteArray(Bytes.size() - Line.size(), '\0'));
        for (int I = 0; I < Bytes.size(); ++I)
            Line[I] = char(quint8(Line.at(I)) | quint8(Bytes.at(I)));
        Out.DelayMs = qMax(Out.DelayMs, Reply.DelayMs);
        Out.HangUp = Out.HangUp || Reply.HangUp;
        Out.Committed = Out.Committed || Reply.Committed;
        Out.NewBaud = qMax(Out.NewBaud, Reply.NewBaud);
        Notes << Reply.Note;
        if (!Reply.Remark.isEmpty())
            Remarks << Reply.Remark;
    }
    Out.Note = Notes.join(QStringLiteral(" | "));
    Out.Remark = Remarks.join(QStringLiteral(" | "));
    if (Senders < 2) {
        for (const DeviceReply &Reply : Replies) {
            if (!Reply.Chunks.isEmpty()) {
                Out.Chunks = Reply.Chunks;
                Out.GapMs = Reply.GapMs;
            }
        }
        return Out;
    }
    // Identical replies would OR into one that checks; what two devices
    // sending at once put on a line never passes for a reply.
    if (DeviceCore::CrcOk(Line))
        Line[Line.size() - 1] = char(~quint8(Line.at(Line.size() - 1)));
    Out.Chunks = {Line};
    Out.GapMs = 0;
    const QString Collision = QStringLiteral("%1 replies collide").arg(Senders);
    Out.Note = Collision + QStringLiteral(": ") + Out.Note;
    Out.Remark = Out.Remark.isEmpty() ? Collision : Collision + QStringLiteral("; ") + Out.Remark;
    return Out;
}
