#include "shell/CTomelensView.h"

#include "archives/EntryListPanel.h"
#include "resources/Menus.h"
#include "resources/ResourceIds.h"
#include "common/DesktopOpener.h"
#include "common/GameDirectory.h"
#include "common/Prompts.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTabWidget>

namespace {

// Gives a control its id as objectName ("id1020"), so it can be found by id.
template <typename Control>
Control* Named(Control* control, int id)
{
    control->setObjectName(QStringLiteral("id%1").arg(id));
    return control;
}

QListWidget* MakeList(QWidget* parent, int id)
{
    auto* list = Named(new QListWidget(parent), id);
    list->setSortingEnabled(true);
    return list;
}

QGroupBox* MakeGroup(QWidget* parent, int id, const char* title)
{
    auto* group = Named(new QGroupBox(QString::fromLatin1(title), parent), id);
    // The frame lies above the control it surrounds; clicks must reach that control.
    group->setAttribute(Qt::WA_TransparentForMouseEvents);
    return group;
}

QLabel* MakeLabel(QWidget* parent, int id, const char* text)
{
    return Named(new QLabel(QString::fromLatin1(text), parent), id);
}

// Gives a control its rectangle, shows it and puts it above its siblings.
void Place(QWidget* control, int x, int y, int width, int height)
{
    control->setGeometry(x, y, qMax(width, 0), qMax(height, 0));
    control->show();
    control->raise();
}

// The fixed-width captions were sized for a small dialog font; shrink the font
// of one that would be clipped until its text fits.
void FitCaption(QLabel* caption)
{
    QFont font = caption->font();
    while (QFontMetrics(font).horizontalAdvance(caption->text()) > caption->width() &&
           font.pixelSize() != 7) {
        font.setPixelSize(QFontInfo(font).pixelSize() - 1);
    }
    caption->setFont(font);
}

constexpr int kTipLineHeight = 20;
constexpr int kDescriptionTabStop = 48;  // pixels between tab stops of the description

}  // namespace

CTomelensView::CTomelensView(Prompts& prompts, DesktopOpener& opener, QWidget* parent)
    : QWidget(parent),
      m_prompts(prompts),
      m_opener(opener),
      m_pTab(Named(new QTabWidget(this), ids::TabControl)),
      m_pTip(MakeLabel(this, ids::TipLine, "Static")),
      m_pFileListCaption(MakeLabel(this, ids::FileListCaption, "Available Data Files:")),
      m_pFileList(MakeList(this, ids::FileList)),
      m_pArchiveCaption(MakeLabel(this, ids::CurrentArchiveCaption, "Current archive:")),
      m_pArchiveLabel(MakeLabel(this, ids::ArchiveLabel, "Static")),
      m_pEntryList(Named(new EntryListPanel(this), ids::EntryList)),
      m_pClassGroup(MakeGroup(this, ids::ClassGroup, "Class")),
      m_pClassCombo(Named(new QComboBox(this), ids::ClassCombo)),
      m_pLevelGroup(MakeGroup(this, ids::LevelGroup, "Level")),
      m_pFromCaption(MakeLabel(this, ids::LevelFromCaption, "From:")),
      m_pLevelFromEdit(Named(new QLineEdit(this), ids::LevelFromEdit)),
      m_pToCaption(MakeLabel(this, ids::LevelToCaption, "To:")),
      m_pLevelToEdit(Named(new QLineEdit(this), ids::LevelToEdit)),
      m_pSkillGroup(MakeGroup(this, ids::SkillGroup, "Skill")),
      m_pSkillCombo(Named(new QComboBox(this), ids::SkillCombo)),
      m_pEffectGroup(MakeGroup(this, ids::EffectGroup, "Effect")),
      m_pEffectCombo(Named(new QComboBox(this), ids::EffectCombo)),
      m_pSpellList(MakeList(this, ids::SpellList)),
      m_pDescription(Named(new QPlainTextEdit(this), ids::SpellDescription)),
      m_pGetSpells(Named(new QPushButton(QStringLiteral("Get Spells"), this), ids::GetSpellsButton)),
      m_archive(m_pFileList, m_pEntryList, m_pArchiveLabel, prompts, opener),
      m_spell(m_pClassCombo, m_pLevelFromEdit, m_pLevelToEdit, m_pSkillCombo, m_pEffectCombo,
              m_pSpellList, m_pDescription, prompts)
{
    m_pDescription->setReadOnly(true);
    m_pDescription->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_pDescription->setTabStopDistance(kDescriptionTabStop);
    m_pArchiveLabel->setTextFormat(Qt::PlainText);
    m_pTip->setTextFormat(Qt::PlainText);
    // Until the initial update shows the current tab's controls, only the tab
    // control is visible, as the form's first control.
    for (QWidget* control : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (control != m_pTab)
            control->hide();
    }
    ConnectNotifications();
}

CTomelensView::~CTomelensView()
{
    m_prompts.SetFolderInPlay(nullptr);
    m_opener.SetFailureHandler(nullptr);
}

