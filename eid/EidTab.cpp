// The EID tab: a scrolled grid with the range bar in row 0 and the 200
// numbered entries below it, and the two range operations.

#include "OrvaneUI.h"

#include "EidPaste.h"

#include <QDebug>
#include <QFrame>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

// Four entries per grid row, each taking a label, a field and a separator.
constexpr int EntriesPerRow = 4;
constexpr int ColumnsPerEntry = 3;
constexpr int ColumnStretch[] = {2, 5, 1, 2, 5, 1, 2, 5, 1, 5, 5};

QFrame *NewSeparator()
{
    QFrame *Separator = new QFrame();
    Separator->setFrameShape(QFrame::VLine);
    Separator->setFrameShadow(QFrame::Plain);
    Separator->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    return Separator;
}

// Decimal text as typed or set; anything that is not a number reads as 0.
int RangeValue(const QLineEdit *Edit)
{
    return Edit->text().toInt();
}

bool InUse(const QLineEdit *Edit)
{
    return !Edit->text().isEmpty() && Edit->text().toInt() > 0;
}

} // namespace

void OrvaneUI::BuildEidTab()
{
    QScrollArea_Eid = new QScrollArea(QWidget_Tab_Eid);
    QScrollArea_Eid->setObjectName(QStringLiteral("QScrollArea_Eid"));
    QWidget_Eid = new QWidget();
    QWidget_Eid->setObjectName(QStringLiteral("QWidget_Eid"));
    QGridLayout_Eid = new QGridLayout();
    QGridLayout_Eid->setObjectName(QStringLiteral("QGridLayout_Eid"));
    QIntValidator_Eid = new QIntValidator(0, 10000000, QWidget_Tab_Eid);
    QIntValidator_Eid->setObjectName(QStringLiteral("QIntValidator_Eid"));
    QLabel_Eid_Start = new QLabel();
    QLabel_Eid_Start->setObjectName(QStringLiteral("QLabel_Eid_Start"));
    QLabel_Eid_End = new QLabel();
    QLabel_Eid_End->setObjectName(QStringLiteral("QLabel_Eid_End"));
    QLineEdit_Eid_Start = new QLineEdit();
    QLineEdit_Eid_Start->setObjectName(QStringLiteral("QLineEdit_Eid_Start"));
    QLineEdit_Eid_End = new QLineEdit();
    QLineEdit_Eid_End->setObjectName(QStringLiteral("QLineEdit_Eid_End"));
    pPushButton_Eid_Config = new QPushButton();
    pPushButton_Eid_Config->setObjectName(QStringLiteral("pPushButton_Eid_Config"));
    pPushButton_Eid_Add = new QPushButton();
    pPushButton_Eid_Add->setObjectName(QStringLiteral("pPushButton_Eid_Add"));

    // The scroll area covers its page exactly: the page is a little smaller
    // than 998 x 620 (the tab bar and the command buttons take their share
    // of the box), and a scroll area of that size would lose its last grid
    // row and the end of its scroll bar below the page. The inner widget
    // keeps its own size (the scroll area does not resize it), so the 51
    // grid rows share its 1800 pixels.
    QWidget_Eid->setGeometry(0, 0, 978, 1800);
    QVBoxLayout *const PageLayout = new QVBoxLayout(QWidget_Tab_Eid);
    PageLayout->setObjectName(QStringLiteral("QVBoxLayout_Tab_Eid"));
    PageLayout->setContentsMargins(0, 0, 0, 0);
    PageLayout->addWidget(QScrollArea_Eid);
    QScrollArea_Eid->setWidget(QWidget_Eid);
    QWidget_Eid->setLayout(QGridLayout_Eid);
    for (int Column = 0; Column < int(sizeof ColumnStretch / sizeof ColumnStretch[0]); ++Column)
        QGridLayout_Eid->setColumnStretch(Column, ColumnStretch[Column]);
    PlaceEidRange();
    AddEidEntries();

    const EidPaste *const Paste = new EidPaste(QLineEdit_Eid, QIntValidator_Eid, this);
    connect(Paste, &EidPaste::Refused, this, [this] { ShowNotice(tr("Проверьте диапазон настроек EID!")); });
}

