#include "agent/PeekabooSkills.h"

#include "agent/PeekabooOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>

namespace {

const QRegularExpression &skillReference()
{
    static const QRegularExpression re(
        QStringLiteral(R"((?<![A-Za-z0-9._%+-])[@$]([A-Za-z0-9][A-Za-z0-9-]*))"));
    return re;
}

// The text of a UTF-8 file, or none when it cannot be read or is not UTF-8.
std::optional<QString> readUtf8(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(file.readAll());
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

PeekabooSkills::PeekabooSkills(const QString &home) : m_home(home)
{
}

QString PeekabooSkills::agentsFolder() const
{
    return QDir(m_home).filePath(QStringLiteral(".agents"));
}

QString PeekabooSkills::skillsFolder() const
{
    return QDir(agentsFolder()).filePath(QStringLiteral("skills"));
}

QStringList PeekabooSkills::skillNames() const
{
    const QDir folder(skillsFolder());
    QStringList names;
    // Without QDir::Hidden, entries starting with a dot are skipped.
    for (const QString &entry : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (QFileInfo(folder.filePath(entry + QStringLiteral("/SKILL.md"))).isFile())
            names << entry;
    }
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return a.compare(b) < 0; });
    return names;
}

QStringList PeekabooSkills::matchingSkills(const QString &prefix) const
{
    const QStringList names = skillNames();
    if (prefix.isEmpty())
        return names;
    const QString lowered = prefix.toLower();
    QStringList matches;
    for (const QString &name : names) {
        if (name.toLower().startsWith(lowered))
            matches << name;
    }
    return matches;
}

bool PeekabooSkills::isListingRequest(const QString &text)
{
    static const QStringList requests{QStringLiteral("@skills"), QStringLiteral("@list"),
                                      QStringLiteral("$skills"), QStringLiteral("$list"),
                                      QStringLiteral("skills"),  QStringLiteral("list skills")};
    return requests.contains(text.trimmed().toLower());
}

std::optional<QString> PeekabooSkills::skillsSummary(const QString &text) const
{
    if (!isListingRequest(text))
        return std::nullopt;
    const QStringList names = skillNames();
    if (names.isEmpty())
        return QStringLiteral("No skills are installed in ~/.agents/skills.");
    QStringList lines{QStringLiteral("Installed skills — send @name with a task to load one:")};
    for (const QString &name : names)
        lines << QStringLiteral("• @") + name;
    return lines.join(u'\n');
}

std::optional<PeekabooSkills::Selection> PeekabooSkills::selectedSkill(const QString &task) const
{
    const QRegularExpressionMatch match = skillReference().match(task);
    if (!match.hasMatch())
        return std::nullopt;
    const QString typed = match.captured(1).toLower();
    const QStringList names = skillNames();
    QString chosen;
    if (names.contains(typed)) {
        chosen = typed;
    } else {
        const QStringList candidates = matchingSkills(typed);
        if (candidates.size() != 1)
            return std::nullopt;
        chosen = candidates.front();
    }
    QString cleaned = task;
    cleaned.remove(match.capturedStart(0), match.capturedLength(0));
    return Selection{chosen, cleaned.trimmed()};
}

std::optional<QString> PeekabooSkills::agentsContext(const QString &task,
                                                     const std::optional<QString> &explicitSkill) const
{
    if (!QFileInfo(agentsFolder()).isDir())
        return std::nullopt;
    QStringList parts;

    if (const auto notes = readUtf8(QDir(agentsFolder()).filePath(QStringLiteral("AGENTS.md")));
        notes && !notes->isEmpty()) {
        parts << QStringLiteral("Shared agent notes (~/.agents/AGENTS.md):\n") +
                     PeekabooOutput::clipped(*notes, agentsNotesLimit);
    }

    const QStringList names = skillNames();
    std::optional<QString> skill = explicitSkill;
    if (!skill) {
        const QString lowered = task.toLower();
        for (const QString &name : names) {
            if (lowered.contains(name) || lowered.contains(QString(name).replace(u'-', u' '))) {
                skill = name;
                break;
            }
        }
    }
    if (skill) {
        const QString relative = QStringLiteral("~/.agents/skills/") + *skill + QStringLiteral("/SKILL.md");
        const auto text = readUtf8(QDir(skillsFolder()).filePath(*skill + QStringLiteral("/SKILL.md")));
        if (text && !text->isEmpty()) {
            parts << QStringLiteral("Skill \"") + *skill + QStringLiteral("\" (") + relative +
                         QStringLiteral("). Follow it:\n") + PeekabooOutput::clipped(*text, skillTextLimit);
        }
    } else if (!names.isEmpty()) {
        parts << QStringLiteral("Installed skills (not loaded): ") + names.join(QStringLiteral(", ")) + u'.';
    }

    if (parts.isEmpty())
        return std::nullopt;
    return parts.join(QStringLiteral("\n\n"));
}

bool PeekabooSkills::startsWithKnownSkill(const QString &text) const
{
    const QString trimmed = text.trimmed();
    if (!trimmed.startsWith(u'@') && !trimmed.startsWith(u'$'))
        return false;
    if (isListingRequest(trimmed))
        return true;
    qsizetype end = 1;
    while (end < trimmed.size() && !trimmed.at(end).isSpace())
        ++end;
    const QString word = trimmed.mid(1, end - 1).toLower();
    if (word.isEmpty())
        return false;
    if (skillNames().contains(word))
        return true;
    return matchingSkills(word).size() == 1;
}
