#pragma once

#include <QString>
#include <optional>

// Keeps history requests for the selected chat from piling up: every new
// message asks for the history again, and a burst of them would otherwise send
// two requests each. At most one refresh (a local and a server request) is in
// flight, with at most one more waiting behind it. Answers are matched by the
// tag they carry, so answers for an earlier chat never end a later refresh.
class HistoryRefresh
{
public:
    // A refresh is wanted. True when it should be sent now (with tag()); false
    // when one is already in flight and this one waits behind it.
    bool request();
    // The tag of the refresh in flight, for the requests' "@extra" and one of
    // its two halves.
    QString tag(bool onlyLocal) const;

    struct Answer
    {
        bool belongsToRefresh = false; // a tag of this client's refreshes at all
        bool isFinal = false;          // the last answer of the current refresh
        bool sendAgain = false;        // a waiting refresh should now go out
    };
    // One answer (messages or error) with the given "@extra" arrived.
    Answer answered(const QString &extra);

    // Whether an answer with this "@extra" marks its messages read: once per
    // refresh (its server half), and always for answers that are no refresh.
    static bool marksRead(const QString &extra);

    // The selected chat changed: nothing in flight or waiting counts any more.
    void reset();

private:
    quint64 m_generation = 0;
    int m_outstanding = 0;
    bool m_waiting = false;
    bool m_localAnswered = false;
    bool m_serverAnswered = false;
};
