#include "ui/SignInView.h"

#include "ui/Spinner.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

SignInView::SignInView(QWidget *parent) : QWidget(parent)
{
    m_heading = new QLabel(this);
    QFont headingFont = m_heading->font();
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.35);
    headingFont.setBold(true);
    m_heading->setFont(headingFont);
    m_heading->setAlignment(Qt::AlignCenter);

    m_instructions = new QLabel(this);
    m_instructions->setWordWrap(true);
    m_instructions->setAlignment(Qt::AlignCenter);

    // The square container holds the code, or the loading stack over it.
    auto *container = new QWidget(this);
    container->setFixedSize(220, 220);
    auto *stack = new QGridLayout(container);
    stack->setContentsMargins(0, 0, 0, 0);
    m_qr = new QLabel(container);
    m_qr->setFixedSize(220, 220);
    m_qr->setAlignment(Qt::AlignCenter);
    m_loading = new QWidget(container);
    auto *loadingLayout = new QVBoxLayout(m_loading);
    m_spinner = new Spinner(m_loading);
    auto *loadingLabel = new QLabel(QStringLiteral("Loading the QR code…"), m_loading);
    loadingLayout->addStretch();
    loadingLayout->addWidget(m_spinner, 0, Qt::AlignHCenter);
    loadingLayout->addWidget(loadingLabel, 0, Qt::AlignHCenter);
    loadingLayout->addStretch();
    stack->addWidget(m_qr, 0, 0);
    stack->addWidget(m_loading, 0, 0);

    // The status quotes TDLib's error texts.
    m_status = new QLabel(this);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setText(QStringLiteral("Connecting to Telegram…"));
    m_status->setWordWrap(true);
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette statusPalette = m_status->palette();
    statusPalette.setColor(QPalette::WindowText, statusPalette.color(QPalette::PlaceholderText));
    m_status->setPalette(statusPalette);

    m_cancel = new QPushButton(QStringLiteral("Cancel Sign In"), this);
    connect(m_cancel, &QPushButton::clicked, this, &SignInView::cancelRequested);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 28, 20, 16);
    layout->setSpacing(10);
    layout->addWidget(m_heading);
    layout->addWidget(m_instructions);
    layout->addWidget(container, 0, Qt::AlignHCenter);
    layout->addWidget(m_status);
    layout->addStretch();
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);

    showQRImage({});
}

void SignInView::setHeading(const QString &text)
{
    m_heading->setText(text);
}
void SignInView::setInstructions(const QString &text)
{
    m_instructions->setText(text);
}
void SignInView::setStatus(const QString &text)
{
    m_status->setText(text);
}
QString SignInView::status() const
{
    return m_status->text();
}

void SignInView::showQRImage(const QImage &image)
{
    m_image = image;
    if (image.isNull()) {
        m_qr->clear();
        m_qr->hide();
        m_loading->show();
        m_spinner->startAnimation();
        return;
    }
    m_qr->setPixmap(QPixmap::fromImage(image));
    m_qr->show();
    m_loading->hide();
    m_spinner->stopAnimation();
}

void SignInView::showQRFailure()
{
    m_image = {};
    m_qr->clear();
    m_qr->show();
    m_loading->hide();
    m_spinner->stopAnimation();
}

bool SignInView::isShowingQR() const
{
    return !m_image.isNull() && !m_qr->isHidden();
}
bool SignInView::isLoading() const
{
    return !m_loading->isHidden() && m_spinner->isAnimating();
}

#include "moc_SignInView.cpp"
