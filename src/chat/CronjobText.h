#pragma once

#include <QList>
#include <QString>
#include <optional>

// A text described independently of any widget: paragraphs of runs, each run
// with its size, weight and colour role. The row turns it into rich text.
struct StyledRun
{
    enum class Color { text, secondary };

    QString text;
    qreal pointSize = 11.7;
    bool semibold = false;
    Color color = Color::text;

    friend bool operator==(const StyledRun &, const StyledRun &) = default;
};

struct StyledParagraph
{
    QList<StyledRun> runs;
    qreal lineSpacing = 0;
    qreal paragraphSpacing = 0;

    friend bool operator==(const StyledParagraph &, const StyledParagraph &) = default;
};

namespace CronjobText {

// For a text beginning with "Cronjob Response:": the label small and
// secondary, the job name large, the later lines as body text. Nothing for
// any other text.
std::optional<QList<StyledParagraph>> formattedCronjobText(const QString &text, qreal fontScale);

} // namespace CronjobText
