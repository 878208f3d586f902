#pragma once

#include "chat/MermaidRenderer.h"
#include "ui/UiStyle.h"

#include <QImage>
#include <QWidget>
#include <memory>

class CodeBlockView;
class QLabel;
class QSvgRenderer;

// A Mermaid diagram in a message row, drawn natively from the picture the
// helper made. It keeps the row's diagram height while the picture is being
// drawn and once it is shown; when it cannot be drawn, it becomes the
// diagram's source in a code box under a short note saying why.
class MermaidDiagramView : public QWidget
{
    Q_OBJECT
public:
    enum class State { Drawing, Picture, Failed };

    MermaidDiagramView(const QString &source, const UiTheme &theme, qreal fontScale, MermaidRenderer *renderer,
                       QWidget *parent = nullptr);
    ~MermaidDiagramView() override;

    State state() const { return m_state; }
    QString source() const { return m_source; }
    // The picture as shown (empty unless state() is Picture), at the given size.
    QImage renderedImage(const QSize &size) const;
    // After a failure: the note and the code box.
    QLabel *failureNote() const { return m_note; }
    CodeBlockView *codeBlock() const { return m_code; }

signals:
    void stateChanged(MermaidDiagramView::State state);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void show(const MermaidRenderer::Result &result);
    void showPicture(const MermaidPicture &picture);
    void showFailure(const QString &reason);
    QRectF pictureRect() const;
    void paintPicture(QPainter &painter, const QRectF &target) const;

    QString m_source;
    UiTheme m_theme;
    qreal m_fontScale;
    State m_state = State::Drawing;
    QSizeF m_pictureSize;
    QImage m_raster;
    std::unique_ptr<QSvgRenderer> m_svg;
    QLabel *m_note = nullptr;
    CodeBlockView *m_code = nullptr;
};
