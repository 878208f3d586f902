#include "agent/PeekabooStatusLine.h"

namespace {

using Kind = PeekabooAvailability::Installation::Kind;

QString installationState(Kind kind)
{
    switch (kind) {
    case Kind::binary:
        return QStringLiteral("installed");
    case Kind::npx:
        return QStringLiteral("will download on first use");
    case Kind::missing:
        break;
    }
    return QStringLiteral("not installed");
}

} // namespace

PeekabooStatusLine PeekabooStatusLine::checking()
{
    return {Dot::yellow, QStringLiteral("Checking Peekaboo…"), StatusAction::none, QString()};
}

PeekabooStatusLine PeekabooStatusLine::from(const PeekabooAvailability &availability)
{
    const Kind kind = availability.installation.kind;
    // An error means the tool gave no permission list.
    const bool permissionsKnown = !availability.error.has_value();
    if (kind == Kind::npx && !permissionsKnown)
        return {Dot::yellow, QStringLiteral("Peekaboo will download through npx on first use."),
                StatusAction::download, QStringLiteral("Download Peekaboo")};
    if (!permissionsKnown) {
        if (kind == Kind::missing)
            return {Dot::red, *availability.error, StatusAction::guide, QStringLiteral("Install Guide")};
        return {Dot::red, *availability.error, StatusAction::none, QString()};
    }
    const auto missing = availability.missingPermissions();
    if (missing.isEmpty()) {
        const QStringList parts{installationState(kind), QStringLiteral("permissions granted")};
        return {Dot::green,
                QStringLiteral("Peekaboo is ready (") + parts.join(QStringLiteral(", ")) + u')' + u'.',
                StatusAction::none, QString()};
    }
    QStringList names;
    for (const auto &permission : missing)
        names << permission.name;
    return {Dot::orange,
            QStringLiteral("Peekaboo needs ") + names.join(QStringLiteral(", ")) +
                QStringLiteral(". Grant access in the macOS prompts."),
            StatusAction::grant, QStringLiteral("Grant Permissions")};
}

QString PeekabooStatusLine::colorName(Dot dot)
{
    switch (dot) {
    case Dot::yellow:
        return QStringLiteral("#ffcc00");
    case Dot::green:
        return QStringLiteral("#34c759");
    case Dot::orange:
        return QStringLiteral("#ff9500");
    case Dot::red:
        break;
    }
    return QStringLiteral("#ff3b30");
}
