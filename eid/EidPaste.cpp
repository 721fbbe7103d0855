#include "EidPaste.h"

#include "WholeNumber.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

EidPaste::EidPaste(QLineEdit *const (&Fields)[EidCount], const QIntValidator *Validator, QObject *Parent)
    : QObject(Parent), Fields(Fields), Validator(Validator)
{
    for (QLineEdit *Field : Fields)
        Field->installEventFilter(this);
}

bool EidPaste::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(Event)->matches(QKeySequence::Paste)) {
        const int Slot = SlotOf(Watched);
        if (Slot >= 0)
            Paste(Slot);
        return Slot >= 0;
    }
    if (Event->type() == QEvent::ContextMenu) {
        const int Slot = SlotOf(Watched);
        if (Slot >= 0)
            ShowMenu(Slot, static_cast<QContextMenuEvent *>(Event)->globalPos());
        return Slot >= 0;
    }
    return false;
}

int EidPaste::SlotOf(const QObject *Watched) const
{
    for (int Slot = 0; Slot < EidCount; ++Slot) {
        if (Fields[Slot] == Watched)
            return Slot;
    }
    return -1;
}

// What QLineEdit shows itself, but for where its Paste leads. Qt 6 names
// that action; Qt 5 knows it only by its text, which QLineEdit translates.
void EidPaste::ShowMenu(int Slot, const QPoint &At)
{
    QLineEdit *const Field = Fields[Slot];
    QMenu *const Menu = Field->createStandardContextMenu();
    for (QAction *Action : Menu->actions()) {
        if (Action->objectName() != QLatin1String("edit-paste")
            && Action->text().section(QLatin1Char('\t'), 0, 0) != QLineEdit::tr("&Paste"))
            continue;
        // Queued: the menu deletes itself once closed, which a notice's
        // event loop, run from inside the menu's own handling, would let
        // happen under it.
        disconnect(Action, &QAction::triggered, Field, nullptr);
        connect(Action, &QAction::triggered, this, [this, Slot] { Paste(Slot); }, Qt::QueuedConnection);
    }
    Menu->setAttribute(Qt::WA_DeleteOnClose);
    Menu->popup(At);
}

void EidPaste::Paste(int Slot)
{
    QStringList Lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
    bool Cells = false;
    for (QString &Line : Lines) {
        if (Line.endsWith(QLatin1Char('\r')))
            Line.chop(1);
        Cells = Cells || Line.contains(QLatin1Char('\t'));
    }
    while (!Lines.isEmpty() && Lines.last().trimmed().isEmpty())
        Lines.removeLast();
    if (Lines.size() <= 1 && !Cells) {
        Fields[Slot]->insert(Lines.value(0));
        return;
    }

    // Every line checked before any field changes.
    QStringList Texts;
    for (const QString &Line : Lines) {
        int Value = 0;
        if (Line.contains(QLatin1Char('\t'))
            || !ParseWholeNumber(Line, Validator->bottom(), Validator->top(), &Value)) {
            emit Refused();
            return;
        }
        Texts << QString::number(Value);
    }
    if (Slot + Texts.size() > EidCount) {
        emit Refused();
        return;
    }
    for (int K = 0; K < Texts.size(); ++K)
        Fields[Slot + K]->setText(Texts[K]);
}
