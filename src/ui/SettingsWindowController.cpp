// The settings window: construction, the General and Appearance tabs, the
// snapshot, tabs and window height.
#include "ui/SettingsWindowController.h"

#include "core/Alerts.h"
#include "ui/IconTable.h"
#include "ui/MacAccessSlider.h"
#include "ui/SettingsCardView.h"
#include "ui/SettingsForm.h"
#include "ui/SettingsStyle.h"
#include "ui/StatusDotView.h"
#include "ui/ThemedSegmentedControl.h"
#include "ui/ThemedSwitch.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// A note wraps at its own width, not at the width the card offers: layouts ask
// for the height at the offered width, which would count too few lines.
class NoteLabel : public QLabel
{
public:
    using QLabel::QLabel;
    int heightForWidth(int width) const override
    {
        return QLabel::heightForWidth(qMin(width, maximumWidth()));
    }
};

// A pop-up button with a chevron drawn in the secondary colour of the window's palette.
class PopUpButton : public QComboBox
{
public:
    using QComboBox::QComboBox;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QComboBox::paintEvent(event);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor ink = palette().color(QPalette::PlaceholderText);
        if (!isEnabled())
            ink.setAlphaF(0.5f);
        painter.setPen(QPen(ink, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF centre(width() - 12, height() / 2.0);
        const QPointF chevron[] = {centre + QPointF(-3.5, -1.5), centre + QPointF(0, 2),
                                   centre + QPointF(3.5, -1.5)};
        painter.drawPolyline(chevron, 3);
    }
};

} // namespace

SettingsWindowController::SettingsWindowController(SettingsHooks hooks, SettingsServices services,
                                                   QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowStaysOnTopHint),
      m_hooks(std::move(hooks)), m_services(std::move(services))
{
    setWindowTitle(QStringLiteral("Settings"));
    setObjectName(QStringLiteral("SettingsWindow"));
    // Closing only hides it: the controller keeps the window and reuses it.
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedWidth(contentWidth);
    resize(contentWidth, 690);
    // The window itself takes the keyboard first, so no control opens with a focus ring.
    setFocusPolicy(Qt::ClickFocus);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    build();
}

SettingsWindowController::~SettingsWindowController() = default;

void SettingsWindowController::build()
{
    ++m_generation;
    m_content = new QWidget(this);
    m_contentStack = new QVBoxLayout(m_content);
    m_contentStack->setContentsMargins(20, 18, 20, 14);
    m_contentStack->setSpacing(14);

    m_contentStack->addWidget(makeHeader());
    m_tabControl = new ThemedSegmentedControl({QStringLiteral("General"), QStringLiteral("Mac Agent"),
                                               QStringLiteral("Reading"), QStringLiteral("Appearance")},
                                              {}, m_content);
    m_tabControl->setAccessibleName(QStringLiteral("Settings section"));
    m_tabControl->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_tabControl, &ThemedSegmentedControl::activated, this, &SettingsWindowController::applyTab);
    m_contentStack->addWidget(m_tabControl);

    m_tabCards = {buildGeneralTab(), buildAgentTab(), buildReadingTab(), buildAppearanceTab()};
    for (const QList<QWidget *> &cards : std::as_const(m_tabCards))
        for (QWidget *cardView : cards)
            m_contentStack->addWidget(cardView, 0, Qt::AlignHCenter);
    m_contentStack->addStretch(1);

    auto *footer = new QLabel(QStringLiteral("Tessaly ") + m_services.version, m_content);
    footer->setTextFormat(Qt::PlainText);
    footer->setAlignment(Qt::AlignCenter);
    footer->setFont(UiStyle::font(10));
    SettingsStyle::setTone(footer, SettingsStyle::Tone::secondary);
    m_contentStack->addWidget(footer);

    layout()->addWidget(m_content);
    ++m_buildCount;
    applyColors();
    const int tab = m_selectedTab;
    m_selectedTab = -1;
    applyTab(tab);
}

void SettingsWindowController::rebuild()
{
    // Everything goes, the controls are made anew in the new colours.
    delete m_content;
    m_content = nullptr;
    m_voicePreviewer.reset();
    m_testing = false;
    build();
    if (m_currentState)
        apply(*m_currentState);
    if (isVisible())
        checkStatus();
}

