#pragma once

#include "core/Alerts.h"

#include <QList>
#include <QTimer>
#include <deque>

// Answers modal questions from a script, asynchronously like a sheet. Without
// a scripted answer the question stays open until answerPending() is called.
class ScriptedAlerts : public Alerts
{
public:
    struct Pending
    {
        AlertRequest request;
        std::function<void(const AlertAnswer &)> completion;
    };

    QList<AlertRequest> presented;
    std::deque<AlertAnswer> script;
    QList<Pending> pending;

    void present(const AlertRequest &request, std::function<void(const AlertAnswer &)> completion) override
    {
        presented.append(request);
        if (script.empty()) {
            pending.append({request, std::move(completion)});
            return;
        }
        const AlertAnswer answer = resolved(request, script.front());
        script.pop_front();
        QTimer::singleShot(0, [completion = std::move(completion), answer] {
            if (completion)
                completion(answer);
        });
    }

    void answerPending(const AlertAnswer &answer)
    {
        if (pending.isEmpty())
            return;
        Pending p = pending.takeFirst();
        if (p.completion)
            p.completion(resolved(p.request, answer));
    }

    static AlertAnswer button(int index, const QString &text = {}, int selected = -1)
    {
        return AlertAnswer{index, text, selected};
    }
    // Escape or closing the sheet: answered as the request says a dismissal is.
    static AlertAnswer dismissed() { return AlertAnswer{dismissal, {}, -1}; }

private:
    static constexpr int dismissal = -1000;
    static AlertAnswer resolved(const AlertRequest &request, AlertAnswer answer)
    {
        if (answer.buttonIndex == dismissal)
            answer.buttonIndex = request.dismissalAnswer();
        return answer;
    }
};
