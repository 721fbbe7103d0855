#ifndef KORVEL_CTLRUN_H
#define KORVEL_CTLRUN_H

// korvelctl run in-process, as its suites drive it: its exit code and what
// it wrote to each stream. For suites that link korvelctl's library.

#include "Korvelctl.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

struct Result
{
    int Code = -1;
    QString Out;
    QString Err;
};

inline Result Ctl(const QStringList &Arguments)
{
    Result R;
    QTextStream Out(&R.Out);
    QTextStream Err(&R.Err);
    R.Code = Korvelctl::Run(Arguments, Out, Err);
    return R;
}

#endif
