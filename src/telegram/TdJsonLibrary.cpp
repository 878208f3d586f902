#include "telegram/TdJsonLibrary.h"

#include <QCoreApplication>
#include <QFileInfo>

#ifndef TESSALY_TDJSON_PATH
#define TESSALY_TDJSON_PATH ""
#endif

QStringList TdJsonLibrary::defaultCandidates()
{
    QStringList candidates;
    const QString overridePath = qEnvironmentVariable("TESSALY_TDJSON");
    if (!overridePath.isEmpty())
        return {overridePath};
    // Installed layout: the library next to the executable.
    if (QCoreApplication::instance())
        candidates << QCoreApplication::applicationDirPath() + QStringLiteral("/libtdjson.so");
    const QString projectLocal = QStringLiteral(TESSALY_TDJSON_PATH);
    if (!projectLocal.isEmpty())
        candidates << projectLocal;
    candidates << QStringLiteral("tdjson");
    return candidates;
}

std::shared_ptr<TdJsonLibrary> TdJsonLibrary::loadDefault(QString *error)
{
    return load(defaultCandidates(), error);
}

std::shared_ptr<TdJsonLibrary> TdJsonLibrary::load(const QStringList &candidates, QString *error)
{
    QString lastError = QStringLiteral("no libtdjson was found");
    for (const QString &candidate : candidates) {
        // A bare name goes through the system's search path; a path must exist.
        if (candidate.contains(u'/') && !QFileInfo::exists(candidate)) {
            lastError = QStringLiteral("%1 does not exist").arg(candidate);
            continue;
        }
        auto lib = std::make_shared<TdJsonLibrary>();
        lib->m_library.setFileName(candidate);
        if (!lib->m_library.load()) {
            lastError = lib->m_library.errorString();
            continue;
        }
        lib->m_create = reinterpret_cast<CreateClientId>(lib->m_library.resolve("td_create_client_id"));
        lib->m_send = reinterpret_cast<Send>(lib->m_library.resolve("td_send"));
        lib->m_receive = reinterpret_cast<Receive>(lib->m_library.resolve("td_receive"));
        lib->m_execute = reinterpret_cast<Execute>(lib->m_library.resolve("td_execute"));
        if (!lib->m_create || !lib->m_send || !lib->m_receive) {
            lastError = QStringLiteral("%1 does not export td_create_client_id, td_send and td_receive")
                            .arg(lib->m_library.fileName());
            lib->m_library.unload();
            continue;
        }
        return lib;
    }
    if (error)
        *error = lastError;
    return nullptr;
}

std::shared_ptr<TdJsonLibrary> TdJsonLibrary::fromFunctions(CreateClientId create, Send send, Receive receive,
                                                            Execute execute)
{
    auto lib = std::make_shared<TdJsonLibrary>();
    lib->m_create = create;
    lib->m_send = send;
    lib->m_receive = receive;
    lib->m_execute = execute;
    return lib;
}
