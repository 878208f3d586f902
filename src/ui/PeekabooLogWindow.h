#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

class PeekabooLog;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The activity log viewer: the whole log in a read-only monospaced view,
// refreshed every second while the window is open. New entries scroll into
// view only when the reader was already at the bottom, so reading older
// entries is never interrupted.
class PeekabooLogWindow : public QWidget
{
    Q_OBJECT
public:
    explicit PeekabooLogWindow(PeekabooLog &log, QWidget *parent = nullptr);

    // Shows the window, brings it to the front and starts the live updates.
    void present();

    // Reads the log, shows it and scrolls to the end.
    void refresh();
    // The live update: shows a changed log, keeping the reader's place.
    void reloadIfChanged();
    // Clears the log, then refreshes.
    void clearLog();
    // Shows the log file in the file manager (created empty when missing).
    void reveal();

    // Shows a file selected in the desktop's file manager where it can (the
    // Finder on macOS, org.freedesktop.FileManager1 elsewhere), else opens
    // its folder.
    static void revealFile(const QString &path);

    QPlainTextEdit *textView() const { return m_textView; }
    QLabel *emptyLabel() const { return m_emptyLabel; }
    QLabel *pathLabel() const { return m_pathLabel; }
    bool isLive() const { return m_liveTimer.isActive(); }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void display(const QString &text, bool scrollToEnd);
    bool isShowingBottom() const;

    PeekabooLog &m_log;
    QPlainTextEdit *m_textView = nullptr;
    QLabel *m_pathLabel = nullptr;
    QLabel *m_emptyLabel = nullptr;
    QTimer m_liveTimer;
    QString m_shown;
};
