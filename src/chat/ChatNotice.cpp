#include "chat/ChatNotice.h"

#include <QStringList>

namespace {

struct MarkerRule
{
    enum Test { contains, beginsWith };
    Test test;
    const char16_t *marker;
    const char *title;
    const char *symbol;
    NoticeTint tint;
};

// The markers the Mac task orchestration writes into its replies, in the
// order they are tried.
const MarkerRule markerRules[] = {
    {MarkerRule::contains, u"Mac task finished", "Mac task finished", "checkmark.circle.fill",
     NoticeTint::systemGreen},
    {MarkerRule::contains, u"Mac task started", "Mac task started", "play.circle.fill",
     NoticeTint::botAccent},
    {MarkerRule::contains, u"Mac task failed", "Mac task failed", "xmark.octagon.fill",
     NoticeTint::systemRed},
    {MarkerRule::contains, u"Mac task cancelled", "Mac task cancelled", "xmark.circle.fill",
     NoticeTint::systemGrey},
    {MarkerRule::beginsWith, u"\u26A0\uFE0F", "Mac task blocked", "exclamationmark.triangle.fill",
     NoticeTint::systemOrange},
    {MarkerRule::beginsWith, u"Reminder", "Reminder", "bell.badge.fill", NoticeTint::systemOrange},
};

const QString cronjobMarker = QStringLiteral("Cronjob Response:");

// Only the punctuation that ends the title's sentence, as in "■ Mac task cancelled.".
bool endsTheTitle(const QString &rest)
{
    if (rest.isEmpty())
        return false;
    for (const QChar c : rest) {
        if (c != QLatin1Char('.') && c != QLatin1Char('!') && c != QChar(0x2026))
            return false;
    }
    return true;
}

// The rest of the first line after the marker, then a blank line, then the
// remaining lines. A full stop after the marker belongs to the title, not the body.
QString bodyAfterMarker(const QString &firstLine, qsizetype markerEnd, const QStringList &remaining)
{
    QString head = firstLine.mid(markerEnd).trimmed();
    if (endsTheTitle(head))
        head.clear();
    const QString tail = remaining.join(QLatin1Char('\n'));
    QString body;
    if (!head.isEmpty()) {
        body = head;
        if (!tail.isEmpty())
            body += QStringLiteral("\n\n") + tail;
    } else {
        body = tail;
    }
    return body.trimmed();
}

bool isHyphenRule(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.size() < 3)
        return false;
    for (const QChar c : trimmed) {
        if (c != QLatin1Char('-'))
            return false;
    }
    return true;
}

} // namespace

std::optional<ChatNotice> ChatNotice::chatNotice(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    const QString firstLine = lines.takeFirst().trimmed();
    if (firstLine.isEmpty())
        return std::nullopt;

    for (const MarkerRule &rule : markerRules) {
        const QString marker = QString::fromUtf16(rule.marker);
        const qsizetype at = rule.test == MarkerRule::contains ? firstLine.indexOf(marker)
                                                               : (firstLine.startsWith(marker) ? 0 : -1);
        if (at < 0)
            continue;
        return ChatNotice{QLatin1String(rule.title), QLatin1String(rule.symbol), rule.tint,
                          bodyAfterMarker(firstLine, at + marker.size(), lines)};
    }

    if (firstLine.startsWith(cronjobMarker)) {
        QString title = firstLine.mid(cronjobMarker.size()).trimmed();
        if (title.isEmpty())
            title = QStringLiteral("Cronjob reminder");
        QStringList bodyLines;
        for (const QString &line : std::as_const(lines)) {
            if (!isHyphenRule(line))
                bodyLines << line;
        }
        return ChatNotice{title, QStringLiteral("bell.badge.fill"), NoticeTint::systemOrange,
                          bodyLines.join(QLatin1Char('\n')).trimmed()};
    }

    if (firstLine.contains(QLatin1String("mac agent"), Qt::CaseInsensitive) &&
        firstLine.contains(QLatin1String("waiting"), Qt::CaseInsensitive)) {
        return ChatNotice{QStringLiteral("Mac agent waiting"), QStringLiteral("hourglass"),
                          NoticeTint::systemOrange, text};
    }
    return std::nullopt;
}

QColor ChatNotice::tintColor(NoticeTint tint, AppTheme theme, bool lightAppearance)
{
    // The platform's system colours (sRGB), light and dark variants.
    switch (tint) {
    case NoticeTint::systemGreen:
        return lightAppearance ? QColor(52, 199, 89) : QColor(48, 209, 88);
    case NoticeTint::systemRed:
        return lightAppearance ? QColor(255, 59, 48) : QColor(255, 69, 58);
    case NoticeTint::systemGrey:
        return QColor(142, 142, 147);
    case NoticeTint::systemOrange:
        return lightAppearance ? QColor(255, 149, 0) : QColor(255, 159, 10);
    case NoticeTint::botAccent:
        return theme.botColors().resolved(lightAppearance);
    }
    return QColor(142, 142, 147);
}

QColor ChatNotice::bannerTint(const QColor &tint, bool isOutgoing)
{
    if (!isOutgoing)
        return tint;
    QColor blended =
        QColor::fromRgbF(tint.redF() * 0.75f, tint.greenF() * 0.75f, tint.blueF() * 0.75f, tint.alphaF());
    return blended;
}

QColor ChatNotice::badgeFill(const QColor &bannerTint)
{
    QColor fill = bannerTint;
    fill.setAlphaF(0.16f);
    return fill;
}