void CTomelensView::ConnectNotifications()
{
    connect(m_pTab, &QTabWidget::currentChanged, this, [this] { OnSelchangeTab(); });
    connect(m_pFileList, &QListWidget::itemDoubleClicked, this,
            [this] { SetTip(m_archive.OpenArchive()); });
    m_archive.ConnectControls([this](const QString& tip) { SetTip(tip); });
    // File dialogs start where the user's files are: the open archive's
    // folder, else the game directory.
    m_prompts.SetFolderInPlay([this] {
        return m_archive.IsArchiveOpen() ? QFileInfo(m_archive.ArchiveFile()).absolutePath() : GetDMPath();
    });
    // A viewer launch can fail after the double-click has been handled.
    m_opener.SetFailureHandler([this](const QString&, DesktopOpener::Failure failure) {
        SetTip(m_archive.ViewLaunchFailed(failure == DesktopOpener::Failure::NoOpener));
    });
    connect(m_pGetSpells, &QPushButton::clicked, this, [this] { SetTip(m_spell.GetSpells()); });
    connect(m_pSpellList, &QListWidget::itemSelectionChanged, this,
            [this] { SetTip(m_spell.ShowSpell()); });
    // activated: only a user's choice, never a programmatic selection.
    for (QComboBox* combo : {m_pClassCombo, m_pSkillCombo, m_pEffectCombo})
        connect(combo, &QComboBox::activated, this, [this] { SetTip(m_spell.GetSpells()); });
    // Leaving a level edit reruns the query even when its text did not change;
    // so does Enter.
    for (QLineEdit* edit : {m_pLevelFromEdit, m_pLevelToEdit}) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::returnPressed, this, [this] { RunLevelQuery(); });
    }
}

void CTomelensView::RunLevelQuery()
{
    if (m_bLevelQuery)
        return;
    const QScopedValueRollback querying(m_bLevelQuery, true);
    SetTip(m_spell.GetSpells());
}

void CTomelensView::ApplyTypedLevels()
{
    if (m_spell.LevelsTyped())
        RunLevelQuery();
}

bool CTomelensView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut &&
        (watched == m_pLevelFromEdit || watched == m_pLevelToEdit)) {
        // Whatever takes the focus (a menu, a dialog, another control) runs
        // the query with the typed text before anything reads the list. A
        // tab switch hides the edit while arranging; OnSelchangeTab has
        // already applied the typed text then.
        if (!m_bArranging)
            RunLevelQuery();
    }
    return QWidget::eventFilter(watched, event);
}

void CTomelensView::OnInitialUpdate()
{
    if (m_bUpdated) {
        // A repeated initial update leaves exactly the two tabs and the
        // controllers' state; it only makes "Archives" current again.
        if (m_pTab->currentIndex() != 0)
            m_pTab->setCurrentIndex(0);  // runs OnSelchangeTab
        else
            OnSelchangeTab();
        return;
    }
    m_bUpdated = true;
    m_pLevelFromEdit->setText(QStringLiteral("0"));
    m_pLevelToEdit->setText(QStringLiteral("0"));
    {
        const QSignalBlocker quiet(m_pTab);
        m_pTab->addTab(new QWidget, QStringLiteral("Archives"));
        m_pTab->addTab(new QWidget, QStringLiteral("Spells"));
        m_pTab->setCurrentIndex(0);
    }
    OnSelchangeTab();
    m_pArchiveLabel->setText(QStringLiteral("Not selected"));
}

void CTomelensView::OnSelchangeTab()
{
    if (m_pCurTab == &m_spell && m_pTab->currentIndex() != 1)
        ApplyTypedLevels();
    switch (m_pTab->currentIndex()) {
    case 0:
        m_pCurTab = &m_archive;
        break;
    case 1:
        m_pCurTab = &m_spell;
        break;
    default:
        break;
    }
    if (m_pCurTab) {
        InstallMenu(m_pCurTab->m_menu);
        SetTip(m_pCurTab->Activate());
    }
    ArrangeControls();
}

void CTomelensView::InstallMenu(const QList<QMenu*>& menus)
{
    if (!m_pMenuBar)
        return;
    // Only the bar's entries change: the menus stay with their owner.
    m_pMenuBar->clear();
    for (QMenu* menu : menus)
        m_pMenuBar->addMenu(menu);
}

void CTomelensView::SetTip(const QString& text)
{
    m_pTip->setText(QStringLiteral("Tip: ") + text);
}

void CTomelensView::OnViewTips()
{
    m_bShowTips = !m_bShowTips;
    if (m_pMenuBar) {
        QList<QMenu*> shown;
        for (QAction* entry : m_pMenuBar->actions()) {
            if (entry->menu())
                shown.append(entry->menu());
        }
        if (QAction* tips = FindCommand(shown, ids::ViewTips))
            tips->setChecked(m_bShowTips);
    }
    ArrangeControls();
}

