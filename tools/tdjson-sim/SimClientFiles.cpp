// File downloads of a simulated client: progress through updateFile, then the
// demo file copied into files_directory.

#include "SimClient.h"
#include "SimContent.h"

namespace {

using SimContent::typed;

} // namespace

void SimClient::sendFileUpdate(int fileId)
{
    update(typed("updateFile", {{"file", m_world->files().fileObject(fileId)}}));
}

void SimClient::onDownloadFile(SimRequest &r)
{
    const qint64 fileId = r.int64("file_id");
    const qint64 priority = r.int64("priority");
    const qint64 offset = r.int64("offset");
    const qint64 limit = r.int64("limit");
    const bool synchronous = r.boolean("synchronous");
    if (!admit(r, Need::Authorization))
        return;
    SimFile *file = fileId > 0 && fileId <= std::numeric_limits<int>::max()
                        ? m_world->files().find(int(fileId))
                        : nullptr;
    if (!file)
        return answerError(r, 400, QStringLiteral("Invalid file identifier"));
    if (priority < 1 || priority > 32)
        return answerError(r, 400, QStringLiteral("Download priority must be between 1 and 32"));
    if (offset < 0)
        return answerError(r, 400, QStringLiteral("Download offset must be non-negative"));
    if (limit < 0)
        return answerError(r, 400, QStringLiteral("Download limit must be non-negative"));
    if (file->completed)
        return answer(r, m_world->files().fileObject(file->id));
    if (file->asset.isEmpty())
        return answerError(r, 400, QStringLiteral("File not found"));
    if (synchronous)
        m_syncDownloads[file->id].append(r.object().value("@extra"));
    if (!file->downloading) {
        file->downloading = true;
        file->downloadedSize = 0;
        const quint64 generation = ++m_downloadGeneration[file->id];
        sendFileUpdate(file->id);
        const int id = file->id;
        later(m_config.downloadStepMs, [id, generation](SimClient &c) { c.downloadStep(id, 1, generation); });
    }
    if (!synchronous)
        answer(r, m_world->files().fileObject(file->id));
}

void SimClient::downloadStep(int fileId, int step, quint64 generation)
{
    SimFile *file = m_world ? m_world->files().find(fileId) : nullptr;
    if (!file || !file->downloading || m_downloadGeneration.value(fileId) != generation)
        return;
    const QList<QJsonValue> waiting =
        step >= m_config.downloadSteps ? m_syncDownloads.take(fileId) : QList<QJsonValue>();
    if (step < m_config.downloadSteps) {
        file->downloadedSize = file->size * step / m_config.downloadSteps;
        sendFileUpdate(fileId);
        later(m_config.downloadStepMs,
              [fileId, step, generation](SimClient &c) { c.downloadStep(fileId, step + 1, generation); });
        return;
    }
    file->downloading = false;
    if (!m_world->files().materialize(*file, m_filesDirectory)) {
        file->downloadedSize = 0;
        sendFileUpdate(fileId);
        for (const QJsonValue &extra : waiting)
            answerError(extra, 400, QStringLiteral("Failed to download the file"));
        return;
    }
    file->completed = true;
    file->downloadedSize = file->size;
    sendFileUpdate(fileId);
    for (const QJsonValue &extra : waiting) {
        QJsonObject result = m_world->files().fileObject(fileId);
        if (!extra.isUndefined())
            result.insert("@extra", extra);
        update(result);
    }
}

void SimClient::uploadStep(qint64 chatId, qint64 temporaryId, const QList<int> &fileIds, int step)
{
    if (!m_world)
        return;
    const bool done = step >= m_config.uploadSteps;
    for (int id : fileIds) {
        SimFile *file = m_world->files().find(id);
        if (!file)
            continue;
        file->uploadedSize = file->size * step / m_config.uploadSteps;
        file->uploading = !done;
        file->uploaded = done;
        sendFileUpdate(id);
    }
    if (done) {
        later(m_config.sendDelayMs, [chatId, temporaryId](SimClient &c) { c.finishSend(chatId, temporaryId); });
        return;
    }
    later(m_config.uploadStepMs, [chatId, temporaryId, fileIds, step](SimClient &c) {
        c.uploadStep(chatId, temporaryId, fileIds, step + 1);
    });
}

void SimClient::onCancelDownloadFile(SimRequest &r)
{
    const qint64 fileId = r.int64("file_id");
    r.boolean("only_if_pending");
    if (!admit(r, Need::Authorization))
        return;
    SimFile *file = fileId > 0 && fileId <= std::numeric_limits<int>::max()
                        ? m_world->files().find(int(fileId))
                        : nullptr;
    if (!file)
        return answerError(r, 400, QStringLiteral("Invalid file identifier"));
    if (file->downloading) {
        file->downloading = false;
        file->downloadedSize = 0;
        ++m_downloadGeneration[file->id];
        for (const QJsonValue &extra : m_syncDownloads.take(file->id))
            answerError(extra, 400, QStringLiteral("Download was canceled"));
        sendFileUpdate(file->id);
    }
    answerOk(r);
}
