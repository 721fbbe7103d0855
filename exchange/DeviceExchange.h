#ifndef KORVEL_DEVICEEXCHANGE_H
#define KORVEL_DEVICEEXCHANGE_H

// The exchanges with the device, as the window and korvelctl both run them:
// a request document in, the Modbus transactions of each exchange in their
// order, a reply document out. How a transaction waits for its reply is the
// caller's RequestLine; where the values come from and go to is the
// caller's business too (widgets, files).

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QString>

#include "EidRegisters.h"
#include "ReplyFault.h"

// One transaction on the line: sends the request and hands back whatever
// arrived within the wait (the reply, a part of it, more, or nothing).
class RequestLine
{
public:
    virtual ~RequestLine() = default;
    virtual QByteArray Transact(const QByteArray &Request, quint8 ExpectedLength) = 0;
    // The longest Transact waits for a reply, as the failures tell it.
    virtual int WaitLimitMs() const = 0;
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
    // Every debug line of the exchanges goes through Log: the window leaves
    // it at the default category, so its log reads as qDebug() would write
    // it; korvelctl hands its own.
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
    // it is sent, the commit included. Failure() says what went wrong in
    // the last exchange that returned false, and is empty after one that
    // returned true.
    bool ParamRead(const QJsonObject &Request, QJsonObject *Reply);
    bool ParamWrite(const QJsonObject &Request, QJsonObject *Reply); // then commit 6
    bool EidRead(const QJsonObject &Request, QJsonObject *Reply);
    bool EidWrite(const QJsonObject &Request, QJsonObject *Reply);   // then commit 8

    const ExchangeFailure &Failure() const { return LastFailure; }

private:
    using Kind = ReplyFault::Kind;
    struct EidList;

    bool RequestOk(const QJsonObject &Request, Kind What) const;
    bool RunParams(const QJsonObject &Request, Kind What, QJsonObject *Reply);
    bool ParamTransaction(const QJsonObject &Entry, Kind What, int *Value);
    bool RunEids(const QJsonObject &Request, Kind What, QJsonObject *Reply);
    bool TakeEidEntries(const QJsonArray &Entries, Kind What, EidList *List) const;
    bool RunEidBlock(const EidList &List, Kind What, const EidRegisters::Block &Block, int Number,
                     QJsonArray *ReplyEntries);
    bool Transact(const QByteArray &Frame, quint8 ExpectedLength, const ReplyFault::Check &Test,
                  const QString &Transaction, QByteArray *Answer);
    void LogReply(const QByteArray &Reply, Kind What) const;
    bool Commit(quint16 Code);
    bool Refuse(const QString &Why);

    RequestLine &Line;
    const QLoggingCategory &Log;
    quint8 Address = 0;
    int Retries = 0;
    ExchangeFailure LastFailure;
};

#endif
