#ifndef KORVEL_EIDPASTE_H
#define KORVEL_EIDPASTE_H

// A column pasted into the EID grid, as a spreadsheet copies one: text of
// several lines pasted into an entry fills that entry and the ones after
// it, one EID a line, or changes nothing at all. A single value goes into
// the field as typing it would.
//
// QLineEdit's paste() and insert() are not virtual, so the paste is caught
// on its way in: an event filter on the 200 fields takes the key presses
// that mean Paste (Ctrl+V, Shift+Insert, as the platform has them) and the
// context menu, which is the field's own standard menu with its Paste
// action led here instead of to the field.

#include "EidRegisters.h"

#include <QObject>

class QIntValidator;
class QLineEdit;

class EidPaste : public QObject
{
    Q_OBJECT

public:
    // Fields: the EidCount entries, which this watches from now on; every
    // pasted line must lie in the range of their Validator.
    EidPaste(QLineEdit *const (&Fields)[EidCount], const QIntValidator *Validator, QObject *Parent);

signals:
    // A line that is no EID, a line of several cells, or more lines than
    // entries from the one pasted into: nothing was changed.
    void Refused();

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    int SlotOf(const QObject *Watched) const;
    void ShowMenu(int Slot, const QPoint &At);
    void Paste(int Slot);

    QLineEdit *const (&Fields)[EidCount];
    const QIntValidator *Validator;
};

#endif
