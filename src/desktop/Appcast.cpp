#include "desktop/Appcast.h"

#include <QStringList>
#include <QXmlStreamReader>
#include <algorithm>

namespace Appcast {

namespace {

const QString kSparkleNamespace = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

QStringList components(QString version)
{
    version = version.trimmed();
    if (version.startsWith(u'v') || version.startsWith(u'V'))
        version.remove(0, 1);
    return version.split(u'.');
}

// The leading digits without leading zeros, so that numbers of any length
// compare as text without overflowing.
QString numericPart(const QString &component)
{
    qsizetype end = 0;
    while (end < component.size() && component.at(end).isDigit() && component.at(end).unicode() < 128)
        ++end;
    qsizetype start = 0;
    while (start < end && component.at(start) == u'0')
        ++start;
    return component.mid(start, end - start);
}

int compareNumbers(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

// Only web addresses are offered to the browser: a feed is outside data and
// must not make the desktop open a local file or start another program.
QUrl webAddress(const QString &text, const QUrl &feedUrl)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    const QUrl url = feedUrl.resolved(QUrl(trimmed, QUrl::StrictMode));
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https"))
        return {};
    return url;
}

struct RawItem
{
    QString version;
    QString shortVersion;
    QString link;
    QString enclosureUrl;
};

RawItem readItem(QXmlStreamReader &xml)
{
    RawItem item;
    while (xml.readNextStartElement()) {
        const bool sparkle = xml.namespaceUri() == kSparkleNamespace;
        const auto name = xml.name();
        if (sparkle && name == u"version") {
            item.version = xml.readElementText().trimmed();
        } else if (sparkle && name == u"shortVersionString") {
            item.shortVersion = xml.readElementText().trimmed();
        } else if (xml.namespaceUri().isEmpty() && name == u"link") {
            item.link = xml.readElementText();
        } else if (xml.namespaceUri().isEmpty() && name == u"enclosure") {
            const QXmlStreamAttributes attributes = xml.attributes();
            item.enclosureUrl = attributes.value(QStringLiteral("url")).toString();
            // Older feeds put the versions on the enclosure.
            if (item.version.isEmpty())
                item.version =
                    attributes.value(kSparkleNamespace, QStringLiteral("version")).toString().trimmed();
            if (item.shortVersion.isEmpty())
                item.shortVersion = attributes.value(kSparkleNamespace, QStringLiteral("shortVersionString"))
                                        .toString()
                                        .trimmed();
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
    return item;
}

} // namespace

bool isVersion(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit() && c.unicode() < 128; });
}

int compareVersions(const QString &a, const QString &b)
{
    const QStringList left = components(a);
    const QStringList right = components(b);
    const qsizetype count = std::max(left.size(), right.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QString l = i < left.size() ? numericPart(left.at(i)) : QString();
        const QString r = i < right.size() ? numericPart(right.at(i)) : QString();
        if (const int order = compareNumbers(l, r); order != 0)
            return order < 0 ? -1 : 1;
    }
    return 0;
}

std::optional<Item> newestItem(const QByteArray &data, const QUrl &feedUrl, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (data.trimmed().isEmpty())
        return fail(QStringLiteral("it is empty"));
    QXmlStreamReader xml(data);
    if (!xml.readNextStartElement() || xml.name() != u"rss") {
        if (xml.hasError())
            return fail(QStringLiteral("it is not valid XML (line %1: %2)")
                            .arg(xml.lineNumber())
                            .arg(xml.errorString()));
        return fail(QStringLiteral("it is not an RSS feed"));
    }

    std::optional<Item> newest;
    while (xml.readNextStartElement()) {
        if (xml.name() != u"channel") {
            xml.skipCurrentElement();
            continue;
        }
        while (xml.readNextStartElement()) {
            if (xml.name() != u"item") {
                xml.skipCurrentElement();
                continue;
            }
            RawItem raw = readItem(xml);
            if (raw.version.isEmpty())
                raw.version = raw.shortVersion;
            if (!isVersion(raw.version))
                continue;
            if (newest && compareVersions(raw.version, newest->version) <= 0)
                continue;
            Item item;
            item.version = raw.version;
            item.displayVersion = isVersion(raw.shortVersion) ? raw.shortVersion : raw.version;
            // The link is the release's web page; the enclosure is often a file
            // for another system, so it only serves when there is no page.
            item.downloadPage = webAddress(raw.link, feedUrl);
            if (item.downloadPage.isEmpty())
                item.downloadPage = webAddress(raw.enclosureUrl, feedUrl);
            newest = item;
        }
    }
    if (xml.hasError())
        return fail(
            QStringLiteral("it is not valid XML (line %1: %2)").arg(xml.lineNumber()).arg(xml.errorString()));
    if (!newest)
        return fail(QStringLiteral("it lists no version"));
    return newest;
}

} // namespace Appcast
