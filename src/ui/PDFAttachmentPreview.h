#pragma once

#include <QWidget>

class QPdfDocument;
class QPdfView;

// A PDF attachment in a window of its own: pages stacked vertically, scaled
// to the window's width, kept when closed.
class PDFAttachmentPreview : public QWidget
{
    Q_OBJECT
public:
    PDFAttachmentPreview(const QString &path, const QString &title, QWidget *parent = nullptr);

    QPdfDocument *document() const { return m_document; }
    // False when the file could not be read as a PDF.
    bool isLoaded() const;

private:
    QPdfDocument *m_document;
    QPdfView *m_view;
};
