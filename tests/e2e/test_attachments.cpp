// End to end: files and photos from the composer through the preview to the
// simulator, and into the conversation they were meant for.
#include "support/AppHarness.h"
#include "ui/ComposerTextView.h"
#include "ui/ComposerView.h"
#include "ui/PhotoPreview.h"
#include "ui/TranscriptController.h"

#include <QtTest>

namespace {
const QString kMediaBot = QStringLiteral("5000000102");

// Outgoing messages carrying an attachment of this kind.
int sentAttachments(AppHarness &h, BotMessageSegment::AttachmentKind kind, const QString &caption = {})
{
    int n = 0;
    for (const BotMessage &m : h.app->telegramMessages()) {
        if (!m.isOutgoing || (!caption.isEmpty() && !m.text.contains(caption)))
            continue;
        for (const BotMessageSegment &s : m.segments)
            n += s.kind == BotMessageSegment::Kind::Attachment && s.attachmentKind == kind;
    }
    return n;
}
} // namespace

class TestAttachments : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_h = std::make_unique<AppHarness>(R"({"scan_delay_ms":0,"reply_delay_ms":50})", QStringList{},
                                           [](SettingsStore &s) { s.setString("selectedBotChatID", kMediaBot); });
        QTRY_VERIFY_WITH_TIMEOUT(!m_h->app->telegramMessages().isEmpty() && m_h->app->botChats().size() >= 2, 10000);
        QImage photo(120, 80, QImage::Format_RGB32);
        photo.fill(Qt::darkCyan);
        QVERIFY(photo.save(m_dir->filePath("photo.png")));
        QFile pdf(m_dir->filePath("report.pdf"));
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        pdf.write("%PDF-1.4\n%%EOF\n");
    }
    void cleanup() { m_h.reset(); }

    void aDroppedPhotoIsPreviewedThenSent()
    {
        ComposerTextView *input = m_h->app->botFace()->composer()->input();
        input->onPasteFile(QUrl::fromLocalFile(m_dir->filePath("photo.png")));
        PhotoPreview *preview = m_h->app->window()->findChild<PhotoPreview *>();
        QVERIFY(preview);
        QCOMPARE(sentAttachments(*m_h, BotMessageSegment::AttachmentKind::Image), 0);
        preview->sendPhoto();
        QTRY_COMPARE_WITH_TIMEOUT(sentAttachments(*m_h, BotMessageSegment::AttachmentKind::Image), 1, 10000);
    }

    void aPhotoIsNotSentIntoAConversationChosenAfterwards()
    {
        m_h->app->botFace()->composer()->input()->onPasteFile(QUrl::fromLocalFile(m_dir->filePath("photo.png")));
        QPointer<PhotoPreview> preview = m_h->app->window()->findChild<PhotoPreview *>();
        QVERIFY(preview);
        for (const BotConversation &b : m_h->app->botChats())
            if (b.id != kMediaBot) {
                m_h->app->selectBot(b);
                break;
            }
        preview->sendPhoto();
        QCOMPARE(m_h->app->botFace()->statusText(), QString("The conversation changed. Open the photo again to send it."));
        QTRY_VERIFY_WITH_TIMEOUT(!m_h->app->telegramMessages().isEmpty(), 10000);
        QCOMPARE(sentAttachments(*m_h, BotMessageSegment::AttachmentKind::Image), 0);
    }

    void aDroppedFileIsSentAsADocumentWithTheCaption()
    {
        ComposerView *composer = m_h->app->botFace()->composer();
        // Without a caption nothing becomes the message to retry.
        composer->input()->onPasteFile(QUrl::fromLocalFile(m_dir->filePath("report.pdf")));
        QVERIFY(!composer->isRetryEnabled());
        QVERIFY(!m_h->app->window()->findChild<PhotoPreview *>());
        composer->input()->setPlainText("the quarterly report");
        composer->input()->onPasteFile(QUrl::fromLocalFile(m_dir->filePath("report.pdf")));
        QVERIFY(composer->text().isEmpty());
        QVERIFY(composer->isRetryEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(sentAttachments(*m_h, BotMessageSegment::AttachmentKind::Pdf), 2, 10000);
        QCOMPARE(sentAttachments(*m_h, BotMessageSegment::AttachmentKind::Pdf, "the quarterly report"), 1);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppHarness> m_h;
};

QTEST_MAIN(TestAttachments)
#include "test_attachments.moc"