QWidget *SettingsWindowController::makeHeader()
{
    auto *header = new QWidget(m_content);
    auto *layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    auto *icon = new QLabel(header);
    icon->setFixedSize(22, 22);
    icon->setAlignment(Qt::AlignCenter);
    SettingsStyle::setSymbol(icon, QStringLiteral("paperplane.fill"), 17, 1.0);
    layout->addWidget(icon, 0, Qt::AlignVCenter);

    auto *lines = new QVBoxLayout;
    lines->setSpacing(1);
    auto *title = new QLabel(QStringLiteral("Tessaly"), header);
    title->setFont(UiStyle::font(16, QFont::DemiBold));
    auto *subtitle = new QLabel(QStringLiteral("Chat and Mac agent settings"), header);
    subtitle->setFont(UiStyle::font(11));
    SettingsStyle::setTone(subtitle, SettingsStyle::Tone::secondary);
    lines->addWidget(title);
    lines->addWidget(subtitle);
    layout->addLayout(lines);
    layout->addStretch(1);
    return header;
}

QWidget *SettingsWindowController::card(const QString &title, const QString &symbol,
                                        const QList<QWidget *> &rows)
{
    auto *view = new SettingsCardView(m_content);
    view->setFixedWidth(440);
    auto *stack = new QVBoxLayout(view);
    stack->setContentsMargins(14, 12, 14, 12);
    stack->setSpacing(9);

    auto *heading = new QHBoxLayout;
    heading->setSpacing(6);
    auto *icon = new QLabel(view);
    icon->setFixedSize(13, 13);
    SettingsStyle::setSymbol(icon, symbol, 10, 0.85);
    auto *label = new QLabel(title.toUpper(), view);
    QFont font = UiStyle::font(10, QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    label->setFont(font);
    SettingsStyle::setTone(label, SettingsStyle::Tone::secondary);
    heading->addWidget(icon);
    heading->addWidget(label);
    heading->addStretch(1);
    stack->addLayout(heading);
    for (QWidget *rowView : rows)
        stack->addWidget(rowView);
    return view;
}

QWidget *SettingsWindowController::row(const QString &title, QWidget *control)
{
    auto *rowView = new QWidget(m_content);
    auto *layout = new QHBoxLayout(rowView);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto *label = new QLabel(title, rowView);
    label->setFont(UiStyle::font(12));
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    layout->addStretch(1);
    control->setParent(rowView);
    layout->addWidget(control, 0, Qt::AlignVCenter);
    return rowView;
}

QLabel *SettingsWindowController::note(const QString &text, int lines)
{
    auto *label = new NoteLabel(text, m_content);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(UiStyle::font(10));
    label->setMaximumWidth(300);
    label->setMaximumHeight(QFontMetrics(label->font()).lineSpacing() * lines + 2);
    SettingsStyle::setTone(label, SettingsStyle::Tone::secondary);
    return label;
}

QPushButton *SettingsWindowController::button(const QString &title, bool accent)
{
    auto *pushButton = new QPushButton(title, m_content);
    pushButton->setFont(UiStyle::font(11));
    pushButton->setCursor(Qt::PointingHandCursor);
    pushButton->setAutoDefault(false);
    if (accent)
        pushButton->setProperty("accent", true);
    return pushButton;
}

QWidget *SettingsWindowController::buttonRow(const QList<QWidget *> &buttons, int spacing)
{
    auto *rowView = new QWidget(m_content);
    auto *layout = new QHBoxLayout(rowView);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    layout->addStretch(1);
    for (QWidget *item : buttons) {
        item->setParent(rowView);
        layout->addWidget(item);
    }
    return rowView;
}

QComboBox *SettingsWindowController::popup()
{
    auto *box = new PopUpButton(m_content);
    box->setFont(UiStyle::font(12));
    box->setFixedWidth(200);
    return box;
}

QList<QWidget *> SettingsWindowController::buildGeneralTab()
{
    m_botPopup = popup();
    m_botPopup->setAccessibleName(QStringLiteral("Chat"));
    connect(m_botPopup, &QComboBox::activated, this, [this](int index) {
        if (m_hooks.onBotSelected)
            m_hooks.onBotSelected(index);
    });

    auto *account = new QWidget(m_content);
    auto *accountLayout = new QHBoxLayout(account);
    accountLayout->setContentsMargins(0, 0, 0, 0);
    auto *signedIn = new QLabel(QStringLiteral("Signed in to Telegram"), account);
    signedIn->setFont(UiStyle::font(11));
    SettingsStyle::setTone(signedIn, SettingsStyle::Tone::secondary);
    m_logOutButton = button(QStringLiteral("Log Out"));
    m_logOutButton->setProperty("destructive", true);
    m_logOutButton->setParent(account);
    connect(m_logOutButton, &QPushButton::clicked, this, &SettingsWindowController::confirmLogOut);
    accountLayout->addWidget(signedIn);
    accountLayout->addStretch(1);
    accountLayout->addWidget(m_logOutButton);

    return {card(QStringLiteral("Bot"), QStringLiteral("bubble.left.and.bubble.right"),
                 {row(QStringLiteral("Chat"), m_botPopup)}),
            card(QStringLiteral("Account"), QStringLiteral("person.crop.circle"), {account})};
}

QList<QWidget *> SettingsWindowController::buildAppearanceTab()
{
    m_appearanceControl =
        new ThemedSegmentedControl({QStringLiteral("Light"), QStringLiteral("Dark")},
                                   {QStringLiteral("sun.max"), QStringLiteral("moon")}, m_content);
    m_appearanceControl->setFixedWidth(156);
    m_appearanceControl->setAccessibleName(QStringLiteral("Colour mode"));
    connect(m_appearanceControl, &ThemedSegmentedControl::activated, this, [this](int segment) {
        if (m_hooks.onAppearanceChanged)
            m_hooks.onAppearanceChanged(segment == 0);
    });

    m_themePopup = popup();
    m_themePopup->setAccessibleName(QStringLiteral("Theme set"));
    for (const AppTheme &theme : AppTheme::allCases())
        m_themePopup->addItem(SettingsStyle::swatch(theme.swatchColor()), theme.displayName());
    connect(m_themePopup, &QComboBox::activated, this, [this](int index) {
        const QList<AppTheme> themes = AppTheme::allCases();
        if (index < 0 || index >= themes.size())
            return;
        const AppTheme theme = themes.at(index);
        // The controller closes and replaces this window: not from inside its own signal.
        QTimer::singleShot(0, this, [this, theme] {
            if (m_hooks.onThemeChanged)
                m_hooks.onThemeChanged(theme);
        });
    });

    m_hoverSwitch = new ThemedSwitch(m_content);
    m_hoverSwitch->setAccessibleName(QStringLiteral("Hover Shrink"));
    connect(m_hoverSwitch, &ThemedSwitch::toggled, this, [this](bool on) {
        if (m_hooks.onHoverShrinkChanged)
            m_hooks.onHoverShrinkChanged(on);
    });
    m_spaceSwitch = new ThemedSwitch(m_content);
    m_spaceSwitch->setAccessibleName(QStringLiteral("Show on All Desktops"));
    connect(m_spaceSwitch, &ThemedSwitch::toggled, this, [this](bool on) {
        if (m_hooks.onFollowSpaceChanged)
            m_hooks.onFollowSpaceChanged(on);
    });

    return {card(QStringLiteral("Appearance"), QStringLiteral("circle.lefthalf.filled"),
                 {row(QStringLiteral("Mode"), m_appearanceControl),
                  row(QStringLiteral("Theme set"), m_themePopup)}),
            card(QStringLiteral("Window"), QStringLiteral("macwindow"),
                 {row(QStringLiteral("Hover Shrink"), m_hoverSwitch),
                  row(QStringLiteral("Show on All Desktops"), m_spaceSwitch)})};
}

void SettingsWindowController::present()
{
    if (!isVisible()) {
        if (QScreen *screen = QApplication::primaryScreen()) {
            QRect frame = geometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    show();
    raise();
    activateWindow();
    if (!focusWidget())
        setFocus(Qt::ActiveWindowFocusReason);
    checkStatus();
    updateCredentialRows(selectedProvider());
    reloadVoices();
}

void SettingsWindowController::apply(const SettingsState &state)
{
    m_currentState = state;
    if (m_appliedTheme && !(*m_appliedTheme == state.theme)) {
        m_appliedTheme = state.theme;
        QTimer::singleShot(0, this, &SettingsWindowController::rebuild);
        return;
    }
    m_appliedTheme = state.theme;
    const UiTheme theme{state.theme, state.lightAppearance};
    if (!(theme == m_ui)) {
        m_ui = theme;
        applyColors();
    }

    applyBots(state);

    if (m_macSlider->level() != state.macAccess)
        m_macSlider->setLevel(state.macAccess);
    m_macAccessNote->setText(MacAccessLevels::helpText(state.macAccess));

    applyProviderFields(state.provider, state.model, state.hasKey);
    updateCredentialRows(state.provider);

    m_appearanceControl->setSelectedSegment(state.lightAppearance ? 0 : 1);
    m_themePopup->setCurrentIndex(int(AppTheme::allCases().indexOf(state.theme)));

    m_hoverSwitch->setOn(state.hoverShrink);
    m_spaceSwitch->setOn(state.followActiveSpace);
    m_pointerSwitch->setOn(state.showAgentPointer);
}

void SettingsWindowController::applyBots(const SettingsState &state)
{
    const QSignalBlocker quiet(m_botPopup);
    m_botPopup->clear();
    if (state.botTitles.isEmpty()) {
        m_botPopup->addItem(QStringLiteral("No bot conversations"));
        m_botPopup->setEnabled(false);
        return;
    }
    m_botPopup->addItems(state.botTitles);
    m_botPopup->setEnabled(true);
    m_botPopup->setCurrentIndex(state.selectedBotIndex >= 0 && state.selectedBotIndex < state.botTitles.size()
                                    ? state.selectedBotIndex
                                    : -1);
}

void SettingsWindowController::applyColors()
{
    // The sheet first: restyling restores the palette saved when the previous sheet was applied.
    setStyleSheet(SettingsStyle::styleSheet(m_ui));
    setPalette(m_ui.palette());
    UiStyle::setBackground(this, m_ui.window());
    for (QWidget *child : findChildren<QWidget *>()) {
        // The sheet's paddings change the fields' sizes: the cards must measure them anew.
        child->ensurePolished();
        child->updateGeometry();
        if (auto *view = dynamic_cast<ThemedView *>(child))
            view->setTheme(m_ui);
        if (auto *label = qobject_cast<QLabel *>(child))
            SettingsStyle::refreshSymbol(label, m_ui);
    }
    for (int i = 0; m_themePopup && i < m_themePopup->count(); ++i)
        m_themePopup->setItemIcon(i, SettingsStyle::swatch(AppTheme::allCases().value(i).swatchColor()));
}

void SettingsWindowController::applyTab(int index)
{
    if (index < 0 || index >= m_tabCards.size())
        return;
    m_selectedTab = index;
    m_tabControl->setSelectedSegment(index);
    for (int tab = 0; tab < m_tabCards.size(); ++tab)
        for (QWidget *cardView : std::as_const(m_tabCards[tab]))
            cardView->setVisible(tab == index);
    fitWindowToContent();
}

void SettingsWindowController::fitWindowToContent()
{
    if (!m_contentStack)
        return;
    // Rows shown or hidden just now have only asked for a new layout: settle every card first.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    m_contentStack->activate();
    const QScreen *screen = this->screen() ? this->screen() : QApplication::primaryScreen();
    const std::optional<int> visible =
        screen ? std::optional(screen->availableGeometry().height()) : std::nullopt;
    // Wrapped notes are as tall as the window's fixed width makes them.
    int fitting = qMax(m_contentStack->sizeHint().height(), m_contentStack->totalMinimumSize().height());
    if (m_contentStack->hasHeightForWidth())
        fitting = qMax(fitting, m_contentStack->totalHeightForWidth(contentWidth));
    const int height = SettingsForm::fittedHeight(fitting, visible);
    if (std::abs(height - this->height()) > 0)
        resize(contentWidth, height);
}

void SettingsWindowController::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        for (ThemedSegmentedControl *control : findChildren<ThemedSegmentedControl *>())
            control->update();
}

void SettingsWindowController::confirmLogOut()
{
    if (!m_services.alerts)
        return;
    AlertRequest request;
    request.message = QStringLiteral("Log out of Telegram?");
    request.informativeText = QStringLiteral("The app will stop receiving messages until you sign in again.");
    request.buttons = {QStringLiteral("Log Out"), QStringLiteral("Cancel")};
    request.style = AlertRequest::Style::Warning;
    request.destructiveIndex = 0;
    request.cancelIndex = 1;
    QPointer<SettingsWindowController> self(this);
    m_services.alerts->present(request, [self](const AlertAnswer &answer) {
        if (self && answer.buttonIndex == 0 && self->m_hooks.onLogOut)
            self->m_hooks.onLogOut();
    });
}

#include "moc_SettingsWindowController.cpp"
