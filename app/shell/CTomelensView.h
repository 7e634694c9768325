#pragma once

#include "archives/DMArchive.h"
#include "spells/DMSpell.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class EntryListPanel;
class DesktopOpener;
class Prompts;

// The one view of the main window: the tab control with "Archives" and
// "Spells", the controls of both tabs laid over it, and the tip line. It owns
// the two tab controllers, installs the current tab's menus into the frame's
// menu bar, lays the controls out and routes every command and control
// notification to the controller operation that handles it.
class CTomelensView : public QWidget {
    Q_OBJECT
public:
    CTomelensView(Prompts& prompts, DesktopOpener& opener, QWidget* parent = nullptr);
    ~CTomelensView() override;

    // The menu bar into which the current tab's menus are installed.
    void SetMenuBar(QMenuBar* menuBar) { m_pMenuBar = menuBar; }

    // Inserts the tabs and makes "Archives" current. Run again (new-document
    // command), it only makes "Archives" current again.
    void OnInitialUpdate();
    void OnSelchangeTab();
    void SetTip(const QString& text);
    void ArrangeControls();
    void OnViewTips();
    // The game directory command.
    void OnFileOpen();
    // Ctrl+S: the Save of the current tab's menu.
    void OnSaveShortcut();
    // Routes one menu command; false when the view has no handler for it.
    bool OnCommand(int commandId);

    DMArchive& Archive() { return m_archive; }
    DMSpell& Spell() { return m_spell; }
    DMTabView* CurrentTab() const { return m_pCurTab; }
    bool ShowsTips() const { return m_bShowTips; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectNotifications();
    // The spell query for the level edits, never inside another one: a
    // failure message of the spell file takes the focus, and that must not
    // start a second query with a second message.
    void RunLevelQuery();
    // Before a command reads the spell list: a level the user typed counts.
    void ApplyTypedLevels();
    void InstallMenu(const QList<QMenu*>& menus);

    Prompts& m_prompts;
    DesktopOpener& m_opener;

    // Controls, created before the controllers that keep their addresses.
    QTabWidget* m_pTab;
    QLabel* m_pTip;
    QLabel* m_pFileListCaption;
    QListWidget* m_pFileList;
    QLabel* m_pArchiveCaption;
    QLabel* m_pArchiveLabel;
    EntryListPanel* m_pEntryList;
    QGroupBox* m_pClassGroup;
    QComboBox* m_pClassCombo;
    QGroupBox* m_pLevelGroup;
    QLabel* m_pFromCaption;
    QLineEdit* m_pLevelFromEdit;
    QLabel* m_pToCaption;
    QLineEdit* m_pLevelToEdit;
    QGroupBox* m_pSkillGroup;
    QComboBox* m_pSkillCombo;
    QGroupBox* m_pEffectGroup;
    QComboBox* m_pEffectCombo;
    QListWidget* m_pSpellList;
    QPlainTextEdit* m_pDescription;
    QPushButton* m_pGetSpells;

    DMArchive m_archive;
    DMSpell m_spell;
    DMTabView* m_pCurTab = nullptr;
    bool m_bShowTips = true;
    bool m_bUpdated = false;    // the initial update has run
    bool m_bArranging = false;  // ArrangeControls is showing and hiding controls
    bool m_bLevelQuery = false;  // RunLevelQuery is running
    QMenuBar* m_pMenuBar = nullptr;
};
