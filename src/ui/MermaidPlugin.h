#pragma once

#include <QString>
#include <QtPlugin>

class QWidget;

// What the diagram plugin offers: a view that draws one Mermaid diagram. The
// plugin alone links Qt WebEngine, so the application pays for it only once
// a diagram is shown.
class MermaidViewFactory
{
public:
    virtual ~MermaidViewFactory() = default;
    virtual QWidget *createView(const QString &source, bool lightAppearance, QWidget *parent) = 0;
};

#define MermaidViewFactory_iid "com.hollowmere.tessaly.MermaidViewFactory/1"
Q_DECLARE_INTERFACE(MermaidViewFactory, MermaidViewFactory_iid)
