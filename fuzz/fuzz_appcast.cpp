// An update feed as any server (or a captive portal) may answer it.
#include "FuzzSupport.h"
#include "desktop/Appcast.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString error;
    const auto item =
        Appcast::newestItem(fuzzBytes(data, size), QUrl(QStringLiteral("https://updates.example.org/tessaly/appcast.xml")), &error);
    if (!item) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    FUZZ_CHECK(Appcast::isVersion(item->version));
    FUZZ_CHECK(!item->displayVersion.isEmpty());
    // Only a web address is ever opened.
    if (!item->downloadPage.isEmpty()) {
        const QString scheme = item->downloadPage.scheme();
        FUZZ_CHECK(scheme == u"https" || scheme == u"http");
    }
    // Versions order consistently both ways round.
    const QString other = QString::fromUtf8(fuzzBytes(data, size).right(12));
    FUZZ_CHECK(Appcast::compareVersions(item->version, other) == -Appcast::compareVersions(other, item->version));
    return 0;
}
