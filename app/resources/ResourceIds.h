#pragma once

// Numeric ids of the program's menus, commands and controls. They name the
// same things everywhere: menu actions carry their command id as data, and
// every control's objectName is "id<number>" so tests can find it.
namespace ids {

// Menu bars: the frame's own, the Archives tab's and the Spells tab's.
constexpr int MenuFrame = 128;
constexpr int MenuArchives = 129;
constexpr int MenuSpells = 130;

// Commands.
constexpr int FileNew = 57600;          // Ctrl+N
constexpr int FileOpen = 57601;         // game directory command
constexpr int FileSave = 57603;         // Archives: Save
constexpr int FileSaveAs = 57604;       // Archives: Save As
constexpr int AppAbout = 57664;
constexpr int AppExit = 57665;
constexpr int EditUndo = 57643;
constexpr int EditCut = 57635;
constexpr int EditCopy = 57634;
constexpr int EditPaste = 57637;
constexpr int NextPane = 57680;
constexpr int PrevPane = 57681;
constexpr int ViewTips = 32776;
constexpr int ArchiveNew = 32771;
constexpr int ArchiveRename = 32772;
constexpr int ArchiveSaveData = 32773;
constexpr int ArchiveLoadData = 32774;
constexpr int ArchiveUpdateCrc = 32775;
constexpr int ArchiveDelete = 32778;
constexpr int ArchiveAdd = 32779;
constexpr int SpellSaveAll = 32780;
constexpr int SpellSave = 32781;

// Controls of the main form.
constexpr int FileList = 1000;
constexpr int EntryList = 1001;
constexpr int TipLine = 1002;
constexpr int ArchiveLabel = 1005;
constexpr int TabControl = 1006;
constexpr int CurrentArchiveCaption = 1007;
constexpr int FileListCaption = 1008;
constexpr int ClassGroup = 1011;
constexpr int LevelGroup = 1012;
constexpr int SkillGroup = 1013;
constexpr int EffectGroup = 1014;
constexpr int ClassCombo = 1015;
constexpr int LevelFromEdit = 1016;
constexpr int LevelToEdit = 1017;
constexpr int SkillCombo = 1018;
constexpr int EffectCombo = 1019;
constexpr int SpellList = 1020;
constexpr int SpellDescription = 1022;
constexpr int LevelFromCaption = 1023;
constexpr int LevelToCaption = 1024;
constexpr int GetSpellsButton = 1025;

// Dialog edits.
constexpr int RenameEdit = 1003;
constexpr int CrcEdit = 1004;
constexpr int ProgressBar = 1095;

}  // namespace ids
