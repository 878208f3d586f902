// A task's skill reference and the prompt block built from ~/.agents: the
// shared notes and a skill's text are files anyone can write, the task is
// chat text.
#include "FuzzSupport.h"
#include "agent/PeekabooSkills.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

void writeFile(const QString &path, const std::string &contents)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(contents.data(), qint64(contents.size()));
}

QString home()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        QDir root(dir.path());
        for (const char *skill : {"browser", "mail", "mail-merge", "Notes", ".hidden"}) {
            const QString folder = QStringLiteral(".agents/skills/") + QLatin1String(skill);
            root.mkpath(folder);
            writeFile(root.filePath(folder + QStringLiteral("/SKILL.md")), "Use the skill.\n");
        }
        root.mkpath(QStringLiteral(".agents/skills/empty-folder"));
        return true;
    }();
    Q_UNUSED(made);
    return dir.path();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QDir agents(home() + QStringLiteral("/.agents"));
    writeFile(agents.filePath(QStringLiteral("AGENTS.md")), input.ConsumeRandomLengthString());
    writeFile(agents.filePath(QStringLiteral("skills/mail/SKILL.md")), input.ConsumeRandomLengthString());
    const QString task = QString::fromUtf8(QByteArray::fromStdString(input.ConsumeRemainingBytesAsString()));

    const PeekabooSkills skills(home());
    skills.skillsSummary(task);
    skills.startsWithKnownSkill(task);
    const auto selection = skills.selectedSkill(task);
    if (selection) {
        FUZZ_CHECK(skills.skillNames().contains(selection->name));
        FUZZ_CHECK(selection->cleaned.size() < task.size());
    }
    const auto context = skills.agentsContext(selection ? selection->cleaned : task,
                                              selection ? std::optional(selection->name) : std::nullopt);
    // Big files are clipped: the prompt stays within the two limits and a little framing.
    if (context)
        FUZZ_CHECK(context->size() < PeekabooSkills::agentsNotesLimit + PeekabooSkills::skillTextLimit + 1000);
    return 0;
}
