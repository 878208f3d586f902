#include "ui/PDFAttachmentPreview.h"

#include "ui/LiteralText.h"

#include <QPdfDocument>
#include <QPdfView>
#include <QVBoxLayout>

PDFAttachmentPreview::PDFAttachmentPreview(const QString &path, const QString &title, QWidget *parent)
    : QWidget(parent, Qt::Window), m_document(new QPdfDocument(this)), m_view(new QPdfView(this))
{
    // The attachment's file name, as it is.
    setWindowTitle(LiteralText::windowTitle(title));
    setMinimumSize(360, 360);
    resize(720, 860);
    m_document->load(path);
    m_view->setDocument(m_document);
    m_view->setPageMode(QPdfView::PageMode::MultiPage);
    m_view->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    m_view->setPageSpacing(12);
    m_view->setDocumentMargins(QMargins(12, 12, 12, 12));
    m_view->setAccessibleName(QStringLiteral("PDF document"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
}

bool PDFAttachmentPreview::isLoaded() const
{
    return m_document->status() == QPdfDocument::Status::Ready;
}

#include "moc_PDFAttachmentPreview.cpp"
