#include "support/FakeTdJson.h"

#include <QJsonDocument>
#include <QMutex>
#include <QWaitCondition>
#include <QDeadlineTimer>
#include <deque>

namespace {

struct State
{
    QMutex mutex;
    QWaitCondition arrived;
    QWaitCondition drained;
    QWaitCondition released;
    bool holdCreation = false;
    std::deque<QByteArray> inbox;
    QList<FakeTdJson::Sent> sent;
    QByteArray current;
    int nextClient = 1;
    int created = 0;
    bool taking = false;
};

State *state = nullptr;

int fakeCreate()
{
    QMutexLocker lock(&state->mutex);
    while (state->holdCreation)
        state->released.wait(&state->mutex);
    ++state->created;
    return state->nextClient++;
}

void fakeSend(int client, const char *request)
{
    QMutexLocker lock(&state->mutex);
    state->sent.append({client, QJsonDocument::fromJson(request).object()});
}

const char *fakeReceive(double timeout)
{
    QMutexLocker lock(&state->mutex);
    state->taking = false;
    state->drained.wakeAll();
    // Like a real td_receive, it may come back empty before the timeout: the
    // client's destructor waits for the loop, so every test's teardown would
    // otherwise wait out the client's whole second.
    if (state->inbox.empty())
        state->arrived.wait(&state->mutex, QDeadlineTimer(qMin(int(timeout * 1000), 50)));
    if (state->inbox.empty())
        return nullptr;
    state->current = state->inbox.front();
    state->inbox.pop_front();
    state->taking = true;
    return state->current.constData();
}

const char *fakeExecute(const char *) { return R"({"@type":"ok"})"; }

} // namespace

FakeTdJson::FakeTdJson() { state = new State; }

FakeTdJson::~FakeTdJson()
{
    delete state;
    state = nullptr;
}

std::shared_ptr<TdJsonLibrary> FakeTdJson::library() const
{
    return TdJsonLibrary::fromFunctions(fakeCreate, fakeSend, fakeReceive, fakeExecute);
}

void FakeTdJson::push(const QJsonObject &object, int clientId)
{
    QJsonObject copy = object;
    if (clientId > 0)
        copy.insert(QStringLiteral("@client_id"), clientId);
    pushRaw(QJsonDocument(copy).toJson(QJsonDocument::Compact));
}

void FakeTdJson::pushRaw(const QByteArray &text)
{
    QMutexLocker lock(&state->mutex);
    state->inbox.push_back(text);
    state->arrived.wakeAll();
}

QList<FakeTdJson::Sent> FakeTdJson::sent() const
{
    QMutexLocker lock(&state->mutex);
    return state->sent;
}

QList<QJsonObject> FakeTdJson::sentOfType(const QString &type) const
{
    QList<QJsonObject> result;
    for (const Sent &s : sent()) {
        if (s.request.value(QStringLiteral("@type")).toString() == type)
            result.append(s.request);
    }
    return result;
}

void FakeTdJson::clearSent()
{
    QMutexLocker lock(&state->mutex);
    state->sent.clear();
}

void FakeTdJson::holdClientCreation(bool hold)
{
    QMutexLocker lock(&state->mutex);
    state->holdCreation = hold;
    state->released.wakeAll();
}

int FakeTdJson::createdClients() const
{
    QMutexLocker lock(&state->mutex);
    return state->created;
}

int FakeTdJson::lastClientId() const
{
    QMutexLocker lock(&state->mutex);
    return state->nextClient - 1;
}

bool FakeTdJson::waitUntilDrained(int timeoutMs) const
{
    QMutexLocker lock(&state->mutex);
    QDeadlineTimer deadline(timeoutMs);
    // Drained means: nothing queued and the loop came back for more (so the
    // last answer has been handled).
    while (!state->inbox.empty() || state->taking) {
        if (!state->drained.wait(&state->mutex, deadline))
            return false;
    }
    return true;
}
