#include "MermaidView.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

QString MermaidPluginFactory::pageHtml(const QString &source, bool lightAppearance)
{
    // The source travels as a JSON array so any characters are safe inside the script.
    const QString encoded =
        QString::fromUtf8(QJsonDocument(QJsonArray{source}).toJson(QJsonDocument::Compact))
            .replace(QLatin1String("</"), QLatin1String("<\\/"));
    return QStringLiteral(
               "<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
               "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
               "<script src=\"qrc:/mermaid/mermaid.min.js\"></script></head>"
               "<body style=\"margin:0;background:transparent\"><div class=\"mermaid\"></div><script>"
               "mermaid.initialize({startOnLoad:false,theme:'%1'});"
               "const source=%2[0];"
               "document.querySelector('.mermaid').textContent=source;"
               "mermaid.run();</script></body></html>")
        .arg(lightAppearance ? QStringLiteral("default") : QStringLiteral("dark"), encoded);
}

QWidget *MermaidPluginFactory::createView(const QString &source, bool lightAppearance, QWidget *parent)
{
    auto *view = new QWebEngineView(parent);
    view->page()->setBackgroundColor(Qt::transparent);
    view->setContextMenuPolicy(Qt::NoContextMenu);
    view->setHtml(pageHtml(source, lightAppearance), QUrl(QStringLiteral("qrc:/mermaid/")));
    return view;
}
