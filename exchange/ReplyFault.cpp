#include "ReplyFault.h"

#include "ModbusRtu.h"

namespace ReplyFault {

namespace {

// "1.5 s" for 1500 ms: seconds with as few decimals as they need.
QString WaitText(int Ms)
{
    return QStringLiteral("%1 s").arg(QString::number(Ms / 1000.0));
}

// The tests a reply of the right length and a good CRC can still fail.
QString ContentFault(const QByteArray &Reply, const Check &Test)
{
    const int Size = Reply.size();
    const auto Byte = [&Reply](int Pos) { return Pos < Reply.size() ? quint8(Reply.at(Pos)) : 0; };
    const auto Word = [&Byte](int Pos) { return Byte(Pos) * 256 + Byte(Pos + 1); };
    switch (Test.What) {
    case Kind::ParamRead:
        return QStringLiteral("byte count %1 instead of 2").arg(Byte(2));
    case Kind::Commit:
        return QStringLiteral("wrong echo: code %1 instead of %2").arg(Word(4)).arg(Test.Count);
    case Kind::EidRead:
        if (Size > 2)
            return QStringLiteral("wrong count: byte count %1 instead of %2").arg(Byte(2)).arg(4 * Test.Count);
        break;
    case Kind::EidWrite:
        if (Size > 1 && Byte(1) != ModbusRtu::FuncWriteMultiple)
            return QStringLiteral("wrong echo: function %1 instead of 16").arg(Byte(1));
        if (Size > 4)
            return QStringLiteral("wrong count: echo of %1 registers instead of %2").arg(Word(4)).arg(2 * Test.Count);
        break;
    case Kind::ParamWrite:
        break;
    }
    return QStringLiteral("reply of %1 bytes refused").arg(Size);
}

} // namespace

bool Passes(const QByteArray &Reply, const Check &Test, quint8 Address)
{
    bool Ok = false;
    switch (Test.What) {
    case Kind::ParamRead: Ok = ModbusRtu::ParamReadReplyOk(Reply); break;
    case Kind::ParamWrite: Ok = ModbusRtu::ParamWriteReplyOk(Reply); break;
    case Kind::Commit: Ok = ModbusRtu::CommitReplyOk(Reply, quint16(Test.Count)); break;
    case Kind::EidRead: Ok = ModbusRtu::EidReadReplyOk(Reply, Test.Count); break;
    case Kind::EidWrite: Ok = ModbusRtu::EidWriteReplyOk(Reply, Test.Count); break;
    }
    // Only a device addressed by its own address is held to answering as it.
    return Ok && (Address == ModbusRtu::DeviceAddress || quint8(Reply.at(0)) == Address);
}

QString Describe(const QByteArray &Reply, const Check &Test, quint8 ExpectedLength,
                 quint8 Address, int WaitLimitMs)
{
    const int Size = Reply.size();
    if (Size == 0)
        return QStringLiteral("no reply within %1").arg(WaitText(WaitLimitMs));
    const bool CrcOk = ModbusRtu::CrcResidueOk(Reply);
    const int From = quint8(Reply.at(0));
    if (CrcOk && Address != ModbusRtu::DeviceAddress && From != Address)
        return QStringLiteral("reply from address %1 instead of %2").arg(From).arg(Address);
    if (ModbusRtu::IsExceptionReply(Reply)) {
        const quint8 Code = ModbusRtu::ExceptionCode(Reply);
        const QString Meaning = ModbusRtu::ExceptionMeaning(Code);
        return QStringLiteral("Modbus exception 0x%1%2")
            .arg(QString::number(Code, 16).toUpper().rightJustified(2, QLatin1Char('0')),
                 Meaning.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(Meaning));
    }
    const bool FixedLength = Test.What == Kind::ParamRead || Test.What == Kind::ParamWrite
        || Test.What == Kind::Commit;
    if ((FixedLength || !CrcOk) && Size < ExpectedLength)
        return QStringLiteral("only %1 of %2 bytes within %3").arg(Size).arg(ExpectedLength).arg(WaitText(WaitLimitMs));
    if (FixedLength && Size > ExpectedLength)
        return QStringLiteral("%1 bytes instead of %2").arg(Size).arg(ExpectedLength);
    if (!CrcOk)
        return QStringLiteral("bad CRC");
    return ContentFault(Reply, Test);
}

} // namespace ReplyFault
