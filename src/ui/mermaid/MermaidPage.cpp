#include "MermaidPage.h"

#include <QColor>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <cstdio>

namespace {

const QString doneMarker = QStringLiteral("tessaly-done:");

} // namespace

MermaidPage::MermaidPage(QObject *parent) : QWebEnginePage(parent)
{
    setBackgroundColor(Qt::transparent);
    connect(this, &QWebEnginePage::loadFinished, this, &MermaidPage::pageLoaded);
    connect(this, &QWebEnginePage::renderProcessTerminated, this, [this] {
        // The page's renderer died: what it was drawing fails, and a fresh
        // page serves the rest.
        if (m_current)
            finishCurrent({m_current->id, {}, {}, {}, QStringLiteral("The diagram renderer stopped.")});
        m_state = State::Loading;
        triggerAction(QWebEnginePage::Reload);
    });
    load(QUrl(QStringLiteral("qrc:/mermaid/renderer.html")));
}

void MermaidPage::enqueue(const MermaidProtocol::Request &request)
{
    m_queue << request;
    startNext();
}

void MermaidPage::pageLoaded(bool ok)
{
    if (!ok)
        std::fprintf(stderr, "tessaly-mermaid: the diagram page did not load\n");
    m_state = ok ? State::Ready : State::Broken;
    startNext();
}

void MermaidPage::startNext()
{
    if (m_current || m_queue.isEmpty() || m_state == State::Loading)
        return;
    m_current = m_queue.takeFirst();
    if (m_state == State::Broken) {
        finishCurrent({m_current->id, {}, {}, {}, QStringLiteral("The diagram page could not be loaded.")});
        return;
    }
    // The request goes in as a JSON object literal: the source is a string
    // value inside it, whatever characters it holds.
    QByteArray argument = MermaidProtocol::encodeRequest(*m_current);
    argument.chop(1);
    runJavaScript(QStringLiteral("tessalyRender(%1)").arg(QString::fromUtf8(argument)));
}

void MermaidPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                           int line, const QString &sourceID)
{
    if (!message.startsWith(doneMarker)) {
        // The page's own mistakes go to the helper's log, not to the diagram.
        if (level == ErrorMessageLevel)
            std::fprintf(stderr, "tessaly-mermaid: %s (%s:%d)\n", qPrintable(message), qPrintable(sourceID), line);
        return;
    }
    bool ok = false;
    const quint64 id = message.mid(doneMarker.size()).toULongLong(&ok);
    if (ok && m_current && m_current->id == id)
        collect(id);
}

void MermaidPage::collect(quint64 id)
{
    runJavaScript(QStringLiteral("tessalyTakeResult(%1)").arg(id), [this, id](const QVariant &value) {
        if (!m_current || m_current->id != id)
            return;
        MermaidProtocol::Reply reply;
        reply.id = id;
        const QJsonObject json = QJsonDocument::fromJson(value.toString().toUtf8()).object();
        if (json.contains(QLatin1String("error"))) {
            reply.error = json.value(QLatin1String("error")).toString();
        } else {
            reply.svg = json.value(QLatin1String("svg")).toString().toUtf8();
            reply.png = QByteArray::fromBase64(json.value(QLatin1String("png")).toString().toLatin1());
            reply.size = QSizeF(json.value(QLatin1String("width")).toDouble(),
                                json.value(QLatin1String("height")).toDouble());
            if (reply.svg.isEmpty() || reply.size.isEmpty())
                reply.error = QStringLiteral("The diagram came out empty.");
        }
        finishCurrent(std::move(reply));
    });
}

void MermaidPage::finishCurrent(MermaidProtocol::Reply reply)
{
    m_current.reset();
    emit rendered(reply);
    startNext();
}

#include "moc_MermaidPage.cpp"
