#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

// Every modal question the program asks goes through this interface, so the
// controllers can run in tests with scripted answers. The Qt implementation
// (QtPrompts) shows real dialogs; an empty caption means "Tomelens".
//
// The public calls are the same for every implementation and do what must
// hold around any prompt: a wait cursor or mouse grab still active is lifted
// while the prompt is up (a grabbed mouse would leave the user unable to
// click it), and file dialogs start in the folder in play. Implementations
// only show the prompt itself.
class Prompts {
public:
    enum class SaveChoice { Save, Discard, Cancel };

    virtual ~Prompts() = default;

    // A plain message with an OK button.
    void Message(const QString& text, const QString& caption = QString());
    // A Yes/No question; true on Yes.
    bool Question(const QString& text, const QString& caption);
    // Save, Discard or Cancel for unsaved work; Save is the default button.
    SaveChoice SaveChanges(const QString& text);
    // Open-style file dialog proposing a file name; empty when cancelled.
    QString OpenFile(const QString& proposedName);
    // Open-style file dialog for several existing files; empty when cancelled.
    QStringList OpenFiles(const QString& caption);
    // Save-style file dialog with an overwrite prompt; defaultSuffix (e.g. "txt")
    // is appended when the user types none. Empty when cancelled.
    QString SaveFile(const QString& proposedName, const QString& defaultSuffix);
    // "Rename Entry": name is preset and receives the answer; true on OK.
    bool Rename(QString& name);
    // "Data CRC": value is preset and receives the answer; true on OK.
    bool CheckSum(std::uint32_t& value);
    // The game directory command's chooser: any existing file; empty when cancelled.
    QString ChooseGameFile();

    // The entry list's own questions (context menu, drag and drop, keys).
    // A question with these buttons: the index of the one chosen, -1 when the
    // box was closed. With forAll, a "Do this for all" check box is offered
    // and its state given back there.
    int Choose(const QString& text, const QString& caption, const QStringList& buttons, bool* forAll = nullptr);
    // A question about a step that would drop someone's work: Enter and
    // Escape both pick the last button, the one that changes nothing, as
    // does closing the box. The index of the button chosen.
    int ChooseCarefully(const QString& text, const QString& caption, const QStringList& buttons);
    // A folder chooser, starting where file dialogs start; empty when cancelled.
    QString ChooseFolder(const QString& caption);
    // "Data CRC" with a Compute button that fills in compute()'s value.
    bool EntryCheckSum(std::uint32_t& value, const std::function<std::optional<std::uint32_t>()>& compute);
    // An entry's Properties: a title and label/value lines.
    void Properties(const QString& title, const QList<QPair<QString, QString>>& lines);

    // The folder of the archive or game in play (may be empty); file dialogs
    // start there until the user has chosen a folder of their own in this run.
    void SetFolderInPlay(std::function<QString()> folder) { m_folderInPlay = std::move(folder); }

protected:
    virtual void ShowMessage(const QString& text, const QString& caption) = 0;
    virtual bool AskQuestion(const QString& text, const QString& caption) = 0;
    virtual SaveChoice AskSaveChanges(const QString& text) = 0;
    // folder: where the dialog starts; may be empty (the implementation's default).
    virtual QString AskOpenFile(const QString& folder, const QString& proposedName) = 0;
    virtual QStringList AskOpenFiles(const QString& folder, const QString& caption) = 0;
    virtual QString AskSaveFile(const QString& folder, const QString& proposedName,
                                const QString& defaultSuffix) = 0;
    virtual bool AskRename(QString& name) = 0;
    virtual bool AskCheckSum(std::uint32_t& value) = 0;
    virtual QString AskGameFile(const QString& folder) = 0;
    virtual int AskChoice(const QString& text, const QString& caption, const QStringList& buttons,
                          bool* forAll) = 0;
    virtual QString AskFolder(const QString& folder, const QString& caption) = 0;
    virtual int AskCarefully(const QString& text, const QString& caption, const QStringList& buttons) = 0;
    virtual bool AskEntryCheckSum(std::uint32_t& value,
                                  const std::function<std::optional<std::uint32_t>()>& compute)
    {
        (void)compute;
        return AskCheckSum(value);
    }
    virtual void ShowProperties(const QString& title, const QList<QPair<QString, QString>>& lines) = 0;

private:
    QString FolderInPlay() const;
    // The last folder chosen in this run, else the folder in play.
    QString StartFolder() const;
    // Remembers the folder of a file the user chose; gives the file back.
    QString Chosen(const QString& path);

    std::function<QString()> m_folderInPlay;
    QString m_lastFolder;
};
