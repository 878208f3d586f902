#pragma once

#include "ui/MermaidPlugin.h"

#include <QObject>

// The plugin's entry object: makes web views that draw Mermaid diagrams with
// the bundled script.
class MermaidPluginFactory : public QObject, public MermaidViewFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID MermaidViewFactory_iid)
    Q_INTERFACES(MermaidViewFactory)
public:
    QWidget *createView(const QString &source, bool lightAppearance, QWidget *parent) override;

    // The page that loads the script by URL and renders the source.
    static QString pageHtml(const QString &source, bool lightAppearance);
};
