#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Agent skills: ~/.agents/skills/<name>/SKILL.md, named in a task with @name
// or $name, and the shared notes ~/.agents/AGENTS.md. Everything is read from
// disk each time; nothing is cached. Safe from any thread.
class PeekabooSkills
{
public:
    static constexpr qsizetype agentsNotesLimit = 12000;
    static constexpr qsizetype skillTextLimit = 32000;

    // home: the user's home folder (tests pass a temporary one).
    explicit PeekabooSkills(const QString &home);

    QString agentsFolder() const;
    QString skillsFolder() const;

    // Every non-hidden folder of the skills folder holding a SKILL.md file,
    // sorted by plain (case-sensitive) string order. Missing folder: none.
    QStringList skillNames() const;
    // All names for an empty prefix, else those starting with it, ignoring case.
    QStringList matchingSkills(const QString &prefix) const;

    // The listing reply when the text asks for the list of skills
    // ("@skills", "list skills", …), otherwise none.
    std::optional<QString> skillsSummary(const QString &text) const;

    struct Selection
    {
        QString name;
        // The task without the skill reference, trimmed.
        QString cleaned;
    };
    // The skill the first @name or $name of a task refers to: an exact name,
    // else the one name that starts with it (ignoring case); none otherwise.
    std::optional<Selection> selectedSkill(const QString &task) const;

    // The prompt block: the shared notes, then the chosen skill's text (the
    // explicit one, else the first skill whose name the task mentions), or the
    // list of installed skills when none is loaded. None when ~/.agents is
    // missing or nothing applies.
    std::optional<QString> agentsContext(const QString &task,
                                         const std::optional<QString> &explicitSkill) const;

    // Whether a composer draft starting with @ or $ names a skill (or asks for
    // the list), so that it runs as a Mac task.
    bool startsWithKnownSkill(const QString &text) const;

    static bool isListingRequest(const QString &text);

private:
    QString m_home;
};
