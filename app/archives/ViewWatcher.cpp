#include "archives/ViewWatcher.h"

#include <QFileInfo>
#include <QGuiApplication>

ViewWatcher::ViewWatcher(Changed changed, std::function<bool()> mayAsk, QObject* parent)
    : QObject(parent), m_changed(std::move(changed)), m_mayAsk(std::move(mayAsk))
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &ViewWatcher::CheckNow);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &ViewWatcher::OnSomethingChanged);
    // A save by rename shows up as a change of the directory.
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &ViewWatcher::OnSomethingChanged);
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive && !m_files.isEmpty())
                CheckNow();
        });
    }
}

void ViewWatcher::Read(const QString& path, Stamp& stamp)
{
    const QFileInfo info(path);
    stamp.modified = info.exists() ? info.lastModified() : QDateTime();
    stamp.size = info.exists() ? info.size() : -1;
}

void ViewWatcher::Watch(const QString& path, int position)
{
    Stamp stamp;
    stamp.position = position;
    Read(path, stamp);
    m_files.insert(path, stamp);
    m_watcher.addPath(path);
    m_watcher.addPath(QFileInfo(path).absolutePath());
}

void ViewWatcher::Clear()
{
    m_settle.stop();
    m_files.clear();
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
}

void ViewWatcher::OnSomethingChanged()
{
    // A file replaced by a rename is a new file: watch it again.
    for (auto it = m_files.cbegin(); it != m_files.cend(); ++it) {
        if (!m_watcher.files().contains(it.key()) && QFileInfo::exists(it.key()))
            m_watcher.addPath(it.key());
    }
    m_settle.start();
}

void ViewWatcher::CheckNow()
{
    if (m_bReporting)
        return;
    if (m_mayAsk && !m_mayAsk()) {
        m_settle.start();
        return;
    }
    m_bReporting = true;
    const QStringList paths = m_files.keys();
    for (const QString& path : paths) {
        auto it = m_files.find(path);
        if (it == m_files.end())
            continue;  // cleared while a question was open
        Stamp now;
        Read(path, now);
        // A file in the middle of a rename is missing for a moment: wait for it.
        if (now.size < 0 || (now.modified == it->modified && now.size == it->size))
            continue;
        it->modified = now.modified;
        it->size = now.size;
        m_changed(path, it->position);
    }
    m_bReporting = false;
}
