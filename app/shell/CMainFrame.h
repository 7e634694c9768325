#pragma once

#include <QList>
#include <QMainWindow>

class CTomelensView;
class DesktopOpener;
class Prompts;
class QMenu;

// The main window: the menu bar (its own menu 128 until the view installs the
// current tab's menus), the window-wide keyboard shortcuts, the icon and the
// caption, with the main view as its only content. No toolbar, no status bar.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and runs the view's initial update, which lists the
    // game's archives; the caller shows the window.
    CMainFrame(Prompts& prompts, DesktopOpener& opener, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CTomelensView* View() const { return m_pView; }
    const QList<QMenu*>& OwnMenu() const { return m_menu; }

    // Carries out one command of a menu or a shortcut: the view's when it has
    // a handler, else the application's (About, Exit, new document).
    void OnCommand(int commandId);
    void OnAppAbout();
    void SaveOfCurrentTab();
    // Whether the window may close now: with unsaved archive changes the user
    // is asked to save them (Save writes and closes only when that worked),
    // discard them or cancel.
    bool MayClose();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnCommitData(class QSessionManager& manager);
    void ConnectCommands(const QList<QMenu*>& menus);
    void AddShortcut(const QKeySequence& keys, void (CMainFrame::*handler)());
    void AddShortcut(const QKeySequence& keys, int commandId);

    QList<QMenu*> m_menu;  // menu 128, owned here
    Prompts& m_prompts;
    // The user already answered the close question (at logout) for the
    // changes as they are; a new change asks again.
    bool m_bCloseAnswered = false;
    bool m_bAskingToClose = false;
    CTomelensView* m_pView;
};
