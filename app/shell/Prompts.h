#pragma once

#include <QString>
#include <cstdint>

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
};
