#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <functional>

// Watches the temporary files of viewed entries. When one changes (also when
// an editor saves by writing a new file and renaming it over the old one), it
// waits until the file settles or the window is activated, then reports the
// change once through the callback.
class ViewWatcher : public QObject {
    Q_OBJECT
public:
    using Changed = std::function<void(const QString& path, int position)>;
    // mayAsk says whether a question can be asked now; when not, the change
    // stays pending and is reported later.
    ViewWatcher(Changed changed, std::function<bool()> mayAsk, QObject* parent = nullptr);

    void Watch(const QString& path, int position);
    // Stops watching every file (the archive closed).
    void Clear();
    // Looks at every watched file now and reports the changed ones.
    void CheckNow();
    QStringList Watched() const { return m_files.keys(); }

    static constexpr int kSettleMs = 800;

private:
    struct Stamp {
        int position = -1;
        QDateTime modified;
        qint64 size = -1;
    };
    static void Read(const QString& path, Stamp& stamp);
    void OnSomethingChanged();

    Changed m_changed;
    std::function<bool()> m_mayAsk;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QHash<QString, Stamp> m_files;
    bool m_bReporting = false;
};
