#pragma once

#include "chat/MermaidProtocol.h"

#include <QList>
#include <QWebEnginePage>
#include <optional>

// An offscreen page with the bundled Mermaid script that draws one diagram at
// a time. Requests wait until the page has loaded; each ends in exactly one
// rendered() with the same id.
class MermaidPage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit MermaidPage(QObject *parent = nullptr);

    void enqueue(const MermaidProtocol::Request &request);
    bool isBusy() const { return m_current.has_value() || !m_queue.isEmpty(); }

signals:
    void rendered(const MermaidProtocol::Reply &reply);

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
                                  const QString &sourceID) override;

private:
    enum class State { Loading, Ready, Broken };

    void pageLoaded(bool ok);
    void startNext();
    void collect(quint64 id);
    void finishCurrent(MermaidProtocol::Reply reply);

    State m_state = State::Loading;
    QList<MermaidProtocol::Request> m_queue;
    std::optional<MermaidProtocol::Request> m_current;
};
