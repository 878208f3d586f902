#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QPluginLoader;
class QWidget;
class MermaidViewFactory;

// Loads the diagram plugin on the first diagram and lets go of it when no
// diagram is on screen any more. Without the plugin there is no view and the
// row shows the diagram's source as code.
class MermaidHost : public QObject
{
    Q_OBJECT
public:
    // pluginPath: empty looks beside the executable.
    explicit MermaidHost(QString pluginPath = QString(), QObject *parent = nullptr);
    ~MermaidHost() override;

    // A diagram view, or null when the plugin is not available.
    QWidget *createDiagram(const QString &source, bool lightAppearance, QWidget *parent);
    int liveDiagramCount() const { return m_liveViews; }
    bool isLoaded() const { return m_factory != nullptr; }

    static QString defaultPluginPath();

private:
    void viewGone();
    void release();

    QString m_pluginPath;
    std::unique_ptr<QPluginLoader> m_loader;
    MermaidViewFactory *m_factory = nullptr;
    bool m_loadFailed = false;
    int m_liveViews = 0;
};
