#ifndef KORVEL_DOCUMENTEXCHANGE_H
#define KORVEL_DOCUMENTEXCHANGE_H

// The window's exchanges: its request documents (ConfigDocument) tested
// and taken apart into values, DeviceExchange run on them, and the reply
// documents built from what the device answered, with the debug lines the
// window's log has for each step.

#include "DeviceExchange.h"

#include <QJsonArray>
#include <QJsonObject>

class DocumentExchange
{
public:
    explicit DocumentExchange(RequestLine &Line,
                              const QLoggingCategory &Log = *QLoggingCategory::defaultCategory());

    // Each takes a request document and, only when every transaction
    // passed, puts the reply document into *Reply and returns true.
    bool ParamRead(const QJsonObject &Request, QJsonObject *Reply);
    bool ParamWrite(const QJsonObject &Request, QJsonObject *Reply); // then commit 6
    bool EidRead(const QJsonObject &Request, QJsonObject *Reply);
    bool EidWrite(const QJsonObject &Request, QJsonObject *Reply);   // then commit 8

    const ExchangeFault &Failure() const { return Device.Failure(); }

private:
    struct EidList;

    bool RequestOk(const QJsonObject &Request, bool Params, bool Write) const;
    bool RunParams(const QJsonObject &Request, bool Write, QJsonObject *Reply);
    bool RunEids(const QJsonObject &Request, bool Write, QJsonObject *Reply);
    bool TakeEidEntries(const QJsonArray &Entries, bool Write, EidList *List) const;

    DeviceExchange Device;
    const QLoggingCategory &Log;
};

#endif
