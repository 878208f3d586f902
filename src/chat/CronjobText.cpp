#include "chat/CronjobText.h"

#include <QStringList>

namespace CronjobText {

std::optional<QList<StyledParagraph>> formattedCronjobText(const QString &text, qreal fontScale)
{
    static const QString marker = QStringLiteral("Cronjob Response:");
    if (!text.startsWith(marker))
        return std::nullopt;

    const QStringList lines = text.split(QLatin1Char('\n'));
    QList<StyledParagraph> paragraphs;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        StyledParagraph paragraph;
        paragraph.lineSpacing = 2;
        paragraph.paragraphSpacing = i == 0 ? 6 : 4;
        if (i == 0) {
            // The label runs up to and including the blank after the colon.
            qsizetype labelEnd = marker.size();
            if (lines[0].size() > labelEnd && lines[0][labelEnd] == QLatin1Char(' '))
                ++labelEnd;
            paragraph.runs << StyledRun{lines[0].left(labelEnd), 10.5 * fontScale, true,
                                        StyledRun::Color::secondary};
            const QString name = lines[0].mid(labelEnd);
            if (!name.isEmpty())
                paragraph.runs << StyledRun{name, 13 * fontScale, true, StyledRun::Color::text};
        } else {
            paragraph.runs << StyledRun{lines[i], 11.7 * fontScale, false, StyledRun::Color::text};
        }
        paragraphs << paragraph;
    }
    return paragraphs;
}

} // namespace CronjobText
