#ifndef KORVEL_DEVICEEXCHANGE_H
#define KORVEL_DEVICEEXCHANGE_H

// The exchanges with the device, as the window and korvelctl both run them:
// a request document in, the Modbus transactions of each exchange in their
// order, a reply document out. How a transaction waits for its reply is the
// caller's RequestLine; where the values come from and go to is the
// caller's business too (widgets, files).

#include <QByteArray>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QString>

#include <functional>

// One transaction on the line: sends the request and hands back whatever
// arrived within the wait (the reply, a part of it, more, or nothing).
class RequestLine
{
public:
    virtual ~RequestLine() = default;
    virtual QByteArray Transact(const QByteArray &Request, quint8 ExpectedLength) = 0;
};

// Which transaction failed and how, in words for an operator.
struct ExchangeFailure
{
    QString Transaction; // "reading RfSf (register 40304)"; empty for a refused request
    QString Fault;       // "no reply within 1.5 s", "bad CRC", ...
};

class DeviceExchange
{
public:
    explicit DeviceExchange(RequestLine &Line,
                            const QLoggingCategory &Log = *QLoggingCategory::defaultCategory());

    // The device's own RS-485 address (1 to 247): requests go to it and a
    // reply from any other address is refused. Without it requests go to
    // 0x00 and the address byte of a reply is not read.
    void SetAddress(quint8 Address);
    // A transaction whose reply fails its tests is sent again up to this
    // many times (default 0).
    void SetRetries(int Retries);

    // Each takes a request document (ConfigDocument) and, only when every
    // transaction passed, puts the reply document into *Reply and returns
    // true. The first failed transaction ends the exchange: nothing after
    // it is sent, the commit included, and Failure() says what went wrong.
    bool ParamRead(const QJsonObject &Request, QJsonObject *Reply);
    bool ParamWrite(const QJsonObject &Request, QJsonObject *Reply); // then commit 6
    bool EidRead(const QJsonObject &Request, QJsonObject *Reply);
    bool EidWrite(const QJsonObject &Request, QJsonObject *Reply);   // then commit 8

    const ExchangeFailure &Failure() const { return LastFailure; }

    // The walk both EID exchanges take over the positions 0 to Count - 1 of
    // the list: Visit sees each position in turn, told whether it opens a
    // block; Exchange runs a block (its first register, its number of EIDs
    // and its running number from 0) once it holds EidsPerBlock EIDs or the
    // list ends. False when a block fails or there was none.
    static bool WalkEidBlocks(int Count, const std::function<void(int Position, bool Opens)> &Visit,
                              const std::function<bool(int FirstRegister, int BlockCount,
                                                       int BlockNumber)> &Exchange);

private:
    enum class Kind { ParamRead, ParamWrite, Commit, EidRead, EidWrite };
    struct Check
    {
        Kind What;
        int Count; // EIDs in a block, or the commit code
    };

    bool Transact(const QByteArray &Frame, quint8 ExpectedLength, const Check &Test,
                  const QString &Transaction, QByteArray *Answer,
                  const std::function<void(const QByteArray &)> &LogReply = nullptr);
    bool ReplyOk(const QByteArray &Reply, const Check &Test) const;
    QString Diagnose(const QByteArray &Reply, const Check &Test, quint8 ExpectedLength) const;
    bool Commit(quint16 Code);
    bool Refuse(const QString &Why);

    RequestLine &Line;
    const QLoggingCategory &Log;
    quint8 Address = 0;
    int Retries = 0;
    ExchangeFailure LastFailure;
};

#endif
