#include "agent/PeekabooKeychain.h"

#include "platform/SecretStore.h"

#include <QStringDecoder>

const QString PeekabooKeychain::service = QStringLiteral("com.hollowmere.quayline.peekaboo");

std::optional<QString> PeekabooKeychain::key(PeekabooProvider provider) const
{
    if (!PeekabooProviders::needsStoredKey(provider))
        return std::nullopt;
    const SecretResult result = m_store.read(service, PeekabooProviders::rawValue(provider));
    if (!result.ok() || result.data.isEmpty())
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(result.data);
    if (decoder.hasError() || text.isEmpty())
        return std::nullopt;
    return text;
}

bool PeekabooKeychain::save(const QString &key, PeekabooProvider provider)
{
    if (!PeekabooProviders::needsStoredKey(provider))
        return false;
    const QString account = PeekabooProviders::rawValue(provider);
    m_store.remove(service, account);
    return m_store.write(service, account, key.toUtf8()).ok();
}

void PeekabooKeychain::remove(PeekabooProvider provider)
{
    m_store.remove(service, PeekabooProviders::rawValue(provider));
}