// Row 0: the range bounds and the two buttons that fill the list from them.
void OrvaneUI::PlaceEidRange()
{
    QLabel_Eid_Start->setText(QStringLiteral("Начальный EID:"));
    QLabel_Eid_End->setText(QStringLiteral("Конечный EID:"));
    QLineEdit_Eid_Start->setValidator(QIntValidator_Eid);
    QLineEdit_Eid_Start->setAlignment(Qt::AlignCenter);
    QLineEdit_Eid_End->setValidator(QIntValidator_Eid);
    QLineEdit_Eid_End->setAlignment(Qt::AlignCenter);
    pPushButton_Eid_Config->setText(QStringLiteral("Настройка EID"));
    connect(pPushButton_Eid_Config, SIGNAL(clicked()), this, SLOT(pPushButton_Eid_Config_Clicked()));
    pPushButton_Eid_Add->setText(QStringLiteral("Добавление EID"));
    connect(pPushButton_Eid_Add, SIGNAL(clicked()), this, SLOT(pPushButton_Eid_Add_Clicked()));

    QFrame *const StartSeparator = NewSeparator();
    QFrame *const EndSeparator = NewSeparator();
    QFrame *const ConfigSeparator = NewSeparator();
    QGridLayout_Eid->addWidget(QLabel_Eid_Start, 0, 0);
    QGridLayout_Eid->addWidget(QLineEdit_Eid_Start, 0, 1);
    QGridLayout_Eid->addWidget(StartSeparator, 0, 2);
    QGridLayout_Eid->addWidget(QLabel_Eid_End, 0, 3);
    QGridLayout_Eid->addWidget(QLineEdit_Eid_End, 0, 4);
    QGridLayout_Eid->addWidget(EndSeparator, 0, 5);
    QGridLayout_Eid->addWidget(pPushButton_Eid_Config, 0, 7);
    QGridLayout_Eid->addWidget(ConfigSeparator, 0, 8);
    QGridLayout_Eid->addWidget(pPushButton_Eid_Add, 0, 10);
}

// The 200 entries below, EntriesPerRow to a row.
void OrvaneUI::AddEidEntries()
{
    for (int I = 0; I < EidCount; ++I) {
        const QString Member = QStringLiteral("[%1]").arg(I);
        QLabel_Eid[I] = new QLabel();
        QLabel_Eid[I]->setObjectName(QStringLiteral("QLabel_Eid") + Member);
        QLineEdit_Eid[I] = new QLineEdit();
        QLineEdit_Eid[I]->setObjectName(QStringLiteral("QLineEdit_Eid") + Member);
        QLabel_Eid[I]->setText(QStringLiteral("Регистрация EID %1:").arg(I + 1, 3));
        QLineEdit_Eid[I]->setValidator(QIntValidator_Eid);
        QLineEdit_Eid[I]->setAlignment(Qt::AlignCenter);

        const int Row = I / EntriesPerRow + 1;
        const int Column = (I % EntriesPerRow) * ColumnsPerEntry;
        QGridLayout_Eid->addWidget(QLabel_Eid[I], Row, Column);
        QGridLayout_Eid->addWidget(QLineEdit_Eid[I], Row, Column + 1);
        if (I % EntriesPerRow != EntriesPerRow - 1)
            QGridLayout_Eid->addWidget(NewSeparator(), Row, Column + 2);
    }
}

void OrvaneUI::pPushButton_Eid_Config_Clicked()
{
    qDebug().noquote() << "pPushButton_Eid_Config_Clicked";

    if (QLineEdit_Eid_Start->text().isEmpty() || QLineEdit_Eid_End->text().isEmpty())
        return;
    const int Start = RangeValue(QLineEdit_Eid_Start);
    const int End = RangeValue(QLineEdit_Eid_End);

    if (Start == 0 && End == 0) {
        for (QLineEdit *Edit : QLineEdit_Eid)
            Edit->setText(QStringLiteral("0"));
        return;
    }
    if (Start < 1 || End < Start || End - Start > EidCount - 1) {
        ShowNotice(tr("Проверьте диапазон настроек EID!"));
        return;
    }

    // Wide, so that a range ending at the largest int cannot overflow.
    qint64 Next = Start;
    for (QLineEdit *Edit : QLineEdit_Eid) {
        if (Next <= End)
            Edit->setText(QString::number(Next++));
        else
            Edit->setText(QStringLiteral("0"));
    }
}

void OrvaneUI::pPushButton_Eid_Add_Clicked()
{
    qDebug().noquote() << "pPushButton_Eid_Config_Add";

    if (QLineEdit_Eid_Start->text().isEmpty() || QLineEdit_Eid_End->text().isEmpty())
        return;
    const int Start = RangeValue(QLineEdit_Eid_Start);
    const int End = RangeValue(QLineEdit_Eid_End);

    if (!(Start > 0 && Start <= End)) {
        ShowNotice(tr("Проверьте диапазон настроек EID!"));
        return;
    }
    const int Span = End - Start;

    int Last = EidCount - 1;
    while (Last >= 0 && !InUse(QLineEdit_Eid[Last]))
        --Last;

    int First = 0;
    if (Last >= 0) {
        if (Span >= EidCount - 1 - Last) {
            ShowNotice(tr("Проверьте диапазон настроек EID!"));
            return;
        }
        First = Last + 1;
    } else if (Span > EidCount - 1) {
        ShowNotice(tr("Проверьте диапазон настроек EID!"));
        return;
    }

    qint64 Next = Start;
    for (int I = First; I < EidCount; ++I) {
        if (Next <= End)
            QLineEdit_Eid[I]->setText(QString::number(Next++));
        else
            QLineEdit_Eid[I]->setText(QStringLiteral("0"));
    }
}
