#include "shell/CMainFrame.h"

#include "resources/Icon.h"
#include "resources/Menus.h"
#include "resources/ResourceIds.h"
#include "shell/CAboutDlg.h"
#include "shell/CTomelensView.h"
#include "common/Prompts.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif

namespace {
// The caption: the default title of the (always unnamed) document and the
// program's title; "[*]" is where the window shows that there is unsaved work.
const QString kCaption = QStringLiteral("Untitled[*] - Tomelens");
}

CMainFrame::CMainFrame(Prompts& prompts, DesktopOpener& opener, QWidget* parent)
    : QMainWindow(parent), m_menu(LoadMenu(ids::MenuFrame)), m_prompts(prompts)
{
    setWindowTitle(kCaption);
    setWindowIcon(ProgramIcon());
    resize(720, 500);

    for (QMenu* menu : m_menu)
        menuBar()->addMenu(menu);
    m_pView = new CTomelensView(prompts, opener, this);
    m_pView->SetMenuBar(menuBar());
    setCentralWidget(m_pView);

    ConnectCommands(m_menu);
    ConnectCommands(m_pView->Archive().m_menu);
    ConnectCommands(m_pView->Spell().m_menu);

    AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), ids::FileNew);
    AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), ids::FileOpen);
    // The menus show Ctrl+D beside the game directory command.
    AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), ids::FileOpen);
    // Ctrl+S saves what the current tab's menu shows it beside.
    AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), &CMainFrame::SaveOfCurrentTab);

    m_pView->Archive().SetUnsavedObserver([this](bool unsaved) {
        setWindowModified(unsaved);
        m_bCloseAnswered = false;
    });
    // After Save As the caption names the file that Save now writes.
    m_pView->Archive().SetTargetObserver([this](const QString& file) {
        setWindowTitle(file.isEmpty() ? kCaption
                                      : QStringLiteral("%1[*] - Tomelens").arg(QFileInfo(file).fileName()));
    });
#if QT_CONFIG(sessionmanager)
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &CMainFrame::OnCommitData);
#endif

    m_pView->OnInitialUpdate();
}

CMainFrame::~CMainFrame()
{
    m_pView->Archive().SetUnsavedObserver(nullptr);
    m_pView->Archive().SetTargetObserver(nullptr);
    // Put the own menus back, so no entry of a controller's menu outlives it.
    menuBar()->clear();
    for (QMenu* menu : m_menu)
        menuBar()->addMenu(menu);
    delete m_pView;
    m_pView = nullptr;
    qDeleteAll(m_menu);
}

void CMainFrame::ConnectCommands(const QList<QMenu*>& menus)
{
    for (QMenu* menu : menus) {
        for (QAction* action : menu->actions()) {
            if (action->isSeparator() || action->menu())
                continue;
            const int commandId = action->data().toInt();
            connect(action, &QAction::triggered, this, [this, commandId] { OnCommand(commandId); });
        }
    }
}

void CMainFrame::AddShortcut(const QKeySequence& keys, int commandId)
{
    auto* shortcut = new QShortcut(keys, this);
    connect(shortcut, &QShortcut::activated, this, [this, commandId] { OnCommand(commandId); });
}

void CMainFrame::AddShortcut(const QKeySequence& keys, void (CMainFrame::*handler)())
{
    auto* shortcut = new QShortcut(keys, this);
    connect(shortcut, &QShortcut::activated, this, handler);
}

void CMainFrame::SaveOfCurrentTab()
{
    m_pView->OnSaveShortcut();
}

void CMainFrame::OnCommand(int commandId)
{
    if (m_pView && m_pView->OnCommand(commandId))
        return;
    switch (commandId) {
    case ids::AppAbout:
        OnAppAbout();
        break;
    case ids::AppExit:
        close();
        break;
    case ids::FileNew:
        // The document holds nothing; a new one only repeats the view's initial update.
        m_pView->OnInitialUpdate();
        break;
    default:
        break;
    }
}

void CMainFrame::OnAppAbout()
{
    CAboutDlg about(this);
    about.exec();
}

bool CMainFrame::MayClose()
{
    DMArchive& archive = m_pView->Archive();
    if (!archive.HasUnsavedChanges() || m_bCloseAnswered)
        return true;
    const QString name = QFileInfo(archive.ArchiveFile()).fileName();
    switch (m_prompts.SaveChanges(QStringLiteral("Save changes to %1 before closing?").arg(name))) {
    case Prompts::SaveChoice::Save:
        return archive.SaveBeforeClosing();
    case Prompts::SaveChoice::Discard:
        return true;
    case Prompts::SaveChoice::Cancel:
        break;
    }
    return false;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // A second close while the question is up (a signal, the window's own
    // button) waits for the answer to the first.
    if (m_bAskingToClose) {
        event->ignore();
        return;
    }
    m_bAskingToClose = true;
    const bool mayClose = MayClose();
    m_bAskingToClose = false;
    if (mayClose)
        event->accept();
    else
        event->ignore();
}

void CMainFrame::OnCommitData([[maybe_unused]] QSessionManager& manager)
{
#if QT_CONFIG(sessionmanager)
    // The desktop is logging out: ask now, while the session may still be
    // cancelled. Without leave to interact nothing can be asked or cancelled.
    if (!m_pView->Archive().HasUnsavedChanges() || m_bCloseAnswered || !manager.allowsInteraction())
        return;
    const bool mayClose = MayClose();
    manager.release();
    if (mayClose)
        m_bCloseAnswered = true;
    else
        manager.cancel();
#endif
}
