#ifndef KORVEL_WHOLENUMBER_H
#define KORVEL_WHOLENUMBER_H

// A whole number typed by a person (an option, a file's cell, a fault
// value): the text must be the number alone, inside [Min, Max].

#include <QString>

// True and *Value set when Text is a whole number from Min to Max in the
// given base (0: 0x... for hexadecimal, else decimal); surrounding spaces
// are allowed. *Value is left alone otherwise.
bool ParseWholeNumber(const QString &Text, qint64 Min, qint64 Max, qint64 *Value, int Base = 10);

// The same for an int range.
bool ParseWholeNumber(const QString &Text, int Min, int Max, int *Value, int Base = 10);

#endif
