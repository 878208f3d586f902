#include "ui/MermaidHost.h"

#include "ui/MermaidPlugin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPluginLoader>
#include <QTimer>
#include <QWidget>
#include <unistd.h>

namespace {

// Qt WebEngine started from a plugin needs contexts that share their
// resources, and that can only be asked for before the application object
// exists: this runs while the program starts.
const bool sharedContextsRequested = [] {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    return true;
}();

} // namespace

MermaidHost::MermaidHost(QString pluginPath, QObject *parent)
    : QObject(parent), m_pluginPath(pluginPath.isEmpty() ? defaultPluginPath() : std::move(pluginPath))
{
    Q_UNUSED(sharedContextsRequested);
}

MermaidHost::~MermaidHost() = default;

QString MermaidHost::defaultPluginPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libtessaly_mermaid.so"));
}

namespace {

// Chromium refuses to start as root with its sandbox, and without a display it
// has no GPU: prepare the environment it reads when the plugin first starts it.
void prepareWebEngineEnvironment()
{
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (QGuiApplication::platformName() == QLatin1String("offscreen") &&
        qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
}

} // namespace

QWidget *MermaidHost::createDiagram(const QString &source, bool lightAppearance, QWidget *parent)
{
    if (!m_factory && !m_loadFailed) {
        prepareWebEngineEnvironment();
        if (QFileInfo::exists(m_pluginPath)) {
            m_loader = std::make_unique<QPluginLoader>(m_pluginPath);
            m_factory = qobject_cast<MermaidViewFactory *>(m_loader->instance());
        }
        // A missing or broken plugin is not retried for every diagram.
        m_loadFailed = !m_factory;
        if (!m_factory)
            m_loader.reset();
    }
    if (!m_factory)
        return nullptr;
    QWidget *view = m_factory->createView(source, lightAppearance, parent);
    if (!view)
        return nullptr;
    ++m_liveViews;
    connect(view, &QObject::destroyed, this, &MermaidHost::viewGone);
    return view;
}

void MermaidHost::viewGone()
{
    if (--m_liveViews > 0)
        return;
    // Rows are often rebuilt in one go: wait for the new ones before letting go.
    QTimer::singleShot(0, this, [this] {
        if (m_liveViews == 0)
            release();
    });
}

void MermaidHost::release()
{
    // The plugin's object and web views go; the library itself stays mapped,
    // since Qt WebEngine cannot be unloaded from a running process.
    if (m_loader) {
        if (QObject *root = m_loader->instance())
            delete root;
    }
    m_factory = nullptr;
    m_loader.reset();
}
