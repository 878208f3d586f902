#include "telegram/SessionKey.h"

#include <QRandomGenerator>
#include <QStringDecoder>

namespace SessionKey {

std::variant<QString, Failure> getOrCreate(SecretStore &store)
{
    const SecretResult found = store.read(service, account);
    if (found.ok()) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(found.data);
        if (found.data.isEmpty() || decoder.hasError())
            return Failure{SecretResult::Failure, QStringLiteral("The stored session key is not valid text.")};
        return text;
    }
    if (!found.notFound())
        return Failure{found.status, found.description()};

    // QRandomGenerator::system() draws from the operating system's secure source.
    QByteArray bytes(32, Qt::Uninitialized);
    QRandomGenerator::system()->generate(reinterpret_cast<quint32 *>(bytes.data()),
                                         reinterpret_cast<quint32 *>(bytes.data() + bytes.size()));
    const QByteArray key = bytes.toBase64();
    const SecretResult added = store.write(service, account, key);
    if (!added.ok())
        return Failure{added.status, added.description()};
    return QString::fromLatin1(key);
}

SecretResult remove(SecretStore &store)
{
    SecretResult result = store.remove(service, account);
    if (result.notFound())
        return {};
    return result;
}

} // namespace SessionKey
