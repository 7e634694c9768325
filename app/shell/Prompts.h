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
class Prompts {
public:
    virtual ~Prompts() = default;

    // A plain message with an OK button.
    virtual void Message(const QString& text, const QString& caption = QString()) = 0;
    // A Yes/No question; true on Yes.
    virtual bool Question(const QString& text, const QString& caption) = 0;
    // Open-style file dialog proposing a file name; empty when cancelled.
    virtual QString OpenFile(const QString& proposedName) = 0;
    // Save-style file dialog with an overwrite prompt; defaultSuffix (e.g. "txt")
    // is appended when the user types none. Empty when cancelled.
    virtual QString SaveFile(const QString& proposedName, const QString& defaultSuffix) = 0;
    // "Rename Entry": name is preset and receives the answer; true on OK.
    virtual bool Rename(QString& name) = 0;
    // "Data CRC": value is preset and receives the answer; true on OK.
    virtual bool CheckSum(std::uint32_t& value) = 0;
    // The game directory command's chooser: any existing file; empty when cancelled.
    virtual QString ChooseGameFile() = 0;

    // The entry list's own questions (context menu, drag and drop, keys).
    // A question with these buttons: the index of the one chosen, -1 when the
    // box was closed. With forAll, a "Do this for all" check box is offered
    // and its state given back there.
    virtual int Choose(const QString& text, const QString& caption, const QStringList& buttons,
                       bool* forAll = nullptr) = 0;
    // A folder chooser; empty when cancelled.
    virtual QString ChooseFolder(const QString& caption) = 0;
    // "Data CRC" with a Compute button that fills in compute()'s value.
    virtual bool EntryCheckSum(std::uint32_t& value,
                               const std::function<std::optional<std::uint32_t>()>& compute)
    {
        (void)compute;
        return CheckSum(value);
    }
    // An entry's Properties: a title and label/value lines.
    virtual void Properties(const QString& title, const QList<QPair<QString, QString>>& lines) = 0;
};
