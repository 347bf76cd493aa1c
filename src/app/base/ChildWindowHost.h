#pragma once
// What a child window needs of the area that hosts it: whether windows snap to the grid, the
// signal hub, the data store and the prompter. The window manager implements it; tests host
// windows in a small fake. Window kinds add what they need below as defaulted virtuals, so a
// fake only answers what its test uses.
class CDataManager;
class CKorvantaSignals;
class CKorvantaWindow;
class IPrompter;

class IChildWindowHost
{
public:
    virtual ~IChildWindowHost() = default;
    virtual bool AlignToGrid() const = 0;
    virtual CKorvantaSignals* GetSignals() const = 0;
    virtual CDataManager* GetDataManager() const { return nullptr; }
    // The prompter every question of a child window goes through (the shell's by default).
    virtual IPrompter* GetPrompter() const;

    // Table window: the table that follows runs and downloads is the one that last became the
    // active window; a closing one hands the record to the last other table, or none.
    virtual void SetLastActiveTable(CKorvantaWindow* table) { (void)table; }
    virtual CKorvantaWindow* GetLastActiveTable() const { return nullptr; }
    virtual void SetLastTableActive(CKorvantaWindow* closing) { (void)closing; }
};
