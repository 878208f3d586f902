#pragma once

#include <QImage>
#include <QWidget>

class QLabel;
class QPushButton;
class Spinner;

// The sign-in face: heading, instructions, the QR code (or a loading stack
// while there is none), the status line and "Cancel Sign In".
class SignInView : public QWidget
{
    Q_OBJECT
public:
    explicit SignInView(QWidget *parent = nullptr);

    void setHeading(const QString &text);
    void setInstructions(const QString &text);
    void setStatus(const QString &text);
    QString status() const;
    // A null image hides the code and shows the loading stack with its spinner.
    void showQRImage(const QImage &image);
    // The link could not be rendered: no image, no spinner.
    void showQRFailure();
    bool isShowingQR() const;
    bool isLoading() const;
    QImage qrImage() const { return m_image; }

signals:
    void cancelRequested();

private:
    QLabel *m_heading;
    QLabel *m_instructions;
    QLabel *m_qr;
    QWidget *m_loading;
    Spinner *m_spinner;
    QLabel *m_status;
    QPushButton *m_cancel;
    QImage m_image;
};
