#include "ParamRegisters.h"

namespace ParamRegisters {

QStringList BaudRateTexts()
{
    QStringList Texts;
    for (const int Rate : BaudRates)
        Texts << QString::number(Rate);
    return Texts;
}

const Param *Find(int Register)
{
    for (const Param &Row : Map) {
        if (Row.Register == Register)
            return &Row;
    }
    return nullptr;
}

const Param *Find(const QString &Name)
{
    for (const Param &Row : Map) {
        if (Name == QLatin1String(Row.Name))
            return &Row;
    }
    return nullptr;
}

} // namespace ParamRegisters
