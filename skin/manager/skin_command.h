#pragma once
// The skin command message: the manager and the skinned controls talk
// through one custom event type carrying a command number and its
// parameter. Queries are answered by filling in the event.

#include <QColor>
#include <QEvent>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QString>

class QObject;

namespace skin {

enum TkSkinCommand : int {
    KM_SETNEWSKIN = 1,       // a new skin is set
    KM_REMOVESKIN = 2,       // the skin is removed
    KM_REFRESH = 3,          // repaint with the current skin
    KM_ISSKINNED = 7,        // a skinned control answers 1
    KM_DEFSECTION = 9,       // answer: default section index + 1
    KM_REPAINTSECTION = 13,  // repaint controls of the section in Section
    KM_BEFOREREFRESH = 16,   // sent before a refresh of all windows
    KM_UPDATEEND = 18,       // an update ended; repaint
    KM_REBUILD = 23,         // rebuild the cached image
    KM_GETBACKGROUND = 34,   // what lies beneath Bounds (parent coordinates)
    KM_FONTCHANGED = 36,     // the application font changed
    KM_GETSECTION = 66,      // which section paints beneath Bounds
    KM_APPLYPREVIEW = 71,    // apply the live preview buffer
};

class TkSkinCommandEvent : public QEvent {
public:
    TkSkinCommandEvent(int command, QObject* manager = nullptr);

    static QEvent::Type EventType();

    int Command;
    QPointer<QObject> Manager;
    QString Section;             // KM_REPAINTSECTION: upper-cased section name
    QRect Bounds;                // queries: the asking control's rectangle in the receiver

    // Answers.
    int Result = 0;
    bool Answered = false;
    QImage BeneathImage;         // KM_GETBACKGROUND: the part of the receiver's image under Bounds
    QColor BeneathColor;         // KM_GETBACKGROUND: or its colour
    bool Updating = false;       // KM_GETBACKGROUND: the receiver is updating, try later
};

// Sends the command to Target synchronously; returns the event's Result.
int SendSkinCommand(QObject* Target, TkSkinCommandEvent& Event);
int SendSkinCommand(QObject* Target, int Command, QObject* Manager = nullptr);

// Posts the command to Target; it runs at the next pump of the event loop.
void PostSkinCommand(QObject* Target, int Command, QObject* Manager = nullptr);

} // namespace skin
