// The media library's entry: the table of what it creates.
#include "media/MediaDevices.h"
#include "media/MediaModuleInterface.h"

#include <QPdfDocument>
#include <QPdfView>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// A PDF attachment in a window of its own: pages stacked vertically, scaled
// to the window's width, kept when closed.
QWidget *createPdfPreview(const QString &path, const QString &windowTitle, QString *error)
{
    auto window = std::make_unique<QWidget>(nullptr, Qt::Window);
    auto *document = new QPdfDocument(window.get());
    const QPdfDocument::Error loaded = document->load(path);
    if (loaded != QPdfDocument::Error::None) {
        if (error)
            *error = loaded == QPdfDocument::Error::FileNotFound ? QStringLiteral("the file is missing")
                                                                 : QStringLiteral("it is not a readable PDF");
        return nullptr;
    }
    window->setWindowTitle(windowTitle);
    window->setMinimumSize(360, 360);
    window->resize(720, 860);
    auto *view = new QPdfView(window.get());
    view->setDocument(document);
    view->setPageMode(QPdfView::PageMode::MultiPage);
    view->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    view->setPageSpacing(12);
    view->setDocumentMargins(QMargins(12, 12, 12, 12));
    view->setAccessibleName(QStringLiteral("PDF document"));
    auto *layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    return window.release();
}

const MediaModuleInterface table = [] {
    MediaModuleInterface t;
    t.createAudioSink = [] { return MediaDevices::speaker().release(); };
    t.createMicrophone = [](double (*averagePowerDb)(const qint16 *, qsizetype)) {
        return MediaDevices::microphone(averagePowerDb).release();
    };
    t.createCamera = [] { return MediaDevices::camera().release(); };
    t.createPdfPreview = createPdfPreview;
    return t;
}();

} // namespace

extern "C" Q_DECL_EXPORT const MediaModuleInterface *tessaly_media_module()
{
    return &table;
}
