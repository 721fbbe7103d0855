#ifndef KORVEL_CATEGORYLOG_H
#define KORVEL_CATEGORYLOG_H

// A debug line through a logging category held by reference, with the same
// context qDebug() gives its lines. qCDebug wants the category as a callable
// (Qt 5 and Qt 6 alike); this takes the object itself. Nothing after the
// macro is evaluated while the category's debug lines are off. Through the
// default category a line reads exactly as one written with qDebug().
//
//     KORVEL_DEBUG(Log).noquote() << "ReadAck ok";

#include <QDebug>
#include <QLoggingCategory>

#define KORVEL_DEBUG(Category)                                                             \
    for (bool KorvelDebugOn = (Category).isDebugEnabled(); KorvelDebugOn; KorvelDebugOn = false) \
        QMessageLogger(QT_MESSAGELOG_FILE, QT_MESSAGELOG_LINE, QT_MESSAGELOG_FUNC,          \
                       (Category).categoryName())                                           \
            .debug()

#endif
