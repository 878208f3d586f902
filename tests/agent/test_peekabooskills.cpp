#include "agent/PeekabooSkills.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>


class TestPeekabooSkills : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

    void write(const QString &relative, const QByteArray &content)
    {
        const QString path = m_home.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void addSkill(const QString &name, const QByteArray &text = "Do it well.")
    {
        write(".agents/skills/" + name + "/SKILL.md", text);
    }
    void reset() { QDir(m_home.filePath(".agents")).removeRecursively(); }

private slots:
    void init() { reset(); }

    void onlyVisibleFoldersWithASkillFileAreSkills()
    {
        PeekabooSkills skills(m_home.path());
        QCOMPARE(skills.skillNames(), QStringList());
        addSkill("summarize");
        addSkill("Zeta");
        addSkill("web-search");
        addSkill(".hidden");
        write(".agents/skills/notes/README.md", "no skill file");
        write(".agents/skills/plain-file", "not a folder");
        QDir().mkpath(m_home.filePath(".agents/skills/folder-named/SKILL.md"));
        // Plain string order: capitals first.
        QCOMPARE(skills.skillNames(), QStringList({"Zeta", "summarize", "web-search"}));
        QCOMPARE(skills.matchingSkills(""), QStringList({"Zeta", "summarize", "web-search"}));
        QCOMPARE(skills.matchingSkills("Z"), QStringList({"Zeta"}));
        QCOMPARE(skills.matchingSkills("WEB"), QStringList({"web-search"}));
    }

    void selectsTheNamedSkill_data()
    {
        QTest::addColumn<QString>("task");
        QTest::addColumn<std::optional<QString>>("skill");
        QTest::addColumn<QString>("cleaned");
        QTest::newRow("two prefix matches") << "use @summ to shorten this" << std::optional<QString>() << "";
        QTest::newRow("unique prefix")
            << "@summari shorten this" << std::optional<QString>("summarize") << "shorten this";
        QTest::newRow("capitals reach a lower-case name")
            << "please $Summarize the page" << std::optional<QString>("summarize") << "please  the page";
        QTest::newRow("stored capitals only by prefix")
            << "@writer go" << std::optional<QString>("Writer-Pro") << "go";
        QTest::newRow("exact beats prefix") << "@summary now" << std::optional<QString>("summary") << "now";
        QTest::newRow("mail address is no reference")
            << "mail me@summarize.com" << std::optional<QString>() << "";
        QTest::newRow("first reference decides")
            << "@nothing then @summarize" << std::optional<QString>() << "";
        QTest::newRow("reference alone") << "@summarize" << std::optional<QString>("summarize") << "";
    }
    void selectsTheNamedSkill()
    {
        QFETCH(QString, task);
        QFETCH(std::optional<QString>, skill);
        QFETCH(QString, cleaned);
        addSkill("summarize");
        addSkill("summary");
        addSkill("Writer-Pro");
        const auto selection = PeekabooSkills(m_home.path()).selectedSkill(task);
        QCOMPARE(selection ? std::optional(selection->name) : std::nullopt, skill);
        if (selection)
            QCOMPARE(selection->cleaned, cleaned);
    }

    void contextBlockPastesNotesAndSkill()
    {
        PeekabooSkills skills(m_home.path());
        QCOMPARE(skills.agentsContext("anything", std::nullopt), std::nullopt);
        QDir().mkpath(m_home.filePath(".agents"));
        QCOMPARE(skills.agentsContext("anything", std::nullopt), std::nullopt);

        write(".agents/AGENTS.md", QByteArray(20000, 'a'));
        addSkill("web-search", "Search carefully.");
        addSkill("alpha", QByteArray(40000, 's'));
        addSkill("empty", "");

        const QString notes = "Shared agent notes (~/.agents/AGENTS.md):\n" + QString(12000, u'a') +
                              "\n…(truncated, 8000 characters omitted)";
        // The hyphen matches a blank in the task.
        QCOMPARE(skills.agentsContext("do a web search for cats", std::nullopt),
                 std::optional<QString>(notes +
                                        "\n\nSkill \"web-search\" (~/.agents/skills/web-search/SKILL.md). "
                                        "Follow it:\nSearch carefully."));
        QCOMPARE(
            skills.agentsContext("nothing named", std::nullopt),
            std::optional<QString>(notes + "\n\nInstalled skills (not loaded): alpha, empty, web-search."));
        QCOMPARE(skills.agentsContext("x", QString("alpha")),
                 std::optional<QString>(
                     notes + "\n\nSkill \"alpha\" (~/.agents/skills/alpha/SKILL.md). Follow it:\n" +
                     QString(32000, u's') + "\n…(truncated, 8000 characters omitted)"));
        // An empty skill file gives no part, and no listing either.
        QCOMPARE(skills.agentsContext("x", QString("empty")), std::optional<QString>(notes));
        QFile::remove(m_home.filePath(".agents/AGENTS.md"));
        QCOMPARE(skills.agentsContext("x", QString("empty")), std::nullopt);
    }

    void listingReply()
    {
        PeekabooSkills skills(m_home.path());
        QCOMPARE(skills.skillsSummary("@skills"),
                 std::optional<QString>("No skills are installed in ~/.agents/skills."));
        addSkill("beta");
        addSkill("alpha");
        const std::optional<QString> listing(
            "Installed skills — send @name with a task to load one:\n• @alpha\n• @beta");
        for (const char *text : {"@skills", "  LIST SKILLS ", "$list", "skills", "@list"})
            QCOMPARE(skills.skillsSummary(QString::fromLatin1(text)), listing);
        QCOMPARE(skills.skillsSummary("@skills please"), std::nullopt);
    }

    void draftsStartingWithAKnownSkill_data()
    {
        QTest::addColumn<QString>("draft");
        QTest::addColumn<bool>("known");
        QTest::newRow("exact") << "@alpha do it" << true;
        QTest::newRow("unique prefix, any case") << "$ALP do it" << true;
        QTest::newRow("ambiguous prefix") << "@a do it" << false;
        QTest::newRow("unknown") << "@gamma do it" << false;
        QTest::newRow("word ends at a line break") << "  @alpha\nmore" << true;
        QTest::newRow("sigil alone") << "@ alpha" << false;
        QTest::newRow("listing request") << "@skills" << true;
        QTest::newRow("no sigil") << "alpha do it" << false;
        QTest::newRow("empty") << "" << false;
    }
    void draftsStartingWithAKnownSkill()
    {
        QFETCH(QString, draft);
        QFETCH(bool, known);
        addSkill("alpha");
        addSkill("another");
        QCOMPARE(PeekabooSkills(m_home.path()).startsWithKnownSkill(draft), known);
    }
};

TESSALY_TEST_GUILESS_MAIN(TestPeekabooSkills)
#include "test_peekabooskills.moc"
