// End to end: files and photos from the composer through the preview to the
// simulator, and into the conversation they were meant for.
#include "support/AppHarness.h"
#include "support/TestMain.h"
#include "ui/ComposerTextView.h"
#include "ui/ComposerView.h"
#include "ui/PhotoPreview.h"
#include "ui/RecordingWaveformView.h"
#include "ui/TelegramMessageRow.h"
#include "ui/TranscriptView.h"
#include "ui/TranscriptController.h"

#include <QFileDialog>
#include <QLabel>
#include <QProcess>
#include <cmath>
#include <QMenu>
#include <QToolButton>
#include <QtTest>

namespace {

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
    void cleanup()
    {
        m_h.reset();
        AppHarness::environmentHook = {};
    }

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

    void filesThatCannotBePreparedAreNotSent()
    {
        ComposerTextView *input = m_h->app->botFace()->composer()->input();
        QFile broken(m_dir->filePath("broken.png"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("\x89PNG not really");
        broken.close();
        input->onPasteFile(QUrl::fromLocalFile(broken.fileName()));
        QCOMPARE(m_h->app->botFace()->statusText(), QString("Could not open this photo."));
        QVERIFY(!m_h->app->window()->findChild<PhotoPreview *>());

        // A file where the outgoing folder belongs: nothing can be copied there.
        const QString outgoing = m_h->app->client()->baseDirectory() + "/outgoing";
        QDir(outgoing).removeRecursively();
        QFile blocker(outgoing);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        input->setPlainText("keep me");
        input->onPasteFile(QUrl::fromLocalFile(m_dir->filePath("report.pdf")));
        QVERIFY(m_h->app->botFace()->statusText().startsWith("Could not prepare the attachment: "));
        QCOMPARE(input->toPlainText(), QString("keep me"));
        QTest::qWait(300);
        QCOMPARE(sentAttachments(*m_h, BotMessageSegment::AttachmentKind::Pdf), 0);
    }

    void aDocumentShowsSendingUntilTelegramConfirmsIt()
    {
        TranscriptView *view = m_h->app->botFace()->transcript()->view();
        // The line under the sent PDF's attachment, or why there is none to read.
        const auto transferLine = [&]() -> QString {
            for (const BotMessage &m : m_h->app->telegramMessages()) {
                if (!m.isOutgoing || m.segments.isEmpty() ||
                    m.segments.first().attachmentKind != BotMessageSegment::AttachmentKind::Pdf)
                    continue;
                const TelegramMessageRow *row = view->row(m.id);
                if (!row)
                    return QStringLiteral("<no row>");
                const QList<QLabel *> labels = row->transferLabels();
                return labels.isEmpty() ? QString() : labels.first()->text();
            }
            return QStringLiteral("<no message>");
        };
        m_h->app->botFace()->composer()->input()->onPasteFile(QUrl::fromLocalFile(m_dir->filePath("report.pdf")));
        QTRY_VERIFY_WITH_TIMEOUT(transferLine().startsWith(QStringLiteral("Sending…")), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(transferLine(), QString(), 10000);
        QCOMPARE(sentAttachments(*m_h, BotMessageSegment::AttachmentKind::Pdf), 1);
    }

    void takePhotoOpensThePreviewOrSaysWhyNot()
    {
        // A camera that is there: its photo goes to the preview.
        AppHarness::environmentHook = [](AppEnvironment &env) {
            env.cameraTiming = {20, 100, 5};
            env.camera = [] { return std::make_unique<OneShotCamera>(); };
        };
        m_h.reset();
        m_h = std::make_unique<AppHarness>(R"({"scan_delay_ms":0})", QStringList{},
                                           [](SettingsStore &s) { s.setString("selectedBotChatID", kMediaBot); });
        QTRY_VERIFY_WITH_TIMEOUT(m_h->app->selectedChat().has_value(), 10000);
        QTest::mouseClick(m_h->app->botFace()->composer()->button("paperclip"), Qt::LeftButton);
        QMenu *menu = m_h->app->window()->findChild<QMenu *>();
        QVERIFY(menu);
        QStringList items;
        for (QAction *action : menu->actions())
            items << (action->isSeparator() ? QString("-") : action->text());
        QCOMPARE(items, QStringList({"Take Photo", "-", "Choose File…"}));
        menu->actions().first()->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(m_h->app->window()->findChild<PhotoPreview *>(), 5000);
        m_h->app->window()->findChild<PhotoPreview *>()->cancel();

        // No camera: a sheet says so, nothing is sent.
        AppHarness::environmentHook = [](AppEnvironment &env) {
            env.camera = [] { return std::make_unique<OneShotCamera>(false); };
        };
        m_h.reset();
        m_h = std::make_unique<AppHarness>(R"({"scan_delay_ms":0})", QStringList{},
                                           [](SettingsStore &s) { s.setString("selectedBotChatID", kMediaBot); });
        AppHarness::environmentHook = {};
        QTRY_VERIFY_WITH_TIMEOUT(m_h->app->selectedChat().has_value(), 10000);
        m_h->app->botFace()->composer()->button("paperclip")->click();
        m_h->app->window()->findChild<QMenu *>()->actions().first()->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!m_h->alerts.presented.isEmpty(), 5000);
        QCOMPARE(m_h->alerts.presented.last().message, QString("Could not take a photo"));
        QVERIFY(!m_h->app->window()->findChild<PhotoPreview *>());
    }

    void chooseFileSendsTheChosenFile()
    {
        m_h->app->botFace()->composer()->button("paperclip")->click();
        m_h->app->window()->findChild<QMenu *>()->actions().last()->trigger();
        QFileDialog *dialog = m_h->app->window()->findChild<QFileDialog *>();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Choose a file to send to Media Bot."));
        emit dialog->fileSelected(m_dir->filePath("report.pdf"));
        QTRY_COMPARE_WITH_TIMEOUT(sentAttachments(*m_h, BotMessageSegment::AttachmentKind::Pdf), 1, 10000);
    }

    void aVoiceNoteIsSentAsMonoOpusInOgg()
    {
        AppHarness::environmentHook = [](AppEnvironment &env) {
            env.microphone = [] { return std::make_unique<ToneMicrophone>(); };
        };
        m_h.reset();
        m_h = std::make_unique<AppHarness>(R"({"scan_delay_ms":0})", QStringList{},
                                           [](SettingsStore &s) { s.setString("selectedBotChatID", kMediaBot); });
        QTRY_VERIFY_WITH_TIMEOUT(!m_h->app->telegramMessages().isEmpty(), 10000);
        ComposerView *composer = m_h->app->botFace()->composer();
        composer->button("mic")->click();
        QVERIFY(composer->isRecording());
        QCOMPARE(m_h->app->botFace()->statusText(), QString("Recording voice message…"));
        QTRY_VERIFY_WITH_TIMEOUT(composer->recordingWaveform()->level() > 0.5, 2000);
        composer->input()->setPlainText("hear this");
        composer->button("stop.fill")->click();
        QVERIFY(!composer->isRecording());
        QTRY_COMPARE_WITH_TIMEOUT(m_h->app->botFace()->statusText(), QString("Voice message sent."), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(sentAttachments(*m_h, BotMessageSegment::AttachmentKind::Audio, "hear this"), 1, 10000);

        const QDir outgoing(m_h->app->client()->baseDirectory() + "/outgoing");
        const QStringList notes = outgoing.entryList({"*-voice.ogg"}, QDir::Files);
        QCOMPARE(notes.size(), 1);
        QVERIFY(outgoing.entryList({"*.raw"}, QDir::Files).isEmpty());
        QProcess probe;
        probe.start("ffprobe", {"-v", "error", "-show_entries", "stream=codec_name,channels:format=format_name", "-of",
                                "default=noprint_wrappers=1", outgoing.filePath(notes.first())});
        QVERIFY(probe.waitForFinished(20000));
        const QString info = QString::fromUtf8(probe.readAllStandardOutput());
        QVERIFY2(info.contains("codec_name=opus") && info.contains("channels=1") && info.contains("format_name=ogg"),
                 qPrintable(info));
    }

    void withoutAMicrophoneOrABotASheetSaysWhy()
    {
        AppHarness::environmentHook = [](AppEnvironment &env) {
            env.microphone = [] { return std::make_unique<ToneMicrophone>(false); };
        };
        m_h.reset();
        m_h = std::make_unique<AppHarness>(R"({"scan_delay_ms":0})");
        QTRY_VERIFY_WITH_TIMEOUT(m_h->app->botChats().size() >= 2, 10000);
        ComposerView *composer = m_h->app->botFace()->composer();
        composer->button("mic")->click();
        QCOMPARE(m_h->alerts.presented.last().informativeText,
                 QString("Choose a bot before recording a voice message."));
        m_h->app->selectBot(m_h->app->botChats().first());
        composer->button("mic")->click();
        QCOMPARE(m_h->alerts.presented.last().message, QString("Voice message"));
        QVERIFY(m_h->alerts.presented.last().informativeText.startsWith("Could not start microphone recording."));
        QVERIFY(!composer->isRecording());
    }

private:
    // Half a second of a 440 Hz tone, at a sample rate of 48 kHz.
    struct ToneMicrophone : VoiceInput
    {
        explicit ToneMicrophone(bool there = true) : there(there) {}
        bool there;
        bool start(const QString &rawPath) override
        {
            if (!there)
                return false;
            QFile file(rawPath);
            if (!file.open(QIODevice::WriteOnly))
                return false;
            QByteArray samples(48000 / 2 * 2, Qt::Uninitialized);
            auto *data = reinterpret_cast<qint16 *>(samples.data());
            for (int i = 0; i < 48000 / 2; ++i)
                data[i] = qint16(8000 * std::sin(2 * M_PI * 440 * i / 48000.0));
            file.write(samples);
            return true;
        }
        int sampleRate() const override { return 48000; }
        double averagePowerDb() const override { return -15.0; }
        void stop() override {}
    };

    struct OneShotCamera : WebcamPhotoCapture::Device
    {
        explicit OneShotCamera(bool there = true) : there(there) {}
        bool there;
        bool start() override { return there; }
        bool isAdjusting() const override { return false; }
        void capture(std::function<void(const QImage &)> done) override
        {
            QImage image(64, 48, QImage::Format_RGB32);
            image.fill(Qt::yellow);
            done(image);
        }
        void stop() override {}
    };

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppHarness> m_h;
};

TESSALY_TEST_MAIN(TestAttachments)
#include "test_attachments.moc"
