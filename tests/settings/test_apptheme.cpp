#include "settings/AppTheme.h"
#include "settings/ChatStyle.h"
#include "settings/SettingsStore.h"
#include "support/TestMain.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

bool sameRgb(const QColor &color, double r, double g, double b)
{
    const double tolerance = 1.0 / 512;
    return std::abs(color.redF() - r) < tolerance && std::abs(color.greenF() - g) < tolerance &&
           std::abs(color.blueF() - b) < tolerance && color.alphaF() == 1.0;
}

} // namespace

class TestAppTheme : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<SettingsStore> freshStore(const QString &name)
    {
        return std::make_unique<SettingsStore>(m_dir.filePath(name + QStringLiteral(".json")));
    }

private slots:
    void storedThemeFallsBackToViolet_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("absent") << QVariant() << "violet";
        QTest::newRow("ocean") << QVariant(QStringLiteral("ocean")) << "ocean";
        QTest::newRow("graphite") << QVariant(QStringLiteral("graphite")) << "graphite";
        QTest::newRow("wrong case") << QVariant(QStringLiteral("Violet")) << "violet";
        QTest::newRow("wrong case ocean") << QVariant(QStringLiteral("OCEAN")) << "violet";
        QTest::newRow("unknown") << QVariant(QStringLiteral("sunset")) << "violet";
        QTest::newRow("padded") << QVariant(QStringLiteral(" ember")) << "violet";
        QTest::newRow("empty") << QVariant(QString()) << "violet";
        QTest::newRow("boolean") << QVariant(true) << "violet";
    }
    void storedThemeFallsBackToViolet()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, expected);
        auto store = freshStore(QString::fromLatin1(QTest::currentDataTag()));
        if (stored.typeId() == QMetaType::Bool)
            store->setBool(QStringLiteral("appTheme"), stored.toBool());
        else if (stored.isValid())
            store->setString(QStringLiteral("appTheme"), stored.toString());
        QCOMPARE(AppTheme::current(*store).rawValue(), expected);
    }

    void currentWritesTheRawValue()
    {
        auto store = freshStore(QStringLiteral("write"));
        AppTheme::setCurrent(*store, AppTheme::forest);
        QCOMPARE(store->string(QStringLiteral("appTheme")), std::optional<QString>(QStringLiteral("forest")));
        QCOMPARE(AppTheme::current(*store), AppTheme(AppTheme::forest));
        // A second store on the same file sees it: nothing is cached.
        SettingsStore reopened(store->fileName());
        QCOMPARE(AppTheme::current(reopened), AppTheme(AppTheme::forest));
    }

    void casesKeepTheirOrderAndNamesRoundTrip()
    {
        const QList<AppTheme> all = AppTheme::allCases();
        QStringList raw, display;
        for (const AppTheme theme : all) {
            raw << theme.rawValue();
            display << theme.displayName();
            QCOMPARE(AppTheme::fromRawValue(theme.rawValue()), std::optional<AppTheme>(theme));
        }
        QCOMPARE(raw, QStringList({"violet", "ocean", "ember", "forest", "graphite"}));
        QCOMPARE(display, QStringList({"Violet", "Ocean", "Ember", "Forest", "Graphite"}));
        QVERIFY(!AppTheme::fromRawValue(QStringLiteral("Forest")).has_value());
        QCOMPARE(AppTheme(AppTheme::ocean).changedStatusText(), QStringLiteral("Theme set to Ocean."));
        QCOMPARE(AppTheme(AppTheme::ember).swatchColor(), AppTheme(AppTheme::ember).botColors().light);
    }

    // Spot checks across the table: a transposed column or row shows here.
    void paletteValues_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QString>("pair");
        QTest::addColumn<bool>("light");
        QTest::addColumn<double>("r");
        QTest::addColumn<double>("g");
        QTest::addColumn<double>("b");
        QTest::newRow("violet window dark") << "violet"
                                            << "window" << false << 0.03 << 0.05 << 0.08;
        QTest::newRow("ocean window light") << "ocean"
                                            << "window" << true << 0.95 << 0.97 << 1.0;
        QTest::newRow("ember transcript dark") << "ember"
                                               << "transcript" << false << 0.09 << 0.055 << 0.045;
        QTest::newRow("forest composer dark") << "forest"
                                              << "composer" << false << 0.045 << 0.09 << 0.07;
        QTest::newRow("graphite thumb light") << "graphite"
                                              << "switchThumb" << true << 0.3 << 0.3 << 0.38;
        QTest::newRow("violet bot dark") << "violet"
                                         << "bot" << false << 0.71 << 0.49 << 1.0;
        QTest::newRow("violet bot light") << "violet"
                                          << "bot" << true << 0.4 << 0.22 << 0.72;
        QTest::newRow("ocean account light") << "ocean"
                                             << "account" << true << 0.02 << 0.42 << 0.4;
        QTest::newRow("ember attachment light") << "ember"
                                                << "attachment" << true << 0.62 << 0.2 << 0.2;
        QTest::newRow("forest retry dark") << "forest"
                                           << "retry" << false << 1.0 << 0.78 << 0.3;
        QTest::newRow("graphite retry light") << "graphite"
                                              << "retry" << true << 0.5 << 0.34 << 0.08;
    }
    void paletteValues()
    {
        QFETCH(QString, theme);
        QFETCH(QString, pair);
        QFETCH(bool, light);
        QFETCH(double, r);
        QFETCH(double, g);
        QFETCH(double, b);
        const AppTheme t = AppTheme::fromRawValue(theme).value();
        const QHash<QString, ColorPair> pairs{{"window", t.windowColors()},
                                              {"transcript", t.transcriptColors()},
                                              {"composer", t.composerColors()},
                                              {"switchThumb", t.switchThumbColors()},
                                              {"bot", t.botColors()},
                                              {"account", t.accountColors()},
                                              {"attachment", t.attachmentColors()},
                                              {"retry", t.retryColors()}};
        QVERIFY(sameRgb(pairs.value(pair).resolved(light), r, g, b));
    }

    void composerIsPureWhiteInLightForEveryTheme()
    {
        for (const AppTheme theme : AppTheme::allCases())
            QCOMPARE(theme.composerColors().resolved(true).rgb(), QColor(Qt::white).rgb());
    }

    void variantChoiceFollowsTheBestMatch()
    {
        const ColorPair &text = ChatStyle::text();
        QVERIFY(sameRgb(text.resolved(std::optional(NamedAppearance::aqua)), 0.12, 0.15, 0.21));
        QVERIFY(sameRgb(text.resolved(std::optional(NamedAppearance::darkAqua)), 0.86, 0.87, 0.91));
        // An appearance matching neither draws dark.
        QVERIFY(sameRgb(text.resolved(std::optional<NamedAppearance>()), 0.86, 0.87, 0.91));
    }

    void currentVariantFollowsTheApplicationAppearance()
    {
        ChatStyle::setLightAppearance(true);
        QVERIFY(sameRgb(ChatStyle::text().current(), 0.12, 0.15, 0.21));
        QVERIFY(sameRgb(ChatStyle::codeString().current(), 0.61, 0.33, 0.05));
        ChatStyle::setLightAppearance(false);
        QVERIFY(sameRgb(ChatStyle::text().current(), 0.86, 0.87, 0.91));
        QVERIFY(sameRgb(ChatStyle::codeSurface().current(), 0.055, 0.075, 0.105));
        QVERIFY(sameRgb(ChatStyle::border().current(), 0.18, 0.22, 0.28));
    }
};

TESSALY_TEST_GUILESS_MAIN(TestAppTheme)
#include "test_apptheme.moc"
