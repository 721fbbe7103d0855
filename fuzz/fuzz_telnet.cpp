// What a serial device server sends back over Telnet with COM port control
// (RFC 2217), taken apart by korvelctl's decoder: the same whether it comes
// whole or in pieces, never more data or answers than it could hold, every
// answer a well-formed option command, and escaped data coming back as it
// went.

#include "FuzzSupport.h"
#include "Rfc2217.h"

using FuzzSupport::Check;

namespace {

struct Outcome
{
    QByteArray Data;
    QByteArray Answers;
    bool Refused;
    bool Accepted;
    int SpeedReplies;
    quint32 Speed;
};

// Fed in pieces of Step bytes (the whole at once for 0).
Outcome Decode(const QByteArray &In, int Step)
{
    Rfc2217::Decoder D;
    Outcome O;
    for (int At = 0; At < In.size(); At += Step > 0 ? Step : In.size()) {
        O.Data += D.Feed(In.mid(At, Step > 0 ? Step : -1));
        O.Answers += D.TakeAnswers();
    }
    O.Refused = D.Refused();
    O.Accepted = D.Accepted();
    O.SpeedReplies = D.SpeedReplies();
    O.Speed = D.LastSpeed();
    return O;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    const QByteArray In = FuzzSupport::Bytes(Data, Size);
    const Outcome Whole = Decode(In, 0);
    Check(Whole.Data.size() <= In.size(), "no more data than bytes");
    // An answer is three bytes and takes at least three of the input.
    Check(Whole.Answers.size() % 3 == 0 && Whole.Answers.size() <= In.size(), "answer sizes");
    for (int I = 0; I < Whole.Answers.size(); I += 3)
        Check(quint8(Whole.Answers[I]) == Rfc2217::Iac && quint8(Whole.Answers[I + 1]) >= Rfc2217::Will
                  && quint8(Whole.Answers[I + 1]) <= Rfc2217::Dont,
              "answer is IAC WILL/WONT/DO/DONT option");
    Check(Whole.Data.count(char(0xFF)) * 2 <= In.count(char(0xFF)), "each data 0xFF came doubled");

    const int Step = Size > 0 ? 1 + Data[0] % 7 : 1;
    for (const int Pieces : {1, Step}) {
        const Outcome Cut = Decode(In, Pieces);
        Check(Cut.Data == Whole.Data && Cut.Answers == Whole.Answers && Cut.Refused == Whole.Refused
                  && Cut.Accepted == Whole.Accepted && Cut.SpeedReplies == Whole.SpeedReplies
                  && Cut.Speed == Whole.Speed,
              "the same in pieces");
    }

    // Any bytes escaped as the client sends them come back as they were.
    Rfc2217::Decoder Fresh;
    Check(Fresh.Feed(Rfc2217::Escape(In)) == In && Fresh.TakeAnswers().isEmpty(), "escape round trip");
    return 0;
}
