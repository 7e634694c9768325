#pragma once

#include "shell/DMTabView.h"

#include <QString>
#include <QStringList>
#include <QVector>

class QLabel;
class QListWidget;
class Prompts;
class DesktopOpener;
class DMDataFile;

// One data file found in the game directory.
struct DMFileDesc {
    QString name;  // file name without directory
    QString path;  // full path
};

// Controller of the Archives tab: finds the game's archives, opens one into the
// library's container, lists its entries and carries out the Archive menu and
// the Save commands.
class DMArchive : public DMTabView {
public:
    DMArchive(QListWidget* fileList, QListWidget* entryList, QLabel* archiveLabel,
              Prompts& prompts, DesktopOpener& opener);
    ~DMArchive() override;

    QString Activate() override;
    QString FindDataFiles();
    QString OpenArchive();

    QString ViewEntry();
    void SaveEntryData();
    void LoadEntryData();

    void NewEntry();
    void AddFileEntry();
    void DeleteEntry();
    void RenameEntry();
    void UpdateEntryCRC();

    void SaveArchive();
    void SaveArchiveAs();
    void WriteArchive(const QString& path);
};
