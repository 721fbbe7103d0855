// The simulated device's request parser fed whatever a line may carry:
// noise, cut frames, frames for other addresses, runs of requests. An input
// that starts with '#' names faults on its first line (space-separated, as
// korvel-devsim's --fault takes them); the rest is the byte stream.
//
// Properties: every decision consumes only what it was given and makes
// progress unless it waits for more; the answered requests are numbered
// from 1; without faults every answer is a well-formed reply to its request.

#include "DeviceCore.h"
#include "FuzzSupport.h"
#include "ModbusRtu.h"
#include "ReplyCheck.h"

#include <QStringList>

using FuzzSupport::ByteAt;
using FuzzSupport::Check;

namespace {
void CheckPlainAnswer(const QByteArray &Request, const DeviceReply &Reply)
{
    const QByteArray Bytes = Reply.Bytes();
    Check(Reply.Chunks.size() == 1 && !Reply.HangUp && Reply.DelayMs == 0, "plain answer shape");
    Check(Bytes.size() >= 5 && FuzzSupport::ReferenceResidueOk(Bytes), "answer CRC");
    Check(Bytes.at(0) == Request.at(0), "answer address");
    const unsigned Function = ByteAt(Request, 1);
    const unsigned Answered = ByteAt(Bytes, 1);
    Check(Answered == Function || Answered == (Function | 0x80), "answer function");
    if (Answered & 0x80) {
        Check(Bytes.size() == 5, "exception length");
        return;
    }
    if (Function == 0x03) {
        const unsigned Count = (ByteAt(Request, 4) << 8) | ByteAt(Request, 5);
        Check(ByteAt(Bytes, 2) == 2 * Count && Bytes.size() == static_cast<int>(5 + 2 * Count),
              "read answer length");
        // A parameter read, as korvelctl checks it at the request's address.
        if (Count == 1)
            Check(!ReplyCheck::Check(Bytes, Transaction(), quint8(Request.at(0))).Failed(),
                  "single read answer passes the tool's test");
    } else {
        Check(Bytes.size() == 8 && Bytes.left(6) == Request.left(6), "write echo");
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::QuietLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    QByteArray Pending = FuzzSupport::Bytes(Data, Size);
    DeviceCore Core;
    if (Pending.startsWith('#')) {
        int End = Pending.indexOf('\n');
        if (End < 0)
            End = Pending.size();
        const QString Line = QString::fromUtf8(Pending.mid(1, End - 1));
        Pending.remove(0, End + 1);
        for (const QString &Text : Line.split(QLatin1Char(' '))) {
            if (Text.isEmpty())
                continue;
            DeviceFault Fault;
            QString Error;
            if (!DeviceFault::Parse(Text, Fault, &Error)) {
                Check(!Error.isEmpty(), "a refused fault says why");
                continue;
            }
            // Its written form reads back as the same fault.
            DeviceFault Again;
            Check(DeviceFault::Parse(Fault.ToString(), Again, nullptr), "fault text reads back");
            Check(Again.What == Fault.What && Again.Nth == Fault.Nth && Again.Arg == Fault.Arg
                      && Again.Arg2 == Fault.Arg2,
                  "fault text round trip");
            Core.AddFault(Fault);
        }
    }

    int Answered = 0;
    while (!Pending.isEmpty()) {
        const DeviceReply Reply = Core.Take(Pending);
        Check(Reply.Consumed >= 0 && Reply.Consumed <= Pending.size(), "consumed within input");
        if (Reply.What == DeviceReply::Waiting) {
            Check(Reply.Consumed == 0, "waiting consumes nothing");
            break;
        }
        Check(Reply.Consumed > 0, "a decision makes progress");
        Check(Reply.Request == Pending.left(Reply.Consumed), "request is the consumed bytes");
        if (Reply.What == DeviceReply::Answered) {
            Check(Reply.Transaction == ++Answered, "answers are numbered");
            Check(DeviceCore::CrcOk(Reply.Request), "only a checked frame is answered");
            if (Core.Faults().isEmpty())
                CheckPlainAnswer(Reply.Request, Reply);
        } else {
            Check(Reply.Chunks.isEmpty() && !Reply.HangUp, "no answer to what is not ours");
        }
        if (Reply.HangUp)
            break;
        Pending.remove(0, Reply.Consumed);
    }
    Check(Core.Transactions() == Answered, "transaction count");
    return 0;
}
