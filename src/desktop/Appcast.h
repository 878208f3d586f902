#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

// An RSS appcast as Sparkle publishes it: one item per release, each naming its
// version (`sparkle:version`, shown as `sparkle:shortVersionString`) and where
// to get it (the item's link or its enclosure).
namespace Appcast {

struct Item
{
    // Compared against this copy's version.
    QString version;
    // What the user is shown; the version itself when the feed gives no other.
    QString displayVersion;
    // An http(s) address, or empty when the item names none that is safe to open.
    QUrl downloadPage;
};

// The item with the highest version (feeds are not always newest-first). On a
// feed that is not XML, not RSS, or lists no versioned item: nothing, and the
// reason in `error`. Relative addresses are resolved against `feedUrl`.
std::optional<Item> newestItem(const QByteArray &xml, const QUrl &feedUrl, QString *error);

// Numeric, component by component: "1.10" is newer than "1.9", a missing
// component counts as 0 ("1.0" equals "1"). Each component counts by its
// leading digits, so "2-beta" is 2. Negative, zero or positive as for strcmp.
int compareVersions(const QString &a, const QString &b);

// A version needs at least one digit to be compared at all.
bool isVersion(const QString &text);

} // namespace Appcast
