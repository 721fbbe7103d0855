#include "WholeNumber.h"

bool ParseWholeNumber(const QString &Text, qint64 Min, qint64 Max, qint64 *Value, int Base)
{
    bool Ok = false;
    const qlonglong Number = Text.trimmed().toLongLong(&Ok, Base);
    if (!Ok || Number < Min || Number > Max)
        return false;
    *Value = Number;
    return true;
}

bool ParseWholeNumber(const QString &Text, int Min, int Max, int *Value, int Base)
{
    qint64 Number = 0;
    if (!ParseWholeNumber(Text, qint64(Min), qint64(Max), &Number, Base))
        return false;
    *Value = int(Number);
    return true;
}