void CTomelensView::ArrangeControls()
{
    if (!m_bUpdated)
        return;
    const QScopedValueRollback arranging(m_bArranging, true);
    const int W = width();
    const int H = height();
    const int below = m_bShowTips ? kTipLineHeight : 0;

    m_pTab->setGeometry(0, 0, W, H - below);
    m_pTab->update();
    if (m_bShowTips) {
        m_pTip->setGeometry(5, H - 18, qMax(W - 10, 0), 15);
        m_pTip->show();
    } else {
        m_pTip->hide();
    }

    const int listHeight = H - 55 - below;
    if (m_pTab->currentIndex() == 0) {
        Place(m_pFileListCaption, 5, 33, 155, 15);
        Place(m_pArchiveCaption, 165, 33, 75, 15);
        Place(m_pArchiveLabel, 245, 33, W - 255, 15);
        Place(m_pFileList, 5, 50, 155, listHeight);
        Place(m_pEntryList, 165, 50, W - 170, listHeight);
        FitCaption(m_pFileListCaption);
        FitCaption(m_pArchiveCaption);
    } else {
        for (QWidget* control :
             {static_cast<QWidget*>(m_pFileListCaption), static_cast<QWidget*>(m_pArchiveCaption),
              static_cast<QWidget*>(m_pArchiveLabel), static_cast<QWidget*>(m_pFileList),
              static_cast<QWidget*>(m_pEntryList)})
            control->hide();
    }

    const int spellHeight = H - 75 - below;
    if (m_pTab->currentIndex() == 1) {
        Place(m_pDescription, 155, 70, W - 160, spellHeight);
        Place(m_pSpellList, 5, 70, 145, spellHeight);
        Place(m_pEffectCombo, 410, 40, W - 420, 20);
        Place(m_pEffectGroup, 405, 25, W - 410, 40);
        Place(m_pSkillCombo, 255, 40, 140, 20);
        Place(m_pSkillGroup, 250, 25, 150, 40);
        Place(m_pLevelToEdit, 215, 40, 25, 20);
        Place(m_pToCaption, 195, 42, 19, 13);
        Place(m_pLevelFromEdit, 165, 40, 25, 20);
        Place(m_pFromCaption, 135, 42, 29, 13);
        Place(m_pLevelGroup, 130, 25, 115, 40);
        Place(m_pClassCombo, 10, 40, 110, 20);
        Place(m_pClassGroup, 5, 25, 120, 40);
        FitCaption(m_pFromCaption);
        FitCaption(m_pToCaption);
        // The refresh button sits in the free corner right of the tab headers,
        // covering no filter.
        Place(m_pGetSpells, W - 90, 1, 85, 22);
    } else {
        for (QWidget* control :
             {static_cast<QWidget*>(m_pClassGroup), static_cast<QWidget*>(m_pClassCombo),
              static_cast<QWidget*>(m_pLevelGroup), static_cast<QWidget*>(m_pFromCaption),
              static_cast<QWidget*>(m_pLevelFromEdit), static_cast<QWidget*>(m_pToCaption),
              static_cast<QWidget*>(m_pLevelToEdit), static_cast<QWidget*>(m_pSkillGroup),
              static_cast<QWidget*>(m_pSkillCombo), static_cast<QWidget*>(m_pEffectGroup),
              static_cast<QWidget*>(m_pEffectCombo), static_cast<QWidget*>(m_pGetSpells),
              static_cast<QWidget*>(m_pSpellList), static_cast<QWidget*>(m_pDescription)})
            control->hide();
    }
}

void CTomelensView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ArrangeControls();
}

void CTomelensView::OnFileOpen()
{
    const QString chosen = m_prompts.ChooseGameFile();
    if (chosen.isEmpty())
        return;
    SetDMPath(DirectoryOfChosenFile(chosen));
    m_archive.m_bInitialized = false;
    m_spell.m_bInitialized = false;
    if (m_pCurTab)
        SetTip(m_pCurTab->Activate());
}

void CTomelensView::OnSaveShortcut()
{
    OnCommand(m_pCurTab == &m_spell ? ids::SpellSave : ids::FileSave);
}

bool CTomelensView::OnCommand(int commandId)
{
    switch (commandId) {
    case ids::FileOpen: OnFileOpen(); break;
    case ids::ViewTips: OnViewTips(); break;
    case ids::FileSave: m_archive.SaveArchive(); break;
    case ids::FileSaveAs: m_archive.SaveArchiveAs(); break;
    case ids::ArchiveNew: m_archive.NewEntry(); break;
    case ids::ArchiveAdd: m_archive.AddFileEntry(); break;
    case ids::ArchiveDelete: m_archive.DeleteEntry(); break;
    case ids::ArchiveRename: m_archive.RenameEntry(); break;
    case ids::ArchiveSaveData: m_archive.SaveEntryData(); break;
    case ids::ArchiveLoadData: m_archive.LoadEntryData(); break;
    case ids::ArchiveUpdateCrc: m_archive.UpdateEntryCRC(); break;
    case ids::SpellSave: ApplyTypedLevels(); m_spell.SaveSpell(); break;
    case ids::SpellSaveAll: ApplyTypedLevels(); m_spell.SaveAllSpells(); break;
    default: return false;
    }
    return true;
}
