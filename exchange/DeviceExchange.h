#ifndef KORVEL_DEVICEEXCHANGE_H
#define KORVEL_DEVICEEXCHANGE_H

// The exchanges with the device on values: parameters as register/value
// pairs, the EID list as a vector, each transaction's reply checked once
// and a failure kept as a fault code with its transaction. How a
// transaction waits is the caller's RequestLine; where the values come
// from and go to is the caller's business too (widgets, files, probes).

#include <QLoggingCategory>
#include <QString>
#include <QVector>

#include "ExchangeFault.h"
#include "RequestLine.h"

// One parameter: its name (for the faults), register and value.
struct ParamValue
{
    QString Name;
    int Register = 0;
    int Value = 0;
};
using ParamList = QVector<ParamValue>;

class DeviceExchange
{
public:
    // Every debug line of the exchanges goes through Log: the window leaves
    // it at the default category, so its log reads as qDebug() would write
    // it; korvelctl hands its own.
    explicit DeviceExchange(RequestLine &Line,
                            const QLoggingCategory &Log = *QLoggingCategory::defaultCategory());

    // The device's own RS-485 address (1 to 247): requests go to it and a
    // reply must come from it, with the request's function and a write's
    // register and value echoed. Without it requests go to 0x00 and a reply
    // is held to the window's tests (ReplyCheck::Check).
    void SetAddress(quint8 Address);
    quint8 TargetAddress() const { return Address; }
    // A transaction whose reply fails its tests is sent again up to this
    // many times (default 0).
    void SetRetries(int Retries);
    // At 0x00 too, a write whose echo holds another value than was sent
    // fails with WrongEcho; by default there what the device echoed is what
    // it keeps. A device named by its own address always fails so.
    void SetStrictEcho(bool Strict);

    // Each returns true only when every transaction passed; the first
    // failed one ends the exchange, so nothing after it is sent, the commit
    // included. Failure() then says what went wrong; it is cleared at the
    // start of each call.
    bool ReadParam(ParamValue *Param);          // Value becomes the device's
    bool WriteParam(ParamValue *Param);         // Value becomes the echo
    bool ReadParams(ParamList *Params);         // each in list order
    bool WriteParams(ParamList *Params);        // each, then commit 6
    bool Commit(quint16 Code);
    // Positions 0 to Count - 1 of the list, in blocks (Count 1 to EidCount).
    bool ReadEids(int Count, QVector<qint32> *Eids);
    bool WriteEids(const QVector<qint32> &Eids); // the blocks, then commit 8
    // Only the blocks numbered in Which (from 0, in the order WriteEids
    // sends them) of the list Eids, then commit 8 unless told not to: the
    // entries the other blocks hold stay as they are.
    bool WriteEidBlocks(const QVector<qint32> &Eids, const QVector<int> &Which, bool Commit = true);

    const ExchangeFault &Failure() const { return LastFailure; }
    // Marks a request refused before anything was sent.
    bool Refuse(const QString &Why);

private:
    bool Transact(const QByteArray &Frame, const Transaction &Where, QByteArray *Answer);
    bool EidBlock(const Transaction &Where, const QVector<qint32> &Values, QVector<qint32> *Read);
    void LogParam(const ParamValue &Param) const;
    void LogReply(const QByteArray &Reply, Transaction::Kind What) const;

    RequestLine &Line;
    const QLoggingCategory &Log;
    quint8 Address = 0;
    int Retries = 0;
    bool StrictEcho = false;
    ExchangeFault LastFailure;
};

#endif
